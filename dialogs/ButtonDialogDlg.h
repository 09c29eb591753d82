// The button dialog: one column of up to twelve choice buttons and Cancel below them. The
// window shrinks to the buttons in use; a click records the chosen entry and closes it.
#pragma once

#include "extctl/extctl.h"
#include "res/resource.h"

#include <vector>

// One choice of the button dialog. Created and deleted by the caller; the dialog only reads.
struct CButtonDialogEntry {
    CButtonDialogEntry() = default;
    CButtonDialogEntry(const CString& caption, const CString& returnText)
        : m_strCaption(caption), m_strReturn(returnText) {}

    CString m_strCaption;  // shown on the button
    CString m_strReturn;    // handed back to LISP when the button is clicked
};

class CButtonDialogDlg : public CExtResizableDialog {
public:
    enum { IDD = IDD_BUTTONDIALOG };
    static constexpr int kMaxButtons = 12;

    explicit CButtonDialogDlg(CWnd* pParent = nullptr);
    ~CButtonDialogDlg() override;

    CExtButton m_btnCancel;                 // IDCANCEL
    CExtButton m_btnChoice[kMaxButtons];    // choice button k: IDC_BUTTONDIALOG_CHOICE0 + 2k

    // Filled by the caller before DoModal; the entries stay the caller's.
    std::vector<CButtonDialogEntry*> m_Entries;
    CString m_strTitle;                     // the window caption
    short m_nDefault = 0;                   // 0-based index of the button that gets the focus

    // The entry whose button was clicked; null until then (and after Cancel, Escape or the
    // close box).
    CButtonDialogEntry* m_pSelected = nullptr;

    HICON m_hIcon = nullptr;        // window icon (shared, never destroyed here)
    HICON m_hCancelIcon = nullptr;  // icon of the Cancel button (shared as well)

protected:
    DECLARE_MESSAGE_MAP()
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnCancel() override;

    // A click on choice button nID records its entry and ends the dialog with nID.
    afx_msg void OnChoice(UINT nID);
};
