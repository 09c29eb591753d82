// afxdriver.h — the UI driver: acting on the open modal dialog of the window layer as a user
// would, for tests and for a host's scripted answers. A library of its own (koruidriver),
// linked by the host program and the tests, never by a module.
//
// [X] click, type, select, keys, OK, close box on the innermost running modal dialog
// [X] list boxes: a click or a double click on a line; the colours a control is drawn with
// [X] grids (table views): selecting one or several rows, editing a cell in place
// [X] PNG pictures of a dialog with its caption bar
// [X] running code with the next dialog that opens
// [ ] answers files: the host program reads and plays them (korcad's AnswerRunner)
//
// Every action works on the innermost running modal dialog and does what the user's mouse
// or keyboard would do there: a click on a hidden or disabled button fails, as it would for
// a person; typing replaces an edit's text character by character, so the dialog sees the
// change notifications of real typing.
#pragma once

#include "mfc/afxwin.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace afxdriver {

struct Result {
    bool ok = true;
    std::string message;  // why the action could not be done
    explicit operator bool() const { return ok; }
    static Result failure(std::string why) { return Result{false, std::move(why)}; }
};

// The dialog the user can reach now (the innermost running modal dialog), or null.
CDialog* activeDialog();
// How messages name a dialog: its title and template id, e.g. "Titel" (template 30018).
std::string describe(const CDialog& dialog);

// A visible, enabled button, by control id or by its caption (mnemonic '&' ignored).
Result click(UINT id);
Result click(const std::wstring& caption);
// The control a person finds by its label: the first edit, list, combo box or grid after the
// static text or button with this caption (mnemonic '&' ignored), in the template's order, as
// a dialog puts a label before its field. The failure names the dialog's controls.
Result controlByLabel(const std::wstring& label, UINT& id);
// Replaces the text of an edit (or an editable combo box) by typing.
Result type(UINT id, const std::wstring& text);
// Selects the line of a list or combo box with this text, or at this 0-based index. In a
// grid the line is a data row (counted from 0, the header not counted); a row is found by
// the text of any of its cells; the selection then holds this row alone.
Result select(UINT id, const std::wstring& text);
Result select(UINT id, int index);
// Double-clicks the line of a list box with this text, or at this 0-based index: the line is
// selected (LBN_SELCHANGE) and the dialog gets LBN_DBLCLK.
Result doubleClick(UINT id, const std::wstring& text);
Result doubleClick(UINT id, int index);
// The colours a control of the active dialog is drawn with now: its background (an edit's
// or list's field, else the window colour behind it) and its text. CLR_INVALID when the
// dialog has no such control.
COLORREF backgroundColor(UINT id);
COLORREF textColor(UINT id);
// Selects exactly these rows of a grid (0-based data rows), as clicks with Ctrl held do; the
// first becomes the current row. A grid that lets one row be selected refuses several.
Result select(UINT id, const std::vector<int>& indexes);
// Edits cell (row, column) of a grid as a user does: makes it current, opens its editor (as
// F2 does), types the text over the old one and presses Enter. Row is a 0-based data row,
// column the grid's own column number (0 the leftmost, hidden ones included). Fails for a
// hidden column, a read-only cell or a grid without editing.
Result editCell(UINT id, int row, int column, const std::wstring& text);
enum class Key { Escape, Enter, Tab, Up, Down, Home, End };
Result key(Key key);
Result ok();      // the command IDOK, as the OK button sends it
Result cancel();  // the close box
// A PNG of the active dialog (parent folders are created).
Result shot(const std::string& pngPath);
Result shot(CDialog& dialog, const std::string& pngPath);

// Runs fn once, with the next dialog that opens, inside its modal loop once it shows.
void onNextDialog(std::function<void(CDialog&)> fn);

}  // namespace afxdriver
