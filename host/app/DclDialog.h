// DclDialog.h — a dialog of a DCL file as a window: a CDialog built from an in-memory template
// that the DCL layout made, so answers files, --shots and the keyboard treat it as any other
// dialog. It holds the state of its tiles between new_dialog and the end of start_dialog
// (values, lists, actions, client data, images) and runs the action of a tile the user
// changed as AutoLISP does, with $key, $value, $reason, $data, $x and $y set.
//
// Each tile with a key is a control whose id is kFirstTileId plus the tile's index and whose
// widget carries the key as its object name (the answers file's `@key`); a label is a static
// text just before its field.
#pragma once

#include "dcl/Dcl.h"
#include "lisp/Interpreter.h"

#include "mfc/afxwin.h"

#include <deque>
#include <exception>
#include <memory>
#include <string>
#include <vector>

namespace korcad {

// What the user did to a tile, as $reason tells an action.
enum DclReason { kDclSelected = 1, kDclLeftEdit = 2, kDclDragging = 3, kDclDoubleClicked = 4 };

struct DclImageOp {
    bool line = false;  // vector_image; else fill_image
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // fill: x, y, width, height
    int colour = 0;     // an AutoCAD colour index, or -2 / -15 / -16 / -18 for dialog colours
};

struct DclTileState {
    std::string value;
    std::string action;  // an expression as text; empty: none
    lisp::Value data;    // client_data_tile
    std::vector<std::string> list;
    std::vector<DclImageOp> image;
    bool enabled = true;
    bool inverted = false;  // mode_tile 4
    bool dirty = false;     // an edit changed since its action last ran
};

class DclDialog : public CDialog {
public:
    static constexpr UINT kFirstTileId = 2000;

    DclDialog(dcl::Dialog dialog, lisp::Interpreter& lisp);
    ~DclDialog() override;

    const dcl::Dialog& tiles() const { return dialog_; }
    DclTileState& state(int tile) { return states_[tile]; }
    void setDefaultAction(std::string action) { defaultAction_ = std::move(action); }
    // Where the dialog opens (screen pixels of its top left corner); else centred.
    void setPosition(int x, int y);

    // The value of a tile: an edit's text, a list's selected index ("" for none; several
    // separated by blanks), "0"/"1" for toggles and radio buttons, the key of the chosen
    // radio button for its cluster, a text's label.
    std::string value(int tile) const;
    void setValue(int tile, const std::string& value);
    // 0 enable, 1 disable, 2 focus, 3 select an edit's text, 4 flip an image's highlight.
    void setMode(int tile, int mode);
    // After start_list ... end_list and start_image ... end_image: shows what changed.
    void refreshList(int tile);
    void refreshImage(int tile);
    // Width and height of a tile in pixels (image coordinates run up to one less).
    CSize pixelSize(int tile) const;

    // Runs the dialog; the status done_dialog gave (0 when it gave none). An error an action raised
    // closes the dialog and is raised here.
    int run(CWnd* parent);
    // Ends the dialog: start_dialog answers `status` (0 cancelled, 1 OK, -1 term_dialog, more
    // for the program). The dialog's screen position as it was.
    CPoint done(int status);
    bool running() const { return IsRunningModal(); }

protected:
    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void OnOK() override;
    void OnCancel() override;

private:
    void buildTemplate();
    void attachControls();
    CWnd* control(int tile) const;
    void apply(int tile);
    void runAction(int tile, int reason, const std::string& value, int x = -1, int y = -1);
    void flushEdits(int except);
    int tileOf(UINT id) const;
    int cancelTile() const;
    int defaultTile() const;

    dcl::Dialog dialog_;
    lisp::Interpreter& lisp_;
    std::vector<DclTileState> states_;
    std::string defaultAction_;
    std::deque<std::wstring> texts_;  // the template's texts
    std::vector<AfxControlTemplate> items_;
    std::vector<std::unique_ptr<CWnd>> controls_;  // each tile's control while the dialog runs
    AfxDialogTemplate template_{};
    bool positioned_ = false;
    int x_ = 0, y_ = 0;
    bool applying_ = false;  // setting controls from code: their notifications are no user's
    bool initializing_ = false;
    int status_ = 0;
    std::exception_ptr error_;
};

}  // namespace korcad

namespace korcad {

class CadHost;

// The DCL functions of AutoLISP: load_dialog, unload_dialog, new_dialog, start_dialog,
// done_dialog, term_dialog, action_tile, set_tile, get_tile, get_attr, mode_tile,
// client_data_tile, start_list, add_list, end_list, start_image, fill_image, vector_image,
// end_image, dimx_tile, dimy_tile, and slide_image (which draws nothing). A DCL file given without an extension gets ".dcl"; a
// relative name is searched in the current directory, then along the load path. A file with
// an error is reported on the command line ("Error in dialog file ...") and load_dialog
// answers -1. Dialogs are parented to the host's main window.
void installDclFunctions(lisp::Interpreter& lisp, CadHost& host);

}  // namespace korcad
