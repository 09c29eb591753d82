// The CAD-class assignment dialog: the user picks one CAD class from the offered lines, which a
// search text narrows, or takes the class over from an entity picked in the drawing ("Zeigen").
//
// Exported from korDialog for the suite's modules. The caller fills m_strTitle, m_strHint and
// m_arrItems (the classes' display texts; their index is the item index), runs DoModal and,
// after IDOK, reads m_nSelectedIndex: the item index of the chosen line.
#pragma once

#include "korgui/korrollout.h"
#include "mfc/afxwin.h"

// The API of korDialog.so: these classes (and the entry points) are all it exports; the
// linker keeps every other symbol of the module inside it (frame/korDialog.map).
#define KOR_CADCLASS_EXPORT __attribute__((visibility("default")))

class CKORGuiProgress;

class KOR_CADCLASS_EXPORT CDlgCADClassUserAssignment : public CKORGuiRolloutDlg {
    DECLARE_DYNCREATE(CDlgCADClassUserAssignment)

public:
    explicit CDlgCADClassUserAssignment(CWnd* pParent);
    CDlgCADClassUserAssignment();
    ~CDlgCADClassUserAssignment() override;

    // The progress window to hide while the user picks in the drawing (not owned).
    void SetProgressDialog(CKORGuiProgress* pProgress);

    INT_PTR DoModal() override;
    BOOL SetAllLabels() override;

private:
    HICON m_hShowIcon = nullptr;
    CKORGuiProgress* m_pProgress = nullptr;
    CBrush m_brHighlight;
    int m_nOfferedIndex = -1;  // the item of the line selected for the user by a search, -1 if none

public:
    CString m_strTitle;
    CString m_strHint;
    CStringArray m_arrItems;
    int m_nSelectedIndex = -1;

protected:
    CStatic m_stSearch;
    CEdit m_edSearch;
    CStatic m_stHint;
    CListBox m_lbItems;
    CExtButton m_btnOK;
    CExtButton m_btnCancel;
    CExtButton m_btnShow;

    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;

    afx_msg void OnChangedSearch();
    afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) override;
    afx_msg void OnDestroy() override;
    afx_msg void OnZeigen();

    DECLARE_MESSAGE_MAP()
};
