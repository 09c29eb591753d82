// CWnd over QWidget: the handle maps, creation and destruction, text, visibility and state.
// Geometry, focus, painting and messages are in afxwndmsg.cpp, message maps in afxmsgmap.cpp.
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

// ---- handle maps ----------------------------------------------------------------------------

namespace {

using Handle = afxqt::State::Handle;

void forget(const QWidget* w)
{
    afxqt::State& s = afxqt::state();
    if (auto it = s.handles.find(w); it != s.handles.end()) {
        if (it->permanent)
            it->permanent->m_hWnd = nullptr;
        s.handles.erase(it);
    }
    if (CWnd* t = s.temporaryObjects.take(w)) {
        t->m_hWnd = nullptr;
        delete t;
    }
}

Handle& watch(QWidget* w)
{
    auto& handles = afxqt::state().handles;
    if (auto it = handles.find(w); it != handles.end())
        return it.value();
    QObject::connect(w, &QObject::destroyed, [w] { forget(w); });
    return handles[w];
}

Handle* handleOf(const QWidget* w)
{
    auto& handles = afxqt::state().handles;
    auto it = handles.find(w);
    return it == handles.end() ? nullptr : &it.value();
}

}  // namespace

QWidget* afxqt::liveWidget(HWND h)
{
    if (!h)
        return nullptr;
    QWidget* w = widget(h);
    if (afxqt::state().handles.contains(w))
        return w;
    if (!AfxHostUIStarted())
        return nullptr;
    return QApplication::allWidgets().contains(w) ? w : nullptr;
}

afxqt::WindowInfo& afxqt::registerWindow(QWidget* w)
{
    Handle& h = watch(w);
    h.registered = true;
    return h.info;
}

afxqt::WindowInfo* afxqt::windowInfo(const QWidget* w)
{
    Handle* h = handleOf(w);
    return h && h->registered ? &h->info : nullptr;
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
    Handle& h = watch(w);
    if (h.permanent)
        return h.permanent;
    afxqt::State& s = afxqt::state();
    if (CWnd* t = s.temporaryObjects.value(w))
        return t;
    auto* t = new CWnd;
    t->m_hWnd = hWnd;
    s.temporaryObjects.insert(w, t);
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
    Handle* h = handleOf(afxqt::liveWidget(hWnd));
    return h ? h->permanent : nullptr;
}

BOOL CWnd::Attach(HWND hWnd)
{
    QWidget* w = afxqt::liveWidget(hWnd);
    if (!w || m_hWnd)
        return FALSE;
    Handle& h = watch(w);
    if (h.permanent)
        return FALSE;
    h.permanent = this;
    m_hWnd = hWnd;
    return TRUE;
}

HWND CWnd::Detach()
{
    HWND h = m_hWnd;
    if (Handle* entry = handleOf(afxqt::widget(h)); entry && entry->permanent == this)
        entry->permanent = nullptr;
    m_hWnd = nullptr;
    return h;
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent)
{
    QWidget* control = pParent ? afxqt::childById(afxqt::liveWidget(pParent), nID) : nullptr;
    return control ? Attach(afxqt::handle(control)) : FALSE;
}

CWnd* CWnd::GetDlgItem(int nID) const
{
    QWidget* control = afxqt::childById(afxqt::liveWidget(this), static_cast<UINT>(nID));
    return control ? FromHandle(afxqt::handle(control)) : nullptr;
}

int CWnd::GetDlgCtrlID() const
{
    const afxqt::WindowInfo* info = afxqt::windowInfo(afxqt::liveWidget(this));
    return info && !info->isDialog ? static_cast<int>(info->id) : 0;
}

CWnd* CWnd::GetParent() const
{
    QWidget* w = afxqt::liveWidget(this);
    QWidget* parent = w ? w->parentWidget() : nullptr;
    return parent ? FromHandle(afxqt::handle(parent)) : nullptr;
}

DWORD CWnd::GetStyle() const
{
    QWidget* w = afxqt::liveWidget(this);
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
    QWidget* w = afxqt::liveWidget(this);
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
    QWidget* w = afxqt::liveWidget(this);
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
    QWidget* w = afxqt::liveWidget(this);
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
    QWidget* w = afxqt::liveWidget(this);
    return w && w->isVisible();
}

BOOL CWnd::EnableWindow(BOOL bEnable)
{
    QWidget* w = afxqt::liveWidget(this);
    if (!w)
        return FALSE;
    BOOL wasDisabled = !w->isEnabled();
    w->setEnabled(bEnable != FALSE);
    return wasDisabled;
}

BOOL CWnd::IsWindowEnabled() const
{
    QWidget* w = afxqt::liveWidget(this);
    return w && w->isEnabled();
}

