// The multi-edit window (template IDD_MULTIEDIT).
#include "dialogs/MultiEditDlg.h"

#include "dialogs/ValueRows.h"
#include "frame/Handler.h"

namespace {

const UINT kPickIds[CMultiEditDlg::kMaxRows] = {
    IDC_MULTIEDIT_PICK0, IDC_MULTIEDIT_PICK1, IDC_MULTIEDIT_PICK2, IDC_MULTIEDIT_PICK3,
    IDC_MULTIEDIT_PICK4, IDC_MULTIEDIT_PICK5, IDC_MULTIEDIT_PICK6, IDC_MULTIEDIT_PICK7,
};
const UINT kEditIds[CMultiEditDlg::kMaxRows] = {
    IDC_MULTIEDIT_EDIT0, IDC_MULTIEDIT_EDIT1, IDC_MULTIEDIT_EDIT2, IDC_MULTIEDIT_EDIT3,
    IDC_MULTIEDIT_EDIT4, IDC_MULTIEDIT_EDIT5, IDC_MULTIEDIT_EDIT6, IDC_MULTIEDIT_EDIT7,
};

}  // namespace

CMultiEditDlg::CMultiEditDlg(CWnd* pParent) : CExtResizableDialog(IDD, pParent) {}

CMultiEditDlg::~CMultiEditDlg() = default;

UINT CMultiEditDlg::PickId(int i) { return kPickIds[i]; }
UINT CMultiEditDlg::EditId(int i) { return kEditIds[i]; }

BEGIN_MESSAGE_MAP(CMultiEditDlg, CExtResizableDialog)
    ON_BN_CLICKED(IDC_MULTIEDIT_PICK0, &CMultiEditDlg::OnPick0)
    ON_BN_CLICKED(IDC_MULTIEDIT_PICK1, &CMultiEditDlg::OnPick1)
    ON_BN_CLICKED(IDC_MULTIEDIT_PICK2, &CMultiEditDlg::OnPick2)
    ON_BN_CLICKED(IDC_MULTIEDIT_PICK3, &CMultiEditDlg::OnPick3)
    ON_BN_CLICKED(IDC_MULTIEDIT_PICK4, &CMultiEditDlg::OnPick4)
    ON_BN_CLICKED(IDC_MULTIEDIT_PICK5, &CMultiEditDlg::OnPick5)
    ON_BN_CLICKED(IDC_MULTIEDIT_PICK6, &CMultiEditDlg::OnPick6)
    ON_BN_CLICKED(IDC_MULTIEDIT_PICK7, &CMultiEditDlg::OnPick7)
END_MESSAGE_MAP()

void CMultiEditDlg::DoDataExchange(CDataExchange* pDX)
{
    CExtResizableDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDCANCEL, m_btnCancel);
    DDX_Control(pDX, IDOK, m_btnOK);
    for (int i = 0; i < kMaxRows; ++i)
        DDX_Control(pDX, static_cast<int>(kPickIds[i]), m_btnPick[i]);
}

BOOL CMultiEditDlg::OnInitDialog()
{
    CExtResizableDialog::OnInitDialog();

    // A fixed window: no grip, no anchors, no saved position.
    ShowSizeGrip(false);
    valuerows::SetUpButtons(*this, m_btnOK, m_btnCancel, m_hIcon, m_hOKIcon, m_hCancelIcon);
    m_hPickIcon = LoadModuleIcon(IDI_PICK, 16);
    for (CExtButton& pick : m_btnPick) {
        pick.SetIcon(m_hPickIcon, nullptr);
        pick.Invalidate(TRUE);
    }

    // Rows from the top until the first that cannot be shown; the rest of the window goes.
    valuerows::FillRows(*this, m_btnOK, m_btnCancel, valuerows::RowHeight(*this, IDC_MULTIEDIT_ROWHEIGHT),
                        [this](int i) { return FillRow(i, kPickIds[i], kEditIds[i]); });
    return TRUE;
}

bool CMultiEditDlg::FillRow(int i, UINT pickId, UINT editId)
{
    if (i >= static_cast<int>(m_Rows.size()) || !m_Rows[i])
        return false;
    CWnd* pick = GetDlgItem(static_cast<int>(pickId));
    CWnd* edit = GetDlgItem(static_cast<int>(editId));
    if (!edit)
        return false;
    const MultiEditRow& row = *m_Rows[i];
    if (pick)
        pick->SetWindowText(row.m_strText);
    CString text;
    text.Format(L"%.2f", row.m_dValue);
    edit->SetWindowText(text);
    if (pick)
        pick->ShowWindow(SW_SHOW);
    edit->ShowWindow(SW_SHOW);
    return true;
}

void CMultiEditDlg::ShrinkDialog(int d) { valuerows::ShrinkDialog(*this, m_btnOK, m_btnCancel, d); }

void CMultiEditDlg::OnOK()
{
    valuerows::StoreShownRows(*this, kEditIds, [this](int i, const CString& text) { StoreRow(i, text); });
    CExtResizableDialog::OnOK();
}

void CMultiEditDlg::StoreRow(int i, const CString& text)
{
    if (i >= static_cast<int>(m_Rows.size()) || !m_Rows[i])
        return;
    m_Rows[i]->m_dValue = _wtof(text.GetString());
}

void CMultiEditDlg::OnPick0() { EndDialog(IDC_MULTIEDIT_PICK0); }
void CMultiEditDlg::OnPick1() { EndDialog(IDC_MULTIEDIT_PICK1); }
void CMultiEditDlg::OnPick2() { EndDialog(IDC_MULTIEDIT_PICK2); }
void CMultiEditDlg::OnPick3() { EndDialog(IDC_MULTIEDIT_PICK3); }
void CMultiEditDlg::OnPick4() { EndDialog(IDC_MULTIEDIT_PICK4); }
void CMultiEditDlg::OnPick5() { EndDialog(IDC_MULTIEDIT_PICK5); }
void CMultiEditDlg::OnPick6() { EndDialog(IDC_MULTIEDIT_PICK6); }
void CMultiEditDlg::OnPick7() { EndDialog(IDC_MULTIEDIT_PICK7); }
