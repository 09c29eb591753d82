// CCmdTarget's message maps, the handle maps and CWnd over QWidget.
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

// ---- message maps -------------------------------------------------------------------------

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)
IMPLEMENT_DYNCREATE(CWnd, CCmdTarget)

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap()
{
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr, nullptr}};
    static const AFX_MSGMAP map = {nullptr, &entries[0]};
    return &map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const { return GetThisMessageMap(); }

BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode)
{
    for (const AFX_MSGMAP* map = GetMessageMap(); map;
         map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->nMessage; ++e) {
            if (e->nMessage == WM_COMMAND && e->nCode == static_cast<UINT>(nCode) && e->nID <= nID &&
                nID <= e->nLastID) {
                if (e->pfnRange)
                    (this->*(e->pfnRange))(nID);
                else
                    (this->*(e->pfn))();
                return TRUE;
            }
        }
    }
    return FALSE;
}

BOOL CCmdTarget::OnMsgMap(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    for (const AFX_MSGMAP* map = GetMessageMap(); map;
         map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->nMessage; ++e) {
            if (e->nMessage == message && e->nCode == AFX_MSG_ENTRY_MESSAGE && e->pfnMessage) {
                LRESULT r = (this->*(e->pfnMessage))(wParam, lParam);
                if (result)
                    *result = r;
                return TRUE;
            }
        }
    }
    return FALSE;
}

BOOL CCmdTarget::HasMessageEntry(UINT message) const
{
    for (const AFX_MSGMAP* map = GetMessageMap(); map;
         map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr)
        for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->nMessage; ++e)
            if (e->nMessage == message)
                return TRUE;
    return FALSE;
}

UINT RegisterWindowMessageW(LPCWSTR name)
{
    if (!name || !*name)
        return 0;
    static std::map<std::wstring, UINT> registered;
    auto [it, added] = registered.emplace(name, 0);
    if (added)
        it->second = 0xC000u + static_cast<UINT>(registered.size() - 1);
    return it->second;
}

// ---- handle maps ----------------------------------------------------------------------------

namespace {

void forget(const QWidget* w)
{
    afxqt::State& s = afxqt::state();
    s.windowInfos.remove(w);
    if (CWnd* p = s.permanentObjects.take(w))
        p->m_hWnd = nullptr;
    if (CWnd* t = s.temporaryObjects.take(w)) {
        t->m_hWnd = nullptr;
        delete t;
    }
    s.watchedWidgets.remove(w);
}

void watch(QWidget* w)
{
    afxqt::State& s = afxqt::state();
    if (s.watchedWidgets.contains(w))
        return;
    s.watchedWidgets.insert(w, true);
    QObject::connect(w, &QObject::destroyed, [w] { forget(w); });
}

QWidget* self(const CWnd* wnd) { return wnd ? afxqt::liveWidget(wnd->m_hWnd) : nullptr; }

}  // namespace

QWidget* afxqt::liveWidget(HWND h)
{
    if (!h)
        return nullptr;
    QWidget* w = widget(h);
    if (afxqt::state().watchedWidgets.contains(w))
        return w;
    if (!AfxHostUIStarted())
        return nullptr;
    return QApplication::allWidgets().contains(w) ? w : nullptr;
}

afxqt::WindowInfo& afxqt::registerWindow(QWidget* w)
{
    watch(w);
    return afxqt::state().windowInfos[w];
}

afxqt::WindowInfo* afxqt::windowInfo(const QWidget* w)
{
    auto& infos = afxqt::state().windowInfos;
    auto it = infos.find(w);
    return it == infos.end() ? nullptr : &it.value();
}

void afxqt::markPlaced(QWidget* window)
{
    if (WindowInfo* info = windowInfo(window))
        info->placed = true;
}

QWidget* afxqt::childById(const QWidget* dialog, UINT id)
{
    if (!dialog)
        return nullptr;
    for (QObject* child : dialog->children()) {
        auto* w = qobject_cast<QWidget*>(child);
        const WindowInfo* info = w ? windowInfo(w) : nullptr;
        if (info && !info->isDialog && info->id == id)
            return w;
    }
    return nullptr;
}

void afxqt::notifyParent(QWidget* control, UINT code)
{
    const WindowInfo* info = windowInfo(control);
    QWidget* parent = control->parentWidget();
    CWnd* target = parent ? CWnd::FromHandlePermanent(handle(parent)) : nullptr;
    if (!info || !target)
        return;
    target->OnCommand(MAKEWPARAM(info->id, code), reinterpret_cast<LPARAM>(handle(control)));
}

// ---- CWnd ----------------------------------------------------------------------------------

const CWnd CWnd::wndTop;
const CWnd CWnd::wndBottom;
const CWnd CWnd::wndTopMost;
const CWnd CWnd::wndNoTopMost;

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
END_MESSAGE_MAP()

CWnd::~CWnd()
{
    if (m_hWnd)
        Detach();
}

CWnd* CWnd::FromHandle(HWND hWnd)
{
    QWidget* w = afxqt::liveWidget(hWnd);
    if (!w)
        return nullptr;
    afxqt::State& s = afxqt::state();
    if (CWnd* p = s.permanentObjects.value(w))
        return p;
    if (CWnd* t = s.temporaryObjects.value(w))
        return t;
    auto* t = new CWnd;
    t->m_hWnd = hWnd;
    s.temporaryObjects.insert(w, t);
    watch(w);
    return t;
}

void CWnd::DeleteTempMap()
{
    afxqt::State& s = afxqt::state();
    // Take the map first: nothing deleted here may be found through it any more.
    QHash<const QWidget*, CWnd*> temporary;
    temporary.swap(s.temporaryObjects);
    for (CWnd* t : std::as_const(temporary)) {
        t->m_hWnd = nullptr;
        delete t;
    }
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd)
{
    QWidget* w = afxqt::liveWidget(hWnd);
    return w ? afxqt::state().permanentObjects.value(w) : nullptr;
}

BOOL CWnd::Attach(HWND hWnd)
{
    QWidget* w = afxqt::liveWidget(hWnd);
    afxqt::State& s = afxqt::state();
    if (!w || m_hWnd || s.permanentObjects.contains(w))
        return FALSE;
    s.permanentObjects.insert(w, this);
    watch(w);
    m_hWnd = hWnd;
    return TRUE;
}

HWND CWnd::Detach()
{
    HWND h = m_hWnd;
    auto& permanent = afxqt::state().permanentObjects;
    const QWidget* w = afxqt::widget(h);
    if (permanent.value(w) == this)
        permanent.remove(w);
    m_hWnd = nullptr;
    return h;
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent)
{
    QWidget* control = pParent ? afxqt::childById(self(pParent), nID) : nullptr;
    return control ? Attach(afxqt::handle(control)) : FALSE;
}

CWnd* CWnd::GetDlgItem(int nID) const
{
    QWidget* control = afxqt::childById(self(this), static_cast<UINT>(nID));
    return control ? FromHandle(afxqt::handle(control)) : nullptr;
}

int CWnd::GetDlgCtrlID() const
{
    const afxqt::WindowInfo* info = afxqt::windowInfo(self(this));
    return info && !info->isDialog ? static_cast<int>(info->id) : 0;
}

CWnd* CWnd::GetParent() const
{
    QWidget* w = self(this);
    QWidget* parent = w ? w->parentWidget() : nullptr;
    return parent ? FromHandle(afxqt::handle(parent)) : nullptr;
}

DWORD CWnd::GetStyle() const
{
    QWidget* w = self(this);
    if (!w)
        return 0;
    const afxqt::WindowInfo* info = afxqt::windowInfo(w);
    DWORD style = info ? info->style : 0;
    style &= ~static_cast<DWORD>(WS_VISIBLE | WS_DISABLED);
    if (!w->isHidden())
        style |= WS_VISIBLE;
    if (!w->isEnabled())
        style |= WS_DISABLED;
    // A push button has the default style while it is the default (it follows the focus).
    if (auto* b = qobject_cast<QPushButton*>(w); b && info && info->kind == AfxControlKind::PushButton)
        style = (style & ~static_cast<DWORD>(0xF)) | (b->isDefault() ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
    return style;
}

// ---- text ----------------------------------------------------------------------------------

void CWnd::SetWindowText(LPCTSTR text)
{
    QWidget* w = self(this);
    if (!w)
        return;
    QString t = afxqt::toQ(text);
    if (w->isWindow())
        w->setWindowTitle(t);
    else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
        b->setText(t);
        if (auto* eliding = dynamic_cast<afxqt::ElidingPushButton*>(b))
            eliding->refreshElision();
    }
    else if (auto* e = qobject_cast<QLineEdit*>(w))
        e->setText(t);  // edits notify EN_CHANGE for text set from code too, as in Windows
    else if (auto* l = qobject_cast<QLabel*>(w))
        l->setText(t);
    else if (auto* g = qobject_cast<QGroupBox*>(w))
        g->setTitle(t);
    else if (auto* c = qobject_cast<QComboBox*>(w); c && c->isEditable())
        c->setEditText(t);
    else
        w->setWindowTitle(t);
}

void CWnd::GetWindowText(CString& text) const
{
    QWidget* w = self(this);
    if (!w) {
        text.Empty();
        return;
    }
    QString t;
    if (w->isWindow())
        t = w->windowTitle();
    else if (auto* b = qobject_cast<QAbstractButton*>(w))
        t = b->text();
    else if (auto* e = qobject_cast<QLineEdit*>(w))
        t = e->text();
    else if (auto* l = qobject_cast<QLabel*>(w))
        t = l->text();
    else if (auto* g = qobject_cast<QGroupBox*>(w))
        t = g->title();
    else if (auto* c = qobject_cast<QComboBox*>(w))
        t = c->currentText();
    else
        t = w->windowTitle();
    text = afxqt::fromQ(t);
}

int CWnd::GetWindowText(LPWSTR buffer, int maxCount) const
{
    if (!buffer || maxCount <= 0)
        return 0;
    CString text;
    GetWindowText(text);
    int n = std::min(text.GetLength(), maxCount - 1);
    std::wmemcpy(buffer, text.GetString(), n);
    buffer[n] = 0;
    return n;
}

int CWnd::GetWindowTextLength() const
{
    CString text;
    GetWindowText(text);
    return text.GetLength();
}

void CWnd::SetDlgItemText(int nID, LPCTSTR text)
{
    if (CWnd* item = GetDlgItem(nID))
        item->SetWindowText(text);
}

int CWnd::GetDlgItemText(int nID, CString& text) const
{
    text.Empty();
    if (CWnd* item = GetDlgItem(nID))
        item->GetWindowText(text);
    return text.GetLength();
}

// ---- visibility and state ------------------------------------------------------------------

BOOL CWnd::ShowWindow(int nCmdShow)
{
    QWidget* w = self(this);
    if (!w)
        return FALSE;
    BOOL wasVisible = !w->isHidden();
    if (nCmdShow == SW_HIDE)
        w->hide();
    else
        w->show();
    return wasVisible;
}

BOOL CWnd::IsWindowVisible() const
{
    QWidget* w = self(this);
    return w && w->isVisible();
}

BOOL CWnd::EnableWindow(BOOL bEnable)
{
    QWidget* w = self(this);
    if (!w)
        return FALSE;
    BOOL wasDisabled = !w->isEnabled();
    w->setEnabled(bEnable != FALSE);
    return wasDisabled;
}

BOOL CWnd::IsWindowEnabled() const
{
    QWidget* w = self(this);
    return w && w->isEnabled();
}

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
    QWidget* w = self(this);
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
        else if (QWidget* after = self(pWndInsertAfter); after && after != w)
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
    QWidget* w = self(this);
    if (!rect)
        return;
    QRect r;
    if (w)
        r = w->isWindow() ? w->frameGeometry() : QRect(w->mapToGlobal(QPoint(0, 0)), w->size());
    *rect = CRect(r.left(), r.top(), r.left() + r.width(), r.top() + r.height());
}

void CWnd::GetClientRect(LPRECT rect) const
{
    QWidget* w = self(this);
    if (rect)
        *rect = w ? CRect(0, 0, w->width(), w->height()) : CRect();
}

void CWnd::ScreenToClient(LPPOINT point) const
{
    QWidget* w = self(this);
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
    QWidget* w = self(this);
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
    QWidget* w = self(this);
    if (!w || !w->isWindow())
        return;
    QWidget* owner = pAlternateOwner ? self(pAlternateOwner) : w->parentWidget();
    if (owner)
        owner = owner->window();
    QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    QRect area = screen->availableGeometry();
    QRect around = owner && owner->isVisible() ? owner->frameGeometry() : area;
    QRect frame = w->frameGeometry();
    frame.moveCenter(around.center());
    // Stay on the screen: the title bar must remain reachable.
    frame.moveLeft(std::max(area.left(), std::min(frame.left(), area.right() + 1 - frame.width())));
    frame.moveTop(std::max(area.top(), std::min(frame.top(), area.bottom() + 1 - frame.height())));
    w->move(frame.topLeft());
}

// ---- focus, painting, messages -------------------------------------------------------------

CWnd* CWnd::SetFocus()
{
    CWnd* previous = GetFocus();
    if (QWidget* w = self(this))
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
    QWidget* w = self(this);
    if (!w)
        return;
    afxqt::applyCtlColors(w);
    w->update();
}

void CWnd::UpdateWindow()
{
    if (QWidget* w = self(this))
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

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    QWidget* w = self(this);
    if (!w)
        return 0;
    switch (message) {
    case WM_SETICON: {
        afxqt::WindowInfo& info = afxqt::registerWindow(w);
        HICON& slot = wParam == ICON_BIG ? info.bigIcon : info.smallIcon;
        HICON previous = slot;
        slot = reinterpret_cast<HICON>(lParam);
        applyWindowIcon(w, info);
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
    QWidget* w = self(this);
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
