// The grid dialog window (template IDD_GRIDDIALOG).
#include "dialogs/GridDialogDlg.h"

#include "frame/Handler.h"

#include <cwchar>

CGridDialogDlg::CGridDialogDlg(CWnd* pParent) : CExtResizableDialog(IDD, pParent) {}

CGridDialogDlg::~CGridDialogDlg() = default;

void CGridDialogDlg::SetHeaders(const CStringArray& headers)
{
    m_Grid.SetFixedRowCount(1);
    m_Grid.SetColumnCount(headers.GetSize() + 1);
    for (int j = 0; j < headers.GetSize(); ++j)
        m_Grid.GetCell(0, j + 1)->SetText(headers[j]);
    ApplySelection();
}

void CGridDialogDlg::SetRows(const std::vector<CStringArray*>& rows)
{
    const int fixedRows = m_Grid.GetFixedRowCount();
    m_Grid.SetRowCount(fixedRows + static_cast<int>(rows.size()));
    for (size_t i = 0; i < rows.size(); ++i) {
        const int r = fixedRows + static_cast<int>(i);
        const CStringArray empty;
        const CStringArray& texts = rows[i] ? *rows[i] : empty;
        if (texts.GetSize() > m_Grid.GetColumnCount() - 1)
            m_Grid.SetColumnCount(texts.GetSize() + 1);  // columns only grow
        m_Grid.SetCellType(r, 0, RUNTIME_CLASS(CGridCellCheckIfSel));
        for (int j = 0; j < texts.GetSize(); ++j) {
            m_Grid.GetCell(r, j + 1)->SetText(texts[j]);
            if (j == 0 || j == 1)
                m_Grid.SetItemState(r, j, m_Grid.GetItemState(r, j) | GVIS_READONLY);
        }
    }
    ApplySelection();
}

void CGridDialogDlg::ApplySelection()
{
    for (int i = 0; i < m_SelectionList.GetSize(); ++i) {
        const int r = static_cast<int>(_wtol(m_SelectionList[i]));
        if (r >= m_Grid.GetFixedRowCount() && r < m_Grid.GetRowCount())
            m_Grid.SetSelectedRange(r, m_Grid.GetFixedColumnCount(), r, m_Grid.GetColumnCount() - 1, FALSE, TRUE);
    }
}

void CGridDialogDlg::DoDataExchange(CDataExchange* pDX)
{
    CExtResizableDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_GRIDDIALOG_GRID, m_Grid);
    DDX_Control(pDX, IDCANCEL, m_btnCancel);
    DDX_Control(pDX, IDOK, m_btnOK);
}

BOOL CGridDialogDlg::OnInitDialog()
{
    CExtResizableDialog::OnInitDialog();

    SetWindowText(m_strTitle);
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

    AddAnchor(IDOK, CSize(0, 100));
    AddAnchor(IDCANCEL, CSize(100, 100));
    AddAnchor(IDC_GRIDDIALOG_GRID, CSize(0, 0), CSize(100, 100));
    EnableSaveRestore(korWindowPositionSection, L"korDialog::GridDialog", false, false);

    m_Grid.SetFixedColumnCount(0);
    m_Grid.EnableTitleTips(FALSE);
    m_Grid.SetTrackFocusCell(FALSE);
    m_Grid.SetListMode(TRUE);
    m_Grid.SetSingleRowSelection(!m_bMultipleSelection);
    m_Grid.SetGridLines(GVL_HORZ);
    m_Grid.SetEditable(m_bEdit);
    m_Grid.AutoSizeColumns(m_Grid.GetAutoSizeStyle());
    m_Grid.Invalidate(TRUE);

    ApplySelection();

    // The rows are what the user works on: the keyboard starts in the grid, so Enter
    // confirms the dialog and the arrows move through the rows.
    GotoDlgCtrl(&m_Grid);
    return FALSE;
}

void CGridDialogDlg::OnOK()
{
    m_SelectionList.RemoveAll();
    for (int r = m_Grid.GetFixedRowCount(); r < m_Grid.GetRowCount(); ++r) {
        if (m_Grid.IsCellSelected(r, 0)) {
            CString row;
            row.Format(L"%i", r);
            m_SelectionList.Add(row);
        }
        if (m_bEdit) {
            // A grid with fewer than two text columns has no such cells: they read as empty.
            m_KeyTexts.Add(m_Grid.GetItemText(r, 1));
            m_ValueTexts.Add(m_Grid.GetItemText(r, 2));
        }
    }
    CExtResizableDialog::OnOK();
}

void CGridDialogDlg::OnCancel()
{
    m_SelectionList.RemoveAll();
    CExtResizableDialog::OnCancel();
}
