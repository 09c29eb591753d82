// The button-value dialog: a label, an edit with a default value, and beside the edit a
// button that ends the dialog with a fixed back value instead of the edited one.
#pragma once

#include "extctl/extctl.h"
#include "res/resource.h"

class CButtonValueDlg : public CExtResizableDialog {
public:
    enum { IDD = IDD_BUTTONVALUE };

    explicit CButtonValueDlg(CWnd* pParent = nullptr);
    ~CButtonValueDlg() override;

    CExtButton m_btnCancel;  // IDCANCEL
    CExtButton m_btnOK;      // IDOK
    CExtButton m_btnBack;    // IDC_BUTTONVALUE_BACK: ends the dialog with its own id
    CExtEdit m_editValue;    // IDC_BUTTONVALUE_VALUE

    // Set by the caller before DoModal (the default); after IDOK the edit's content at the
    // moment OK was pressed. Not read back after Cancel or the back-value button.
    CString m_strValue;

    // Shared icons, never destroyed here.
    HICON m_hIcon = nullptr;      // window icon
    HICON m_hOKIcon = nullptr;
    HICON m_hCancelIcon = nullptr;
    HICON m_hBackIcon = nullptr;

    CString m_strHeader;  // the label above the edit
    CString m_strButton;  // the caption of the back-value button

protected:
    DECLARE_MESSAGE_MAP()
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

    // The back-value button: ends the dialog with IDC_BUTTONVALUE_BACK, without taking the
    // edit's content.
    afx_msg void OnBackValue();
};
