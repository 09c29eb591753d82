// BuiltinDialogs.h — the windows of AutoLISP's own dialogs: getfiled's file dialog and the
// colour dialogs of acad_colordlg and acad_truecolordlg, each a CDialog of the window layer
// (saved position, keyboard, answers files, --shots as for every dialog), and the rules that
// decide what they accept, which the command line applies alike when no dialog can be shown.
#pragma once

#include "uidriver/afxdriver.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace korcad {

// A dialog an answers file answers with `input "TEXT"`: the text is typed where a person
// types the answer (a file name) and confirmed.
class TypedAnswer {
public:
    virtual ~TypedAnswer() = default;
    virtual afxdriver::Result answerTyped(const std::wstring& text) = 0;
};

// ---- getfiled ------------------------------------------------------------------------------

// getfiled's flag bits.
enum FileFlag : int {
    kFileNew = 1,            // a name for a new file: an existing one is asked about
    kFileAnyExtension = 4,   // any extension or none; otherwise only those of `extensions`
    kFileLibrarySearch = 8,  // an existing file found on the search path comes back bare
    kFilePathOnly = 16,      // the default names a folder, not a file
    kFileNoOverwriteWarning = 32,
};

struct FileRequest {
    std::string title;
    std::string defaultName;              // as given; "" for none
    std::vector<std::string> extensions;  // without dots; empty: every file ("*")
    int flags = 0;
    std::vector<std::string> searchPath;  // after the current folder, for kFileLibrarySearch

    // The folder the dialog opens in and the name it proposes, from the default.
    std::string startFolder() const;
    std::string proposedName() const;
};

// Splits getfiled's extension argument ("dwg;dxf", "*", "") into extensions.
std::vector<std::string> splitExtensions(const std::string& ext);

// What a name the person gave comes to, relative names taken in `folder`.
struct FileVerdict {
    enum class Kind { Accept, Refuse, AskOverwrite } kind = Kind::Refuse;
    std::string path;     // Accept, AskOverwrite: the file name getfiled answers
    std::string message;  // Refuse: why; AskOverwrite: the question
};
FileVerdict checkFileName(const FileRequest& request, const std::string& typed, const std::string& folder);

// Runs the file dialog over the dialog open now, else over mainWindow (may be null); the
// chosen name, or nothing when cancelled.
std::optional<std::string> runFileDialog(const FileRequest& request, HWND mainWindow);

// ---- colours ------------------------------------------------------------------------------

// A colour as the colour dialogs answer it: an index (0 ByBlock, 1 ... 255, 256 ByLayer),
// or a true colour (0xRRGGBB, as group 420 holds it) with its nearest index.
struct ColorChoice {
    int index = 7;
    int32_t trueColor = -1;  // -1: an index colour
    bool operator==(const ColorChoice&) const = default;
};

struct ColorRequest {
    bool trueColor = false;     // acad_truecolordlg: a true colour may be chosen too
    bool allowByLayer = true;   // VonLayer and VonBlock may be chosen
    std::optional<ColorChoice> initial;
    std::optional<ColorChoice> layerColor;  // what VonLayer / VonBlock show
};

// The index whose colour is nearest to 0xRRGGBB (1 ... 255).
int nearestIndex(uint32_t rgb);
// A colour as typed: "1" ... "255", "VonLayer" / "ByLayer" / "256", "VonBlock" / "ByBlock" / "0",
// for true colours also "R,G,B". Nothing, with the reason in *why, when the request does not
// take it.
std::optional<ColorChoice> parseColor(const ColorRequest& request, const std::string& text, std::string* why);
// How a colour is written in the dialog's fields and at a prompt: "5", "VonLayer", "10,20,30".
std::string colorText(const ColorChoice& color);

// Runs the colour dialog (placed as the file dialog); the chosen colour, or nothing when
// cancelled.
std::optional<ColorChoice> runColorDialog(const ColorRequest& request, HWND mainWindow);

}  // namespace korcad
