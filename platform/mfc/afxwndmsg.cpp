// CWnd over QWidget: geometry, focus, painting and the messages a window is sent.
#include "mfc/afxlist_p.h"
#include "mfc/afxstate_p.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <cwchar>
#include <map>
#include <string>

// ---- geometry ------------------------------------------------------------------------------

namespace {

// The frame's extra size around a top-level window's client area (0 before it is shown).
QSize frameExtra(const QWidget* w)
{
    return w->frameGeometry().size() - w->geometry().size();
}

}  // namespace

BOOL CWnd::SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags)
{
    QWidget* w = afxqt::liveWidget(this);
    if (!w)
        return FALSE;
    bool move = !(nFlags & SWP_NOMOVE);
    bool size = !(nFlags & SWP_NOSIZE);
    if (w->isWindow()) {
        if (move && w->frameGeometry().topLeft() != QPoint(x, y)) {
            w->move(x, y);  // a window's position is its frame's
            afxqt::markPlaced(w);
        }
        if (size)
            afxqt::resizeClient(w, QSize(cx, cy) - frameExtra(w));
    } else if (size && qobject_cast<QComboBox*>(w)) {
        // A combo box's height counts its opened list, as on Windows: the closed box keeps
        // the height it has.
        if (move)
            w->setGeometry(x, y, std::max(cx, 0), w->height());
        else
            w->resize(std::max(cx, 0), w->height());
    } else if (move && size) {
        w->setGeometry(x, y, std::max(cx, 0), std::max(cy, 0));
    } else if (move) {
        w->move(x, y);
    } else if (size) {
        w->resize(std::max(cx, 0), std::max(cy, 0));
    }
    if (!(nFlags & SWP_NOZORDER)) {
        if (pWndInsertAfter == &wndTop || pWndInsertAfter == &wndTopMost) {
            if (!w->isWindow() || QGuiApplication::platformName() != QLatin1String("offscreen"))
                w->raise();
        }
        else if (pWndInsertAfter == &wndBottom)
            w->lower();
        else if (QWidget* after = afxqt::liveWidget(pWndInsertAfter); after && after != w)
            w->stackUnder(after);
    }
    if (nFlags & SWP_SHOWWINDOW)
        w->show();
    if (nFlags & SWP_HIDEWINDOW)
        w->hide();
    return TRUE;
}

void CWnd::MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint)
{
    SetWindowPos(nullptr, x, y, nWidth, nHeight, SWP_NOZORDER | (bRepaint ? 0 : SWP_NOREDRAW));
}

void CWnd::MoveWindow(LPCRECT rect, BOOL bRepaint)
{
    MoveWindow(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, bRepaint);
}

void CWnd::GetWindowRect(LPRECT rect) const
{
    QWidget* w = afxqt::liveWidget(this);
    if (!rect)
        return;
    QRect r;
    if (w)
        r = w->isWindow() ? w->frameGeometry() : QRect(w->mapToGlobal(QPoint(0, 0)), w->size());
    *rect = CRect(r.left(), r.top(), r.left() + r.width(), r.top() + r.height());
}

void CWnd::GetClientRect(LPRECT rect) const
{
    QWidget* w = afxqt::liveWidget(this);
    if (rect)
        *rect = w ? CRect(0, 0, w->width(), w->height()) : CRect();
}

void CWnd::ScreenToClient(LPPOINT point) const
{
    QWidget* w = afxqt::liveWidget(this);
    if (!w || !point)
        return;
    QPoint p = w->mapFromGlobal(QPoint(point->x, point->y));
    point->x = p.x(), point->y = p.y();
}

void CWnd::ScreenToClient(LPRECT rect) const
{
    if (!rect)
        return;
    POINT tl{rect->left, rect->top}, br{rect->right, rect->bottom};
    ScreenToClient(&tl);
    ScreenToClient(&br);
    *rect = CRect(tl.x, tl.y, br.x, br.y);
}

void CWnd::ClientToScreen(LPPOINT point) const
{
    QWidget* w = afxqt::liveWidget(this);
    if (!w || !point)
        return;
    QPoint p = w->mapToGlobal(QPoint(point->x, point->y));
    point->x = p.x(), point->y = p.y();
}

void CWnd::ClientToScreen(LPRECT rect) const
{
    if (!rect)
        return;
    POINT tl{rect->left, rect->top}, br{rect->right, rect->bottom};
    ClientToScreen(&tl);
    ClientToScreen(&br);
    *rect = CRect(tl.x, tl.y, br.x, br.y);
}

void CWnd::CenterWindow(CWnd* pAlternateOwner)
{
    QWidget* w = afxqt::liveWidget(this);
    if (!w || !w->isWindow())
        return;
    QWidget* owner = pAlternateOwner ? afxqt::liveWidget(pAlternateOwner) : w->parentWidget();
    if (owner)
        owner = owner->window();
    QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    QRect area = screen->availableGeometry();
    // The window manager frames a window a moment after it shows: until then a frame has no
    // margins, and a main window shown a moment ago may not be framed yet. What stays the same
    // is a window's position (its frame's top-left corner) and its client area's size: centre
    // by those, so that a dialog opens at the same place every time.
    QRect frame(QPoint(), w->size());
    frame.moveCenter(owner && owner->isVisible() ? QRect(owner->pos(), owner->size()).center() : area.center());
    // Stay on the screen, title bar and all, with the margins the window will get: its own once
    // known, else its owner's. Counted twice: some window managers (openbox under Qt 6.4) put
    // a new window's frame off by its margins from where Qt asked and believes it is, and a
    // frame one margin further from the screen's edge is harmless where they do not.
    const QWidget* framed = w->frameGeometry() != w->geometry() || !owner ? w : owner;
    const QSize margins = (framed->frameGeometry().size() - framed->geometry().size()) * 2;
    frame.moveLeft(std::max(area.left(), std::min(frame.left(), area.right() + 1 - margins.width() - frame.width())));
    frame.moveTop(std::max(area.top(), std::min(frame.top(), area.bottom() + 1 - margins.height() - frame.height())));
    w->move(frame.topLeft());
}

// ---- focus, painting, messages -------------------------------------------------------------

CWnd* CWnd::SetFocus()
{
    CWnd* previous = GetFocus();
    if (QWidget* w = afxqt::liveWidget(this))
        afxqt::requestFocus(w);
    return previous;
}

CWnd* CWnd::GetFocus()
{
    if (!AfxHostUIStarted())
        return nullptr;
    QWidget* w = afxqt::focusedWidget();
    return w ? FromHandle(afxqt::handle(w)) : nullptr;
}

void CWnd::Invalidate(BOOL bErase)
{
    QWidget* w = afxqt::liveWidget(this);
    if (!w)
        return;
    afxqt::applyCtlColors(w);
    w->update();
}

void CWnd::UpdateWindow()
{
    if (QWidget* w = afxqt::liveWidget(this))
        w->repaint();
}

namespace {

void applyWindowIcon(QWidget* w, const afxqt::WindowInfo& info)
{
    QIcon icon;
    for (HICON h : {info.bigIcon, info.smallIcon})
        if (h)
            icon.addPixmap(h->pixmap);
    w->setWindowIcon(icon);
}

}  // namespace

void afxqt::applyPendingIcons(QWidget* window)
{
    WindowInfo* info = windowInfo(window);
    if (!info || !info->iconsPending)
        return;
    info->iconsPending = false;
    applyWindowIcon(window, *info);
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    QWidget* w = afxqt::liveWidget(this);
    if (!w)
        return 0;
    switch (message) {
    case WM_SETICON: {
        afxqt::WindowInfo& info = afxqt::registerWindow(w);
        HICON& slot = wParam == ICON_BIG ? info.bigIcon : info.smallIcon;
        HICON previous = slot;
        slot = reinterpret_cast<HICON>(lParam);
        if (w->isVisible() || !afxqt::dialogOf(w))
            applyWindowIcon(w, info);
        else
            info.iconsPending = true;
        return reinterpret_cast<LRESULT>(previous);
    }
    case WM_GETICON: {
        const afxqt::WindowInfo* info = afxqt::windowInfo(w);
        if (!info)
            return 0;
        return reinterpret_cast<LRESULT>(wParam == ICON_BIG ? info->bigIcon : info->smallIcon);
    }
    case WM_COMMAND: {
        CWnd* target = FromHandlePermanent(m_hWnd);
        return (target ? target : this)->OnCommand(wParam, lParam);
    }
    case WM_CLOSE:
        w->close();
        return 0;
    case EM_SETSEL: {
        auto* e = qobject_cast<QLineEdit*>(w);
        if (!e)
            return 0;
        int start = static_cast<int>(static_cast<intptr_t>(wParam));
        int end = static_cast<int>(static_cast<intptr_t>(lParam));
        if (start < 0) {
            e->deselect();
            return 1;
        }
        if (end < 0 || end > e->text().size())
            end = e->text().size();
        e->setSelection(start, end - start);
        return 1;
    }
    case CB_SETCURSEL: {
        // As CComboBox::SetCurSel: no notification; an index outside the list selects none.
        auto* c = qobject_cast<QComboBox*>(w);
        if (!c)
            return CB_ERR;
        QSignalBlocker block(c);
        int index = static_cast<int>(static_cast<intptr_t>(wParam));
        if (index < 0 || index >= c->count()) {
            c->setCurrentIndex(-1);
            return CB_ERR;
        }
        c->setCurrentIndex(index);
        return index;
    }
    case LB_ADDSTRING:
    case LB_INSERTSTRING:
    case LB_DELETESTRING:
    case LB_RESETCONTENT:
    case LB_SETCURSEL:
    case LB_GETCURSEL:
    case LB_GETTEXT:
    case LB_GETTEXTLEN:
    case LB_GETCOUNT:
    case LB_FINDSTRINGEXACT:
    case LB_SETITEMDATA:
    case LB_GETITEMDATA: {
        afxqt::ListBoxModel* lines = afxqt::listBoxModel(w);
        if (!lines)
            return LB_ERR;
        const int index = static_cast<int>(static_cast<intptr_t>(wParam));
        const auto text = [lParam] { return afxqt::toQ(reinterpret_cast<const wchar_t*>(lParam)); };
        switch (message) {
        case LB_ADDSTRING: return lines->addString(text());
        case LB_INSERTSTRING: return lines->insertString(index, text());
        case LB_DELETESTRING: return lines->deleteString(index);
        case LB_RESETCONTENT: lines->resetContent(); return 0;
        case LB_SETCURSEL: return lines->setCurSel(index);
        case LB_GETCURSEL: return lines->curSel();
        case LB_GETTEXT: {
            auto* buffer = reinterpret_cast<wchar_t*>(lParam);
            if (!lines->valid(index) || !buffer)
                return LB_ERR;
            const std::wstring line = lines->text(index).toStdWString();
            std::wmemcpy(buffer, line.c_str(), line.size() + 1);
            return static_cast<LRESULT>(line.size());
        }
        case LB_GETTEXTLEN: return lines->valid(index) ? lines->text(index).size() : LB_ERR;
        case LB_GETCOUNT: return lines->count();
        case LB_FINDSTRINGEXACT: return lines->findExact(index, text());
        case LB_SETITEMDATA: return lines->setItemData(index, static_cast<DWORD_PTR>(lParam));
        case LB_GETITEMDATA: return static_cast<LRESULT>(lines->itemData(index));
        }
        return LB_ERR;
    }
    case EM_SCROLLCARET: {
        // A line edit scrolls its caret into view whenever it moves; make sure it is
        // drawn where the caret now is.
        auto* e = qobject_cast<QLineEdit*>(w);
        if (!e)
            return 0;
        e->update();
        return 1;
    }
    default: {
        // Messages of the window's own map (ON_MESSAGE, ON_REGISTERED_MESSAGE).
        LRESULT result = 0;
        if (CWnd* target = FromHandlePermanent(m_hWnd))
            target->OnMsgMap(message, wParam, lParam, &result);
        return result;
    }
    }
}

HICON CWnd::SetIcon(HICON hIcon, BOOL bBigIcon)
{
    return reinterpret_cast<HICON>(
        SendMessage(WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(hIcon)));
}

HICON CWnd::GetIcon(BOOL bBigIcon) const
{
    return reinterpret_cast<HICON>(
        const_cast<CWnd*>(this)->SendMessage(WM_GETICON, bBigIcon ? ICON_BIG : ICON_SMALL, 0));
}

BOOL CWnd::DestroyWindow()
{
    QWidget* w = afxqt::liveWidget(this);
    if (!w)
        return FALSE;
    if (CDialog* dialog = afxqt::dialogOf(w); dialog && dialog->IsRunningModal())
        return FALSE;  // a modal dialog ends with EndDialog
    w->hide();
    Detach();
    w->deleteLater();
    return TRUE;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    return OnCmdMsg(LOWORD(wParam), HIWORD(wParam));
}

void CWnd::OnSize(UINT nType, int cx, int cy) {}

void CWnd::OnDestroy() {}

void CWnd::OnShowWindow(BOOL bShow, UINT nStatus) {}

HBRUSH CWnd::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) { return nullptr; }

