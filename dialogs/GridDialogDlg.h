// The grid dialog: a table with one header row, a first column that marks the selected rows
// and the entries' texts after it. The user selects one or several rows, or in edit mode
// changes texts, and confirms with OK.
#pragma once

#include "extctl/extctl.h"
#include "korgui/korgui.h"
#include "res/resource.h"

#include <vector>

class CGridDialogDlg : public CExtResizableDialog {
public:
    enum { IDD = IDD_GRIDDIALOG };

    explicit CGridDialogDlg(CWnd* pParent = nullptr);
    ~CGridDialogDlg() override;

    // Header j becomes the header of grid column j + 1.
    void SetHeaders(const CStringArray& headers);
    // One grid row per array, from grid row 1, its texts in columns 1, 2, ...; the texts are
    // copied, the arrays stay the caller's. Columns 0 and 1 of a row are read-only.
    void SetRows(const std::vector<CStringArray*>& rows);

    CKORGuiExtGridCtrl m_Grid{0, 0, 0, 0};  // control IDC_GRIDDIALOG_GRID
    CExtButton m_btnOK;                      // IDOK
    CExtButton m_btnCancel;                  // IDCANCEL
    HICON m_hIcon = nullptr, m_hOkIcon = nullptr, m_hCancelIcon = nullptr;  // shared icons

    CString m_strTitle;
    // Grid row numbers as decimal texts: in, the rows to preselect; out, the rows chosen on OK
    // in ascending order (empty after Cancel).
    CStringArray m_SelectionList;
    CStringArray m_ValueTexts;  // out, edit mode: the text of column 2 of every data row
    CStringArray m_KeyTexts;    // out, edit mode: the text of column 1 of every data row
    bool m_bMultipleSelection = true;
    bool m_bEdit = false;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

private:
    // Selects every data row the selection list names; other texts are skipped.
    void ApplySelection();
};
