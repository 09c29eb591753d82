// The button-value dialog window (template IDD_BUTTONVALUE).
#include "dialogs/ButtonValueDlg.h"

#include "frame/Handler.h"

CButtonValueDlg::CButtonValueDlg(CWnd* pParent) : CExtResizableDialog(IDD, pParent) {}

CButtonValueDlg::~CButtonValueDlg() = default;

BEGIN_MESSAGE_MAP(CButtonValueDlg, CExtResizableDialog)
    ON_BN_CLICKED(IDC_BUTTONVALUE_BACK, &CButtonValueDlg::OnBackValue)
END_MESSAGE_MAP()

void CButtonValueDlg::DoDataExchange(CDataExchange* pDX)
{
    CExtResizableDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDCANCEL, m_btnCancel);
    DDX_Control(pDX, IDOK, m_btnOK);
    DDX_Control(pDX, IDC_BUTTONVALUE_BACK, m_btnBack);
    DDX_Control(pDX, IDC_BUTTONVALUE_VALUE, m_editValue);
    DDX_Text(pDX, IDC_BUTTONVALUE_VALUE, m_strValue);
}

BOOL CButtonValueDlg::OnInitDialog()
{
    CExtResizableDialog::OnInitDialog();

    // A fixed window that opens where the user last left it.
    ShowSizeGrip(false);
    EnableSaveRestore(korWindowPositionSection, L"korDialog_ButtonValueDialog2", false, false);

    m_btnOK.SetWindowText(LoadModuleString(IDS_OK));
    m_btnCancel.SetWindowText(LoadModuleString(IDS_CANCEL));

    m_hIcon = LoadModuleIcon(IDI_KORLOGO);
    SetWindowIcons(*this, m_hIcon);

    m_hOKIcon = LoadModuleIcon(IDI_OK);
    m_hCancelIcon = LoadModuleIcon(IDI_CANCEL);
    m_hBackIcon = LoadModuleIcon(IDI_PICK, 16);
    m_btnOK.SetIcon(m_hOKIcon, nullptr);
    m_btnCancel.SetIcon(m_hCancelIcon, nullptr);
    m_btnBack.SetIcon(m_hBackIcon, nullptr);
    m_btnOK.Invalidate(TRUE);
    m_btnCancel.Invalidate(TRUE);
    m_btnBack.Invalidate(TRUE);

    if (CWnd* header = GetDlgItem(IDC_BUTTONVALUE_HEADER))
        header->SetWindowText(m_strHeader);
    if (CWnd* back = GetDlgItem(IDC_BUTTONVALUE_BACK))
        back->SetWindowText(m_strButton);

    // The default stands selected in the edit, so that typing replaces it.
    m_editValue.SetFocus();
    m_editValue.SendMessage(EM_SETSEL, 0, -1);
    m_editValue.SendMessage(EM_SCROLLCARET);
    return FALSE;
}

void CButtonValueDlg::OnBackValue() { EndDialog(IDC_BUTTONVALUE_BACK); }
