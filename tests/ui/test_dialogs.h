// The window tests' own dialog templates and icon, registered as the test program's resources.
#pragma once

#include "mfc/afxres.h"

// A resizable form: a name edit, a list below it, a note, OK and Cancel.
#define IDD_TEST_FORM 9100
#define IDC_FORM_NAME 9101
#define IDC_FORM_LIST 9102
#define IDC_FORM_NOTE 9103

// Keys and data exchange: three edits, a combo box, Apply, a hidden button, OK (default), Cancel.
#define IDD_TEST_KEYS 9200
#define IDC_KEYS_TEXT 9201
#define IDC_KEYS_INT 9202
#define IDC_KEYS_REAL 9203
#define IDC_KEYS_COMBO 9204
#define IDC_KEYS_APPLY 9205
#define IDC_KEYS_HIDDEN 9206
#define IDC_KEYS_LABEL 9207

// No default push button and no OK button: Enter sends IDOK all the same.
#define IDD_TEST_PLAIN 9300
#define IDC_PLAIN_EDIT 9301
#define IDC_PLAIN_GO 9302
#define IDC_PLAIN_LIST 9303

// A template naming a window class nobody registered: the dialog cannot be created.
#define IDD_TEST_BROKEN 9400

// A search field over a sorted list, a hint, and a list with extended selection.
#define IDD_TEST_SEARCH 9600
#define IDC_SEARCH_TEXT 9601
#define IDC_SEARCH_LIST 9602
#define IDC_SEARCH_HINT 9603
#define IDC_SEARCH_MULTI 9604

#define IDI_TEST_DOT 9500  // 8 x 8 and 16 x 16

HINSTANCE testResourceInstance();

#include "mfc/afxwin.h"

// Counts what reaches its handlers, exchanges three values and the combo's choice; Apply may open PlainDialog.
class KeysDialog : public CDialog {
public:
    KeysDialog() : CDialog(IDD_TEST_KEYS) {}

    CString m_text = L"Hydrant", m_choice;
    int m_number = 42;
    double m_real = 2.5;
    CComboBox m_combo;
    CButton m_apply;

    int applied = 0, oks = 0, cancels = 0, textChanges = 0, comboChanges = 0;
    bool refuseCancel = false, applyOpensInner = false;
    INT_PTR innerResult = 0;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    afx_msg void OnApply();
    afx_msg void OnTextChange() { ++textChanges; }
    afx_msg void OnComboChange() { ++comboChanges; }
    DECLARE_MESSAGE_MAP()
};

// No default push button and no OK button: counts the clicks on its one button.
class PlainDialog : public CDialog {
public:
    explicit PlainDialog(CWnd* parent = nullptr) : CDialog(IDD_TEST_PLAIN, parent) {}
    int goes = 0;

protected:
    afx_msg void OnGo() { ++goes; }
    DECLARE_MESSAGE_MAP()
};
