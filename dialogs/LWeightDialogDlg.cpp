// The line-weight dialog window (template IDD_LWEIGHTDIALOG).
#include "dialogs/LWeightDialogDlg.h"

#include "frame/Handler.h"
#include "kor/korcommon.h"

CLWeightDialogDlg::CLWeightDialogDlg(CWnd* pParent) : CExtResizableDialog(IDD, pParent) {}

CLWeightDialogDlg::~CLWeightDialogDlg() = default;

void CLWeightDialogDlg::DoDataExchange(CDataExchange* pDX)
{
    CExtResizableDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_LWEIGHT_COMBO, m_cbLineWeight);
    DDX_Control(pDX, IDCANCEL, m_btnCancel);
    DDX_Control(pDX, IDOK, m_btnOK);
}

BOOL CLWeightDialogDlg::OnInitDialog()
{
    CExtResizableDialog::OnInitDialog();

    SetWindowText(LoadResourceString(IDS_LWEIGHT_TITLE, korDialogInstance(), nullptr));
    m_btnOK.SetWindowText(LoadModuleString(IDS_OK));
    m_btnCancel.SetWindowText(LoadModuleString(IDS_CANCEL));

    m_hIcon = LoadModuleIcon(IDI_KORLOGO);
    SetWindowIcons(*this, m_hIcon);
    m_hCancelIcon = LoadModuleIcon(IDI_CANCEL);
    m_btnCancel.SetIcon(m_hCancelIcon, nullptr);
    m_btnCancel.Invalidate(TRUE);
    m_hOkIcon = LoadModuleIcon(IDI_OK);
    m_btnOK.SetIcon(m_hOkIcon, nullptr);
    m_btnOK.Invalidate(TRUE);

    m_cbLineWeight.SetUseByLayer(FALSE);
    m_cbLineWeight.SetUseByBlock(FALSE);
    m_cbLineWeight.SetUseDefault(TRUE);
    m_cbLineWeight.AddItems();
    // The value is a position in the list, not a line weight.
    m_cbLineWeight.SendMessage(CB_SETCURSEL, static_cast<WPARAM>(m_nSelection), 0);

    AddAnchor(IDOK, CSize(0, 100));
    AddAnchor(IDCANCEL, CSize(100, 100));
    AddAnchor(IDC_LWEIGHT_COMBO, CSize(0, 0), CSize(100, 100));
    EnableSaveRestore(korWindowPositionSection, L"korDialog::LWeightDialog", false, false);
    return TRUE;
}

void CLWeightDialogDlg::OnOK()
{
    m_nSelection = m_cbLineWeight.GetCurrentItemLineWeight();
    CExtResizableDialog::OnOK();
}

void CLWeightDialogDlg::OnCancel()
{
    m_nSelection = -1;
    CExtResizableDialog::OnCancel();
}
