// ValueRows.h — what the FragBox and the multi-edit dialog have in common: the handler's
// four arguments (database, table, a list of labels, a list of values) and their checks,
// the label of a row (a text of its own or one looked up in a text table), and the window
// of up to eight rows that shows only the rows it has and gets shorter by the rest.
// The log texts of each check stay with the handler that writes them.
#pragma once

#include "extctl/extctl.h"
#include "kor/adslisp.h"
#include "mfc/afx.h"

namespace valuerows {

constexpr int kMaxRows = 8;

// The log text of each argument check, in the order the checks run.
struct ArgumentChecks {
    const wchar_t* noDatabase;     // argument 1 is no string  -> (-1)
    const wchar_t* noTable;        // argument 2 is no string  -> (-2)
    const wchar_t* noLabelList;    // argument 3 is no list    -> (-3)
    const wchar_t* noValueList;    // argument 4 is no list    -> (-4)
    const wchar_t* lengthsDiffer;  // the two lists differ in length -> (-5)
};

struct Arguments {
    CString database;  // trimmed
    CString table;     // trimmed
    CKORAdsLispVar labels;
    CKORAdsLispVar values;
    int count = 0;  // elements in each list
};

// Reads the handler's four arguments and checks them in order. False after the first check
// that fails, with (-n) handed to LISP and its log line written: the handler returns RSERR.
bool ReadArguments(const ArgumentChecks& checks, Arguments& args);

// A name argument, through the buffer LISP texts are read into and without outer blanks.
CString TrimmedName(const CKORAdsLispVar& arg);

enum class LabelResult {
    Ok,
    NotAPositiveNumber,  // a number below 1
    LookupFailed,        // a number the text table has no text for
    NeitherNumberNorText,
};

// The label of a row: a number is the identifier of a text in `table` of `database`, a
// text is the label itself (at most 255 characters).
LabelResult ReadLabel(const CKORAdsLispVar& element, const CString& database, const CString& table, CString& label);

// ---- the window ----------------------------------------------------------------------

// OK and Cancel get their texts and icons, the window the suite's logo; the icons loaded
// (shared images) are kept in the last three arguments.
void SetUpButtons(CWnd& dialog, CExtButton& ok, CExtButton& cancel, HICON& windowIcon, HICON& okIcon,
                  HICON& cancelIcon);

// The spacing of the rows: the height in pixels of the hidden gauge control, 0 without it.
int RowHeight(CWnd& dialog, UINT gaugeId);

// Fills the rows from the top with `fill(i)` until the first that cannot be shown, then
// makes the window shorter by the rows left (no row after that one is tried).
template <typename Fill>
void FillRows(CWnd& dialog, CWnd& ok, CWnd& cancel, int rowHeight, Fill fill);

// Makes the window d pixels shorter and moves OK and Cancel up by as much.
void ShrinkDialog(CWnd& dialog, CWnd& ok, CWnd& cancel, int d);

// Calls `store(i, text)` with the text of every edit field of the rows that is shown.
template <typename Store>
void StoreShownRows(CWnd& dialog, const UINT (&editIds)[kMaxRows], Store store);

// ---- implementation of the templates --------------------------------------------------

template <typename Fill>
void FillRows(CWnd& dialog, CWnd& ok, CWnd& cancel, int rowHeight, Fill fill)
{
    for (int i = 0; i < kMaxRows; ++i) {
        if (!fill(i)) {
            ShrinkDialog(dialog, ok, cancel, (kMaxRows - i) * rowHeight);
            return;
        }
    }
}

template <typename Store>
void StoreShownRows(CWnd& dialog, const UINT (&editIds)[kMaxRows], Store store)
{
    for (int i = 0; i < kMaxRows; ++i) {
        CWnd* edit = dialog.GetDlgItem(static_cast<int>(editIds[i]));
        if (edit && edit->IsWindowVisible()) {
            CString text;
            edit->GetWindowText(text);
            store(i, text);
        }
    }
}

}  // namespace valuerows
