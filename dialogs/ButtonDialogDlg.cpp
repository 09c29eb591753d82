// The button dialog window (template 30018).
#include "dialogs/ButtonDialogDlg.h"

#include "frame/korDialog.h"

namespace {

UINT choiceId(int k) { return static_cast<UINT>(IDC_BUTTONDIALOG_CHOICE0 + 2 * k); }

}  // namespace

CButtonDialogDlg::CButtonDialogDlg(CWnd* pParent) : CExtResizableDialog(IDD, pParent) {}

CButtonDialogDlg::~CButtonDialogDlg() = default;

BEGIN_MESSAGE_MAP(CButtonDialogDlg, CExtResizableDialog)
    ON_BN_CLICKED(1001, &CButtonDialogDlg::OnButton0)
    ON_BN_CLICKED(1003, &CButtonDialogDlg::OnButton1)
    ON_BN_CLICKED(1005, &CButtonDialogDlg::OnButton2)
    ON_BN_CLICKED(1007, &CButtonDialogDlg::OnButton3)
    ON_BN_CLICKED(1009, &CButtonDialogDlg::OnButton4)
    ON_BN_CLICKED(1011, &CButtonDialogDlg::OnButton5)
    ON_BN_CLICKED(1013, &CButtonDialogDlg::OnButton6)
    ON_BN_CLICKED(1015, &CButtonDialogDlg::OnButton7)
    ON_BN_CLICKED(1017, &CButtonDialogDlg::OnButton8)
    ON_BN_CLICKED(1019, &CButtonDialogDlg::OnButton9)
    ON_BN_CLICKED(1021, &CButtonDialogDlg::OnButton10)
    ON_BN_CLICKED(1023, &CButtonDialogDlg::OnButton11)
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

    m_hIcon = static_cast<HICON>(
        LoadImageW(korDialogInstance(), MAKEINTRESOURCEW(IDI_KORLOGO), IMAGE_ICON, 32, 32, LR_SHARED));
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

    m_hCancelIcon = static_cast<HICON>(
        LoadImageW(korDialogInstance(), MAKEINTRESOURCEW(IDI_CANCEL), IMAGE_ICON, 32, 32, LR_SHARED));
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

void CButtonDialogDlg::Choose(int k)
{
    if (static_cast<int>(m_Entries.size()) <= k)
        return;  // a button without an entry (it can hold the focus while hidden)
    m_pSelected = m_Entries[k];
    EndDialog(static_cast<int>(choiceId(k)));
}

void CButtonDialogDlg::OnButton0() { Choose(0); }
void CButtonDialogDlg::OnButton1() { Choose(1); }
void CButtonDialogDlg::OnButton2() { Choose(2); }
void CButtonDialogDlg::OnButton3() { Choose(3); }
void CButtonDialogDlg::OnButton4() { Choose(4); }
void CButtonDialogDlg::OnButton5() { Choose(5); }
void CButtonDialogDlg::OnButton6() { Choose(6); }
void CButtonDialogDlg::OnButton7() { Choose(7); }
void CButtonDialogDlg::OnButton8() { Choose(8); }
void CButtonDialogDlg::OnButton9() { Choose(9); }
void CButtonDialogDlg::OnButton10() { Choose(10); }
void CButtonDialogDlg::OnButton11() { Choose(11); }

void CButtonDialogDlg::OnCancel() { CExtResizableDialog::OnCancel(); }
