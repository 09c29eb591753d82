// CExtResizableDialog: anchors, the size grip and the base's OK / Cancel.
#include "extctl/extctl.h"
#include "mfc/afxqt_p.h"

#include <QAbstractButton>
#include <QDialog>

#include <cmath>

IMPLEMENT_DYNAMIC(CExtResizableDialog, CDialog)

BEGIN_MESSAGE_MAP(CExtResizableDialog, CDialog)
END_MESSAGE_MAP()

CExtResizableDialog::CExtResizableDialog(UINT nIDTemplate, CWnd* pParentWnd) : CDialog(nIDTemplate, pParentWnd) {}

CExtResizableDialog::~CExtResizableDialog() = default;

BOOL CExtResizableDialog::OnInitDialog()
{
    BOOL result = CDialog::OnInitDialog();
    m_anchors.clear();
    applyResizable();
    return result;
}

void CExtResizableDialog::OnOK() { CDialog::OnOK(); }

void CExtResizableDialog::OnCancel() { CDialog::OnCancel(); }

void CExtResizableDialog::applyResizable()
{
    QDialog* window = afxqt::dialogWidget(this);
    if (!window)
        return;
    const afxqt::WindowInfo* info = afxqt::windowInfo(window);
    bool thickFrame = info && (info->style & WS_THICKFRAME);
    // The grip itself is made when the window shows (OnShowWindow): a dialog that turns it
    // off in its OnInitDialog never builds one.
    if (window->isVisible() || !m_sizeGrip)
        window->setSizeGripEnabled(m_sizeGrip);
    if (afxqt::isResizable(window) != (m_sizeGrip || thickFrame))
        afxqt::setResizable(window, m_sizeGrip || thickFrame);
}

void CExtResizableDialog::ShowSizeGrip(bool bShow)
{
    m_sizeGrip = bShow;
    applyResizable();
}

BOOL CExtResizableDialog::AddAnchor(UINT nID, const CSize& topLeft, const CSize& bottomRight)
{
    CWnd* control = GetDlgItem(static_cast<int>(nID));
    if (!control)
        return FALSE;
    Anchor a{nID, topLeft, bottomRight, CRect(), CSize()};
    control->GetWindowRect(&a.initial);
    ScreenToClient(&a.initial);
    CRect client;
    GetClientRect(&client);
    a.initialClient = client.Size();
    for (Anchor& existing : m_anchors)
        if (existing.id == nID) {
            existing = a;
            return TRUE;
        }
    m_anchors.push_back(a);
    return TRUE;
}

void CExtResizableDialog::OnSize(UINT nType, int cx, int cy)
{
    CDialog::OnSize(nType, cx, cy);
    auto share = [](int delta, LONG percent) { return static_cast<int>(std::lround(delta * percent / 100.0)); };
    for (const Anchor& a : m_anchors) {
        CWnd* control = GetDlgItem(static_cast<int>(a.id));
        if (!control)
            continue;
        int dx = cx - a.initialClient.cx, dy = cy - a.initialClient.cy;
        int left = a.initial.left + share(dx, a.topLeft.cx);
        int top = a.initial.top + share(dy, a.topLeft.cy);
        int right, bottom;
        if (a.bottomRight.cx == -1 && a.bottomRight.cy == -1) {
            right = left + a.initial.Width();
            bottom = top + a.initial.Height();
        } else {
            right = a.initial.right + share(dx, a.bottomRight.cx);
            bottom = a.initial.bottom + share(dy, a.bottomRight.cy);
        }
        control->SetWindowPos(nullptr, left, top, right - left, bottom - top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void CExtResizableDialog::OnDestroy()
{
    if (m_saveRestore && (!m_saveOnlyOnOK || m_nModalResult == IDOK))
        savePosition();
    m_saveRestore = false;
    m_anchors.clear();
    CDialog::OnDestroy();
}

// ---- CExtButton -----------------------------------------------------------------------------

void CExtButton::SetIcon(HICON hIconIn, HICON hIconOut)
{
    CButton::SetIcon(hIconIn);
    auto* button = afxqt::liveWidget(m_hWnd);
    if (!button || !hIconIn || !hIconOut)
        return;
    QIcon icon(hIconIn->pixmap);
    icon.addPixmap(hIconOut->pixmap, QIcon::Active);  // the styles draw "active" while focused
    if (auto* b = qobject_cast<QAbstractButton*>(button))
        b->setIcon(icon);
}
