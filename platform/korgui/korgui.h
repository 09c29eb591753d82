// korgui.h — the grid control of the suite's common library: a table of text cells with one
// header row, whole-row selection by mouse and keyboard and in-place editing.
//
// Stands in for: the common library's CKORGuiExtGridCtrl with its cell classes
// (CKORGuiExtGridCellBase, CKORGuiExtGridCell, CGridCellCheckIfSel). Template controls of the
// window class "MFCGridCtrl" become grid windows; DDX_Control binds one to the C++ object.
// [X] counts of rows, columns, fixed rows (0 or 1: the header row), fixed columns (0)
// [X] cells with text and item state (GVIS_READONLY), cell classes by runtime class
//     (CObject classes with DECLARE_DYNCREATE, derived from CKORGuiExtGridCellBase)
// [X] list mode (whole rows), single or multiple selection, SetSelectedRange, IsCellSelected
// [X] in-place editing of cells that are not read-only (double click, F2 or typing)
// [X] column widths (0 hides a column), AutoSizeColumns, grid lines, colours
// [X] title tips (a cut text as tooltip), tracking of the focus cell in the header
// [ ] fixed columns, several fixed rows, merged cells, sorting, drag and drop, printing
//
// The grid keeps its cells itself, so it can be filled before its window exists (as dialogs
// do before DoModal); the window shows them through a model, never a widget per cell.
//
// The keyboard: arrows, Page Up/Down, Home/End move the current row and select it; Shift
// extends the selection, Ctrl moves without selecting; Space selects the current row (in
// multiple selection it toggles it); Ctrl+A selects all rows. F2, or typing a character,
// edits the current cell when editing is on; Enter ends an edit, Escape drops it. Enter
// outside an edit is left to the dialog (it confirms it) and never starts an edit.
#pragma once

#include "mfc/afxwin.h"

#include <memory>
#include <vector>

// Item states of a cell (bits, as the grid's users test them).
#define GVIS_FOCUSED 0x0001
#define GVIS_SELECTED 0x0002
#define GVIS_READONLY 0x0008
#define GVIS_FIXED 0x0010

// Grid-line styles.
#define GVL_NONE 0
#define GVL_HORZ 1  // a line under every row
#define GVL_VERT 2  // a line right of every column
#define GVL_BOTH 3

// Auto-size styles: what AutoSizeColumns measures.
#define GVS_DEFAULT 0
#define GVS_HEADER 1  // the header texts only
#define GVS_DATA 2    // the texts of the data rows only
#define GVS_BOTH 3

// One cell: its text and its item state. A cell class derives from it and declares itself
// with DECLARE_DYNCREATE, so that SetCellType can make one from RUNTIME_CLASS(its name).
class CKORGuiExtGridCellBase : public CObject {
    DECLARE_DYNAMIC(CKORGuiExtGridCellBase)
public:
    ~CKORGuiExtGridCellBase() override;

    virtual void SetText(LPCTSTR text) { m_strText = text ? text : L""; }
    virtual LPCTSTR GetText() const { return m_strText; }
    virtual void SetState(DWORD state) { m_nState = state; }
    virtual DWORD GetState() const { return m_nState; }
    // True for cells that show whether their row is selected instead of a text.
    virtual bool ShowsRowSelection() const { return false; }
    // For cells that draw a dash pattern instead of a text: its lengths; else null.
    virtual const std::vector<double>* DashPattern() const { return nullptr; }

    // Takes text and state of another cell (when SetCellType replaces a cell).
    void CopyFrom(const CKORGuiExtGridCellBase& other);

private:
    CString m_strText;
    DWORD m_nState = 0;
};

// The plain text cell every grid position starts with.
class CKORGuiExtGridCell : public CKORGuiExtGridCellBase {
    DECLARE_DYNCREATE(CKORGuiExtGridCell)
};

// A cell that shows a check mark while its row is selected; it has no text of its own to show
// and is never edited.
class CGridCellCheckIfSel : public CKORGuiExtGridCell {
    DECLARE_DYNCREATE(CGridCellCheckIfSel)
public:
    bool ShowsRowSelection() const override { return true; }
};

// A cell that draws a short line in a dash pattern, as a line type is drawn: positive
// lengths are dashes, negative ones gaps, 0 a dot; no lengths draw a solid line. Its text is
// not shown (it can name the pattern for the caller); it is never edited.
class CKORGuiExtGridCellPattern : public CKORGuiExtGridCell {
    DECLARE_DYNCREATE(CKORGuiExtGridCellPattern)
public:
    void SetPattern(const std::vector<double>& lengths);
    const std::vector<double>* DashPattern() const override { return &m_pattern; }

private:
    std::vector<double> m_pattern;
};

class CKORGuiExtGridCtrl : public CWnd {
public:
    CKORGuiExtGridCtrl(int nRows = 0, int nCols = 0, int nFixedRows = 0, int nFixedCols = 0);
    ~CKORGuiExtGridCtrl() override;

    // ---- size -------------------------------------------------------------------------------
    // Counts grow or shrink at the end; cells that stay keep their texts and states. False for
    // a negative count, a fixed row count above 1 or a fixed column count above 0.
    BOOL SetRowCount(int nRows);
    BOOL SetColumnCount(int nCols);
    BOOL SetFixedRowCount(int nFixedRows);
    BOOL SetFixedColumnCount(int nFixedCols);
    int GetRowCount() const;
    int GetColumnCount() const;
    int GetFixedRowCount() const;
    int GetFixedColumnCount() const;

    // ---- cells ------------------------------------------------------------------------------
    // The cell at (nRow, nCol), made on first use; null outside the grid. A text changed
    // through the cell shows on the next repaint (Invalidate); SetItemText shows at once.
    CKORGuiExtGridCellBase* GetCell(int nRow, int nCol);
    const CKORGuiExtGridCellBase* GetCell(int nRow, int nCol) const;
    // Replaces the cell by a new one of the class, keeping text and state. False (and the cell
    // unchanged) for a class that is no creatable cell class.
    BOOL SetCellType(int nRow, int nCol, CRuntimeClass* pRuntimeClass);
    BOOL SetItemText(int nRow, int nCol, LPCTSTR text);
    CString GetItemText(int nRow, int nCol) const;
    BOOL SetItemState(int nRow, int nCol, UINT state);
    UINT GetItemState(int nRow, int nCol) const;

    // ---- selection ----------------------------------------------------------------------------
    // List mode: a click or key selects whole rows (otherwise single cells).
    void SetListMode(BOOL bEnableListMode = TRUE);
    BOOL GetListMode() const;
    // At most one row (in list mode) or cell selected.
    void SetSingleRowSelection(BOOL bSing = TRUE);
    BOOL GetSingleRowSelection() const;
    // Adds the range to the selection (in single selection it replaces it). In list mode the
    // range's rows are selected whole. Fixed rows are never selected. bForceRepaint is kept for
    // callers; the window repaints what changed anyway.
    BOOL SetSelectedRange(int nMinRow, int nMinCol, int nMaxRow, int nMaxCol, BOOL bForceRepaint = FALSE,
                          BOOL bSelectCells = TRUE);
    void ClearSelection();
    BOOL IsCellSelected(int nRow, int nCol) const;
    // The current cell of the keyboard: (-1, -1) when none.
    void SetFocusCell(int nRow, int nCol);
    void GetFocusCell(int& nRow, int& nCol) const;

    // ---- editing -----------------------------------------------------------------------------
    void SetEditable(BOOL bEditable = TRUE);
    BOOL IsEditable() const;

    // ---- look -------------------------------------------------------------------------------
    // Width in pixels; 0 hides the column (it is skipped by the keyboard and by auto-sizing).
    BOOL SetColumnWidth(int nCol, int width);
    int GetColumnWidth(int nCol) const;
    void SetGridLines(int nWhichLines = GVL_BOTH);
    int GetGridLines() const;
    void SetAutoSizeStyle(UINT nStyle = GVS_BOTH);
    UINT GetAutoSizeStyle() const;
    // Fits every column that is not hidden to its texts (as the style says; GVS_DEFAULT
    // measures header and data). Measures at most the first 1000 data rows, as a person would
    // not scroll further to judge a width.
    void AutoSizeColumns(UINT nAutoSizeStyle = GVS_DEFAULT);
    void SetTextColor(COLORREF clr);
    COLORREF GetTextColor() const;
    void SetTextBkColor(COLORREF clr);  // background of the data cells
    COLORREF GetTextBkColor() const;
    void SetGridBkColor(COLORREF clr);  // the area right of and below the cells
    COLORREF GetGridBkColor() const;
    void SetFixedBkColor(COLORREF clr);  // background of the header row
    COLORREF GetFixedBkColor() const;
    // A text cut by its column shows whole as a tooltip.
    void EnableTitleTips(BOOL bEnable = TRUE);
    BOOL GetTitleTips() const;
    // The header of the current cell's column is drawn highlighted.
    void SetTrackFocusCell(BOOL bTrack = TRUE);
    BOOL GetTrackFocusCell() const;
    // Repaints the cells (after texts were changed through GetCell).
    void Refresh();

    struct Impl;

private:
    Impl* impl() const;  // binds the window once it exists
    std::unique_ptr<Impl> m_impl;
};
