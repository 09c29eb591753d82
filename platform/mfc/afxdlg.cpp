// CDialog: modal dialogs from templates, the dialog manager's keyboard and focus rules, data
// exchange, and the list of running dialogs the host and the UI driver watch.
#include "mfc/afxstate_p.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

#include <algorithm>
#include <cstdio>

// ---- running dialogs and their listeners ---------------------------------------------------

namespace {

std::vector<CDialog*>& modalStack() { return afxqt::state().modalStack; }

std::vector<std::pair<int, AfxDialogListener>>& listeners() { return afxqt::state().dialogListeners; }

void fire(CDialog& dialog, AfxDialogEvent event)
{
    // A listener may add or remove listeners: walk a copy.
    auto copy = listeners();
    for (auto& [token, listener] : copy)
        listener(dialog, event);
}

}  // namespace

int AfxAddDialogListener(AfxDialogListener listener)
{
    int token = ++afxqt::state().lastListenerToken;
    listeners().emplace_back(token, std::move(listener));
    return token;
}

void AfxRemoveDialogListener(int token)
{
    auto& l = listeners();
    l.erase(std::remove_if(l.begin(), l.end(), [token](const auto& p) { return p.first == token; }), l.end());
}

std::vector<CDialog*> AfxModalDialogs() { return modalStack(); }

CDialog* AfxActiveModalDialog() { return modalStack().empty() ? nullptr : modalStack().back(); }

// ---- the dialog widget -----------------------------------------------------------------------

class AfxDialogWidget;

struct AfxDialogSession {
    CDialog* dialog = nullptr;
    QPointer<AfxDialogWidget> widget;
    QEventLoop* loop = nullptr;
    bool ended = false;
    int result = -1;
    unsigned serial = 0;
    QPointer<QWidget> hiddenFocus;  // a hidden control SetFocus chose, as Windows allows

    static AfxDialogSession* of(const CDialog* d) { return d ? d->m_session : nullptr; }
};

namespace {

bool isChildControl(const QWidget* dialog, const QWidget* w)
{
    return w && w->parentWidget() == dialog && afxqt::windowInfo(w);
}

// The default push button follows the dialog's focus, as the Windows dialog manager moves
// it: a push button that has the focus is the default (and is drawn so); with the focus on
// any other control the template's default button is the default again.
void followFocus(QWidget* dialog, QWidget* focused)
{
    auto* focusedButton = qobject_cast<QPushButton*>(focused);
    for (QObject* child : dialog->children()) {
        auto* button = qobject_cast<QPushButton*>(child);
        const afxqt::WindowInfo* info = button ? afxqt::windowInfo(button) : nullptr;
        if (!info)
            continue;
        bool isDefault = focusedButton ? button == focusedButton : (info->style & 0xF) == BS_DEFPUSHBUTTON;
        if (button->isDefault() != isDefault)
            button->setDefault(isDefault);
    }
}

}  // namespace

class AfxDialogWidget : public QDialog {
public:
    AfxDialogWidget(CDialog* owner, QWidget* parent, Qt::WindowFlags flags)
        : QDialog(parent, flags), m_owner(owner)
    {
    }
    CDialog* owner() const { return m_owner; }

    // Enter as the Windows dialog manager handles it: the push button that has the focus,
    // else the default push button, else the command IDOK.
    void pressEnter()
    {
        QWidget* focus = afxqt::focusedWidget();
        if (auto* button = qobject_cast<QPushButton*>(focus); button && isChildControl(this, button)) {
            if (button->isHidden())
                afxqt::notifyParent(button, BN_CLICKED);  // keys reach a hidden control too
            else if (button->isEnabled())
                button->click();
            return;
        }
        for (QObject* child : children()) {
            auto* button = qobject_cast<QPushButton*>(child);
            if (button && button->isDefault() && isChildControl(this, button)) {
                if (button->isEnabled() && !button->isHidden())
                    button->click();
                return;
            }
        }
        QWidget* ok = afxqt::childById(this, IDOK);
        if (ok && !ok->isEnabled())
            return;
        m_owner->SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(afxqt::handle(ok)));
    }

    void pressEscape()
    {
        QWidget* cancel = afxqt::childById(this, IDCANCEL);
        m_owner->SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                             reinterpret_cast<LPARAM>(afxqt::handle(cancel)));
    }

protected:
    void keyPressEvent(QKeyEvent* e) override
    {
        Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
        if (mods == Qt::NoModifier && e->key() == Qt::Key_Escape) {
            pressEscape();
            return;
        }
        if (mods == Qt::NoModifier && (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)) {
            pressEnter();
            return;
        }
        QWidget::keyPressEvent(e);  // not QDialog's: it would close the window its own way
    }

    // Tab and Shift+Tab: the template order, from the control that has the focus (hidden or
    // not), as the Windows dialog manager steps.
    bool focusNextPrevChild(bool next) override;

    void showEvent(QShowEvent* e) override
    {
        afxqt::applyPendingIcons(this);
        QDialog::showEvent(e);
        afxqt::applyCtlColors(this);  // WM_CTLCOLOR for every control as the window shows
        m_owner->OnShowWindow(TRUE, 0);
    }

    void closeEvent(QCloseEvent* e) override
    {
        // The close box sends IDCANCEL like Escape; the dialog decides whether it ends.
        e->ignore();
        AfxDialogSession* session = AfxDialogSession::of(m_owner);
        if (session && !session->ended)
            pressEscape();
    }

    void resizeEvent(QResizeEvent* e) override
    {
        QDialog::resizeEvent(e);
        m_owner->OnSize(SIZE_RESTORED, width(), height());
    }

    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (e->type() != QEvent::FocusIn && e->type() != QEvent::FocusOut)
            return false;
        auto* control = static_cast<QWidget*>(watched);
        Qt::FocusReason reason = static_cast<QFocusEvent*>(e)->reason();
        bool byUser = reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
                      reason == Qt::MouseFocusReason || reason == Qt::ShortcutFocusReason;
        AfxDialogSession* session = AfxDialogSession::of(m_owner);
        if (e->type() == QEvent::FocusIn && byUser && session)
            session->hiddenFocus = nullptr;
        // (While a hidden control holds the dialog's focus, the one Qt focuses on activation
        // does not count.)
        if (e->type() == QEvent::FocusIn && reason != Qt::PopupFocusReason)
            followFocus(this, session && session->hiddenFocus ? session->hiddenFocus.data() : control);
        if (qobject_cast<QLineEdit*>(control) && reason != Qt::ActiveWindowFocusReason &&
            reason != Qt::PopupFocusReason)
            afxqt::notifyParent(control, e->type() == QEvent::FocusIn ? EN_SETFOCUS : EN_KILLFOCUS);
        return false;
    }

private:
    CDialog* m_owner;
};

// ---- focus ---------------------------------------------------------------------------------

void afxqt::requestFocus(QWidget* w)
{
    QWidget* dialog = w->window();
    AfxDialogSession* session = AfxDialogSession::of(dialogOf(dialog));
    if (session && w != dialog)
        followFocus(dialog, w);  // also before the window is active and Qt sends no FocusIn
    if (session && w->isHidden() && w != dialog) {
        session->hiddenFocus = w;
        return;
    }
    if (session)
        session->hiddenFocus = nullptr;
    w->setFocus(Qt::OtherFocusReason);
}

QWidget* afxqt::focusedWidget()
{
    AfxDialogSession* session = AfxDialogSession::of(AfxActiveModalDialog());
    if (session && session->hiddenFocus)
        return session->hiddenFocus;
    if (QWidget* f = QApplication::focusWidget())
        return f;
    // Before the window is active, the control it will focus.
    return session && session->widget ? session->widget->focusWidget() : nullptr;
}

CDialog* afxqt::dialogOf(const QWidget* dialogWidget)
{
    auto* w = dynamic_cast<const AfxDialogWidget*>(dialogWidget);
    return w ? w->owner() : nullptr;
}

QDialog* afxqt::dialogWidget(const CDialog* dialog)
{
    AfxDialogSession* session = AfxDialogSession::of(dialog);
    return session ? session->widget.data() : nullptr;
}

unsigned AfxModalSerial(const CDialog* dialog)
{
    AfxDialogSession* session = AfxDialogSession::of(dialog);
    return session ? session->serial : 0;
}

namespace {

bool canTakeTabFocus(const QWidget* dialog, const QWidget* w)
{
    return isChildControl(dialog, w) && !w->isHidden() && w->isEnabled() &&
           (w->focusPolicy() & Qt::TabFocus) == Qt::TabFocus;
}

void focusControl(QWidget* w)
{
    afxqt::requestFocus(w);
    if (auto* edit = qobject_cast<QLineEdit*>(w))
        edit->selectAll();  // as the dialog manager does for edits it focuses
}

// Tab order is the order the controls were created in: the template's. The step starts at
// the focused control even when it cannot take the focus by Tab itself (a hidden one).
void stepFocus(QWidget* dialog, bool forward)
{
    QList<QWidget*> controls;
    for (QObject* child : dialog->children())
        if (auto* w = qobject_cast<QWidget*>(child); w && isChildControl(dialog, w))
            controls.append(w);
    int n = static_cast<int>(controls.size());
    int at = static_cast<int>(controls.indexOf(afxqt::focusedWidget()));
    for (int k = 1; k <= n; ++k) {
        int i = at < 0 ? (forward ? k - 1 : n - k) : ((at + (forward ? k : -k)) % n + n) % n;
        if (canTakeTabFocus(dialog, controls[i])) {
            focusControl(controls[i]);
            return;
        }
    }
}

}  // namespace

bool AfxDialogWidget::focusNextPrevChild(bool next)
{
    stepFocus(this, next);
    return true;
}

// ---- CDialog ---------------------------------------------------------------------------------

IMPLEMENT_DYNAMIC(CDialog, CWnd)

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, &CDialog::OnOK)
    ON_COMMAND(IDCANCEL, &CDialog::OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd) : m_nIDHelp(nIDTemplate), m_pParentWnd(pParentWnd) {}

CDialog::CDialog() = default;

CDialog::~CDialog() = default;

BOOL CDialog::InitModalIndirect(const AfxDialogTemplate* dialogTemplate, CWnd* pParentWnd)
{
    if (!dialogTemplate)
        return FALSE;
    m_lpDialogTemplate = dialogTemplate;
    m_nIDHelp = dialogTemplate->id;
    m_pParentWnd = pParentWnd;
    return TRUE;
}

INT_PTR CDialog::DoModal()
{
    if (m_session)
        return -1;
    // However it ends, when the outermost dialog is over so are the temporary objects its
    // caller was given (the parent from FromHandle among them), as at MFC's idle time.
    struct TemporariesGoAtTheEnd {
        ~TemporariesGoAtTheEnd()
        {
            if (modalStack().empty())
                CWnd::DeleteTempMap();
        }
    } temporariesGoAtTheEnd;
    const AfxDialogTemplate* tpl = m_lpDialogTemplate;
    HINSTANCE instance = nullptr;
    if (!tpl) {
        instance = AfxFindDialogResourceHandle(m_nIDHelp);
        tpl = instance ? AfxFindDialogTemplate(instance, m_nIDHelp) : nullptr;
    }
    if (!tpl)
        return -1;
    afxqt::app();

    // The owner: the parent given, else the dialog the user is in (as MFC's safe owner).
    QWidget* owner = m_pParentWnd ? afxqt::liveWidget(m_pParentWnd->m_hWnd) : nullptr;
    if (!owner && AfxActiveModalDialog())
        owner = afxqt::dialogWidget(AfxActiveModalDialog());
    if (owner)
        owner = owner->window();

    m_nModalResult = -1;
    AfxDialogSession session;
    session.dialog = this;
    session.serial = ++afxqt::state().lastModalSerial;
    m_session = &session;

    Qt::WindowFlags flags = (tpl->exStyle & WS_EX_TOOLWINDOW  ? Qt::Tool
                             : tpl->exStyle & WS_EX_APPWINDOW ? Qt::Window
                                                              : Qt::Dialog) |
                            Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (tpl->style & WS_SYSMENU)
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (tpl->style & WS_MINIMIZEBOX)
        flags |= Qt::WindowMinimizeButtonHint;
    if (tpl->style & WS_MAXIMIZEBOX)
        flags |= Qt::WindowMaximizeButtonHint;
    auto* w = new AfxDialogWidget(this, owner, flags);
    session.widget = w;
    // However the run ends (an exception from the dialog's own code, OnInitDialog for one,
    // included), the dialog leaves the modal stack and its window goes.
    struct Close {
        CDialog& dialog;
        AfxDialogWidget* widget;
        ~Close()
        {
            auto& stack = modalStack();
            stack.erase(std::remove(stack.begin(), stack.end(), &dialog), stack.end());
            dialog.m_session = nullptr;
            delete widget;  // the controls go with it; attached objects are detached
            if (dialog.m_hWnd)
                dialog.Detach();
        }
    } close{*this, w};
    QFont font = afxqt::dialogFont(tpl->fontName, tpl->fontPoints);
    w->setFont(font);
    QSize base = afxqt::baseUnits(font);
    w->resize(afxqt::dluToPixels(base, 0, 0, tpl->cx, tpl->cy).size());
    afxqt::WindowInfo& info = afxqt::registerWindow(w);
    info.isDialog = true;
    info.id = m_nIDHelp;
    info.style = tpl->style;
    Attach(afxqt::handle(w));
    SetWindowText(tpl->caption);

    QString error;
    if (!afxqt::createControls(w, *tpl, instance, base, &error)) {
        std::fprintf(stderr, "dialog %u cannot be created: %s\n", m_nIDHelp, error.toUtf8().constData());
        return -1;
    }
    for (QObject* child : w->children())
        if (auto* control = qobject_cast<QWidget*>(child); control && afxqt::windowInfo(control))
            control->installEventFilter(w);
    afxqt::setResizable(w, tpl->style & WS_THICKFRAME);
    CenterWindow();

    modalStack().push_back(this);
    bool opened = false;
    BOOL focusFirst = OnInitDialog();
    // OnInitDialog may have changed the size: centre again with the final one, unless it put
    // the window somewhere itself (a restored saved position, for one).
    if (const afxqt::WindowInfo* placed = afxqt::windowInfo(w); !session.ended && placed && !placed->placed)
        CenterWindow();
    if (!session.ended) {
        if (focusFirst) {
            for (QObject* child : w->children())
                if (auto* control = qobject_cast<QWidget*>(child); control && canTakeTabFocus(w, control)) {
                    focusControl(control);
                    break;
                }
        }
        if (afxqt::isResizable(w) && w->minimumSize().isNull())
            w->setMinimumSize(w->size());
        w->setWindowModality(owner ? Qt::WindowModal : Qt::ApplicationModal);
        w->show();
        if (QGuiApplication::platformName() != QLatin1String("offscreen"))
            w->raise();  // (the offscreen platform has no stacking to change)
        w->activateWindow();
        opened = true;
        fire(*this, AfxDialogEvent::Opened);
        if (!session.ended) {
            QEventLoop loop;
            session.loop = &loop;
            loop.exec(QEventLoop::DialogExec);
            session.loop = nullptr;
        }
    }
    if (opened)
        fire(*this, AfxDialogEvent::Closed);
    OnDestroy();
    return session.result;
}

void CDialog::EndDialog(int nResult)
{
    AfxDialogSession* session = m_session;
    if (!session || session->ended)
        return;
    session->ended = true;
    session->result = nResult;
    m_nModalResult = nResult;
    if (session->widget)
        session->widget->hide();
    if (session->loop)
        session->loop->quit();
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::DoDataExchange(CDataExchange* pDX) {}

namespace {
struct DataExchangeFailure {};
}  // namespace

BOOL CDialog::UpdateData(BOOL bSaveAndValidate)
{
    CDataExchange dx(this, bSaveAndValidate);
    try {
        DoDataExchange(&dx);
    } catch (const DataExchangeFailure&) {
        return FALSE;
    }
    return TRUE;
}

void CDialog::NextDlgCtrl() const
{
    if (m_session && m_session->widget)
        stepFocus(m_session->widget, true);
}

void CDialog::PrevDlgCtrl() const
{
    if (m_session && m_session->widget)
        stepFocus(m_session->widget, false);
}

void CDialog::GotoDlgCtrl(CWnd* pWndCtrl)
{
    if (QWidget* w = pWndCtrl ? afxqt::liveWidget(pWndCtrl->m_hWnd) : nullptr)
        focusControl(w);
}

// ---- CDataExchange ------------------------------------------------------------------------

HWND CDataExchange::PrepareCtrl(int nIDC)
{
    QWidget* dialog = m_pDlgWnd ? afxqt::liveWidget(m_pDlgWnd->m_hWnd) : nullptr;
    QWidget* control = afxqt::childById(dialog, static_cast<UINT>(nIDC));
    m_hWndLastControl = control ? afxqt::handle(control) : nullptr;
    return m_hWndLastControl;
}

void CDataExchange::Fail()
{
    if (m_bSaveAndValidate)
        if (QWidget* w = afxqt::liveWidget(m_hWndLastControl))
            focusControl(w);
    throw DataExchangeFailure{};
}
