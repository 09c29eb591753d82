// The button dialog window (template IDD_BUTTONDIALOG).
#include "dialogs/ButtonDialogDlg.h"

#include "frame/Handler.h"

namespace {

UINT choiceId(int k) { return static_cast<UINT>(IDC_BUTTONDIALOG_CHOICE0 + 2 * k); }

}  // namespace

CButtonDialogDlg::CButtonDialogDlg(CWnd* pParent) : CExtResizableDialog(IDD, pParent) {}

CButtonDialogDlg::~CButtonDialogDlg() = default;

BEGIN_MESSAGE_MAP(CButtonDialogDlg, CExtResizableDialog)
    ON_CONTROL_RANGE(BN_CLICKED, IDC_BUTTONDIALOG_CHOICE0, IDC_BUTTONDIALOG_CHOICE11, &CButtonDialogDlg::OnChoice)
END_MESSAGE_MAP()

void CButtonDialogDlg::DoDataExchange(CDataExchange* pDX)
{
    CExtResizableDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDCANCEL, m_btnCancel);
    for (int k = 0; k < kMaxButtons; ++k)
        DDX_Control(pDX, static_cast<int>(choiceId(k)), m_btnChoice[k]);
}

BOOL CButtonDialogDlg::OnInitDialog()
{
    CExtResizableDialog::OnInitDialog();

    // A fixed window: no grip, no anchors, no saved position.
    ShowSizeGrip(false);
    SetWindowText(m_strTitle);
    m_btnCancel.SetWindowText(LoadModuleString(IDS_CANCEL));

    m_hIcon = LoadModuleIcon(IDI_KORLOGO);
    SetWindowIcons(*this, m_hIcon);

    m_hCancelIcon = LoadModuleIcon(IDI_CANCEL);
    m_btnCancel.SetIcon(m_hCancelIcon, nullptr);
    m_btnCancel.Invalidate(TRUE);

    // One row of the column is as high as the spacer control.
    int rowHeight = 0;
    if (CWnd* spacer = GetDlgItem(IDC_BUTTONDIALOG_SPACER)) {
        CRect r;
        spacer->GetWindowRect(&r);
        rowHeight = r.bottom - r.top;
    }

    // One button per entry, from the top, until the entries (or the buttons) run out.
    int shown = 0;
    for (int k = 0; k < kMaxButtons; ++k) {
        if (static_cast<int>(m_Entries.size()) <= k || !m_Entries[k])
            break;
        m_btnChoice[k].SetWindowText(m_Entries[k]->m_strCaption);
        m_btnChoice[k].ShowWindow(SW_SHOW);
        ++shown;
    }
    if (shown == kMaxButtons)
        return TRUE;

    // Take away the empty rows: the window gets shorter and Cancel moves up by as much.
    int d = rowHeight * (kMaxButtons - shown);
    CRect window;
    GetWindowRect(&window);
    CRect cancel;
    m_btnCancel.GetWindowRect(&cancel);
    ScreenToClient(&cancel);
    SetWindowPos(nullptr, window.left, window.top, window.Width(), window.Height() - d, SWP_NOZORDER);
    m_btnCancel.SetWindowPos(nullptr, cancel.left, cancel.top - d, cancel.Width(), cancel.Height(), SWP_NOZORDER);

    if (m_nDefault >= 0 && m_nDefault < kMaxButtons) {
        m_btnChoice[m_nDefault].SetFocus();
        return FALSE;
    }
    return TRUE;
}

void CButtonDialogDlg::OnChoice(UINT nID)
{
    // The range holds the choice buttons' odd ids; the even ids between them are no control.
    UINT offset = nID - IDC_BUTTONDIALOG_CHOICE0;
    if (offset % 2 != 0)
        return;
    int k = static_cast<int>(offset / 2);
    if (static_cast<int>(m_Entries.size()) <= k)
        return;  // a button without an entry (it can hold the focus while hidden)
    m_pSelected = m_Entries[k];
    EndDialog(static_cast<int>(nID));
}

void CButtonDialogDlg::OnCancel() { CExtResizableDialog::OnCancel(); }
