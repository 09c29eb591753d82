// Dcl.h — AutoLISP's dialog language: reading DCL files, the tiles of a dialog with what they
// inherit from their prototypes, and placing them in rows and columns in dialog units.
//
// A file holds definitions, `name : base { attribute = value; ... children }`, and
// `@include "other.dcl"`. A child is `: base { ... }` or a bare `name;` (a prototype used as
// it is). A tile takes the attributes and children of its base, the base's base and so on
// down to a built-in tile type; its own attributes replace inherited ones of the same name,
// its own children come after the inherited ones. The standard definitions every file may use
// (ok_cancel, errtile, spacer_1, ...) are in baseDefinitions().
//
// Errors name the file and line as "Error in dialog file "F", line N: WHAT". No Qt, no LISP.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dcl {

struct Attr {
    std::string name;   // lower case
    std::string value;  // a string without its quotes and escapes, or the word / number
    bool quoted = false;
};

// A definition or child as written.
struct Node {
    std::string name;  // a definition's name; empty for a child written `: base {...}`
    std::string base;  // the prototype or built-in type
    std::vector<Attr> attrs;
    std::vector<Node> children;
    std::string file;
    int line = 0;
};

struct Box {
    int x = 0, y = 0, cx = 0, cy = 0;
};

// One tile of a dialog with everything inherited, in a flat tree (tiles[0] is the dialog).
struct Tile {
    std::string type;  // built-in type: dialog, row, button, edit_box, ...
    std::vector<Attr> attrs;
    int parent = -1;
    std::vector<int> children;
    int line = 0;
    // Filled by layout(), dialog units relative to the dialog's client area: the tile's box
    // and the part of it that holds its field (edit, list, popup) after its label.
    Box box, field;

    const Attr* attr(std::string_view name) const;
    std::string text(std::string_view name, const std::string& fallback = {}) const;
    double number(std::string_view name, double fallback) const;
    bool flag(std::string_view name, bool fallback = false) const;
    std::string key() const { return text("key"); }
    std::string label() const { return text("label"); }
};

struct Dialog {
    std::string name;
    std::vector<Tile> tiles;
    // The tile with this key, -1 for none.
    int find(std::string_view key) const;
};

bool isBuiltinType(std::string_view type);
// Whether a built-in type is a cluster (row, column, boxed_..., radio_..., concatenation,
// paragraph, dialog) that holds other tiles.
bool isCluster(std::string_view type);

// The standard definitions in DCL (ok_button, ok_cancel, errtile, ...), read once.
const std::vector<Node>& baseDefinitions();

// Reads one file's text; false with the error in *error. `include` reads the text of an
// @include'd file by the name written (relative to the including file): its definitions come
// in as if written there.
using IncludeReader = std::function<bool(const std::string& name, const std::string& from,
                                         std::string& path, std::string& text)>;
bool parse(const std::string& text, const std::string& fileName, std::vector<Node>& out,
           std::string* error, const IncludeReader& include = {}, int depth = 0);

// A loaded file: its definitions over the standard ones.
class File {
public:
    // Reads the text and checks that every dialog in it can be built (each base is known,
    // no definition is its own base); false with "Error in dialog file ..." in *error.
    bool load(const std::string& text, const std::string& fileName, std::string* error,
              const IncludeReader& include = {});
    // The dialog of this name, built and laid out; nothing for a name the file does not
    // define as a dialog.
    std::optional<Dialog> dialog(const std::string& name, std::string* error = nullptr) const;
    std::vector<std::string> dialogNames() const;

private:
    bool expand(const Node& node, std::vector<Tile>& tiles, int parent, int depth,
                std::string* error) const;
    const Node* definition(const std::string& name) const;
    std::map<std::string, Node> defs_;
    std::string fileName_;
};

// Places the tiles of a dialog: sizes from their labels and width / height attributes (in
// characters: 4 dialog units wide, 8 high), rows side by side, columns one under the other;
// a tile takes the width of its column (the height of its row) unless fixed_width
// (fixed_height), and then sits by its alignment: left in a column, centred in a row unless
// given. Fills
// Tile::box and Tile::field; the dialog's box is its client area.
void layout(Dialog& dialog);

// A label without its mnemonic marker '&' counted in characters (UTF-8).
int textWidth(const std::string& label);

}  // namespace dcl
