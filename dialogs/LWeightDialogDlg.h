// The line-weight dialog: AutoCAD's line-weight combo box with OK and Cancel.
#pragma once

#include "acui/acui.h"
#include "extctl/extctl.h"
#include "res/resource.h"

class CLWeightDialogDlg : public CExtResizableDialog {
public:
    enum { IDD = IDD_LWEIGHTDIALOG };

    explicit CLWeightDialogDlg(CWnd* pParent = nullptr);
    ~CLWeightDialogDlg() override;

    CAcUiLineWeightComboBox m_cbLineWeight;  // IDC_LWEIGHT_COMBO
    CExtButton m_btnOK;                      // IDOK
    CExtButton m_btnCancel;                  // IDCANCEL
    HICON m_hIcon = nullptr, m_hOkIcon = nullptr, m_hCancelIcon = nullptr;  // shared icons

    // In: the 0-based index of the entry to preselect. Out: the line weight of the chosen
    // entry after OK, -1 after Cancel.
    int m_nSelection = -1;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
};
