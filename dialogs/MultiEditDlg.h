// The multi-edit window: up to eight rows of real numbers, each row a pick button that
// carries the row's label and an edit field with the value, OK and Cancel below. OK writes
// the edited numbers back into the rows. A pick button ends the window at once with its own
// id, so that the caller can let the user show the distance in the drawing and open a fresh
// window with it. The window shows only the rows it has and gets shorter by the rest.
#pragma once

#include "extctl/extctl.h"
#include "res/resource.h"

#include <vector>

// One row of the multi-edit window. Created and deleted by the caller; the window reads the
// text and reads and writes the value.
struct MultiEditRow {
    MultiEditRow() = default;
    MultiEditRow(const CString& text, double value) : m_strText(text), m_dValue(value) {}

    CString m_strText;     // the label on the pick button, also used in the pick prompt
    double m_dValue = 0.0;  // the value edited
};

class CMultiEditDlg : public CExtResizableDialog {
public:
    enum { IDD = IDD_MULTIEDIT };
    static constexpr int kMaxRows = 8;

    explicit CMultiEditDlg(CWnd* pParent = nullptr);
    ~CMultiEditDlg() override;

    CExtButton m_btnCancel;          // IDCANCEL
    CExtButton m_btnOK;              // IDOK
    CExtButton m_btnPick[kMaxRows];  // IDC_MULTIEDIT_PICK0 .. PICK7

    // Set by the caller before DoModal; the rows stay the caller's. Index i is screen row i;
    // rows from the ninth on are neither shown nor changed.
    std::vector<MultiEditRow*> m_Rows;

    HICON m_hIcon = nullptr;        // window icon (shared, never destroyed here)
    HICON m_hOKIcon = nullptr;      // on the OK button (shared)
    HICON m_hCancelIcon = nullptr;  // on the Cancel button (shared)
    HICON m_hPickIcon = nullptr;    // 16 x 16, on every pick button (shared)

    // The pick button and edit control ids of screen row i (0..7).
    static UINT PickId(int i);
    static UINT EditId(int i);

protected:
    DECLARE_MESSAGE_MAP()
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;

    // A pick button ends the window with its own id; typed values are not stored.
    void OnPick0();
    void OnPick1();
    void OnPick2();
    void OnPick3();
    void OnPick4();
    void OnPick5();
    void OnPick6();
    void OnPick7();

    // Shows row i on its pick button and edit field; false when there is no such row.
    bool FillRow(int i, UINT pickId, UINT editId);
    // Makes the window d pixels shorter and moves OK and Cancel up by as much.
    void ShrinkDialog(int d);
    // Writes the number typed in row i back into the row.
    void StoreRow(int i, const CString& text);
};
