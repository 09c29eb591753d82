// The FragBox window: up to eight rows of a label and an edit field, OK and Cancel below.
// Each row edits one LISP value (a real, an integer or a string); OK writes the edited texts
// back into the rows as values of the type each row came with. The window shows only the
// rows it has values for and gets shorter by the rows it does not show.
#pragma once

#include "extctl/extctl.h"
#include "kor/adslisp.h"
#include "res/resource.h"

#include <vector>

// One row of the FragBox. Created and deleted by the caller; the dialog reads the text and
// reads and writes the value.
struct FragBoxRow {
    FragBoxRow() = default;
    FragBoxRow(const CString& text, const CKORAdsLispVar& value) : m_strText(text), m_Value(value) {}

    CString m_strText;       // the label left of the edit field
    CKORAdsLispVar m_Value;  // the value edited; its LISP type decides formatting and parsing
};

class CFragBoxDlg : public CExtResizableDialog {
public:
    enum { IDD = IDD_FRAGBOX };
    static constexpr int kMaxRows = 8;

    explicit CFragBoxDlg(CWnd* pParent = nullptr);
    ~CFragBoxDlg() override;

    CExtButton m_btnCancel;  // IDCANCEL
    CExtButton m_btnOK;      // IDOK

    // Set by the caller before DoModal; the rows stay the caller's. Index i is screen row i;
    // rows from the ninth on are neither shown nor changed.
    std::vector<FragBoxRow*> m_Rows;

    HICON m_hIcon = nullptr;        // window icon (shared, never destroyed here)
    HICON m_hOKIcon = nullptr;      // on the OK button (shared)
    HICON m_hCancelIcon = nullptr;  // on the Cancel button (shared)

    // The label and edit control ids of screen row i (0..7).
    static UINT LabelId(int i);
    static UINT EditId(int i);

protected:
    DECLARE_MESSAGE_MAP()
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;

    // Shows row i in the given controls; false when there is no such row or its value is
    // of a type the box cannot edit (the row and all after it then stay hidden).
    bool FillRow(int i, UINT labelId, UINT editId);
    // Makes the window d pixels shorter and moves OK and Cancel up by as much.
    void ShrinkDialog(int d);
    // Writes the text edited in row i back into the row's value, in the value's own type.
    void StoreRow(int i, const CString& text);
};
