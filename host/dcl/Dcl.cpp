// Reading DCL files and building dialogs from their definitions.
#include "dcl/Dcl.h"

#include <cctype>
#include <cstdlib>
#include <set>

namespace dcl {

namespace {

// Sets `a` in `attrs`: an attribute of the same name takes its value, else it is added.
void setAttr(std::vector<Attr>& attrs, const Attr& a)
{
    for (Attr& old : attrs)
        if (old.name == a.name) {
            old = a;
            return;
        }
    attrs.push_back(a);
}

const char* const kBuiltins[] = {
    "dialog",       "row",          "column",        "boxed_row",          "boxed_column",
    "radio_row",    "radio_column", "boxed_radio_row", "boxed_radio_column", "concatenation",
    "paragraph",    "button",       "edit_box",      "list_box",           "popup_list",
    "toggle",       "radio_button", "text",          "text_part",          "spacer",
    "image",        "image_button", "slider",        "default_dcl_settings"};

// The standard definitions, in our own words: buttons that end a dialog, their usual rows, the
// error line and fixed spacers.
const char* const kBaseText = R"DCL(
ok_button : button { label = "OK"; key = "accept"; is_default = true; fixed_width = true; width = 12; }
cancel_button : button { label = "Abbrechen"; key = "cancel"; is_cancel = true; fixed_width = true; width = 12; }
help_button : button { label = "&Hilfe"; key = "help"; fixed_width = true; width = 12; }
info_button : button { label = "&Info..."; key = "info"; fixed_width = true; width = 12; }
retirement_button : button { fixed_width = true; width = 12; alignment = centered; }
default_button : button { is_default = true; }
errtile : text { key = "error"; label = ""; width = 40; }
spacer_0 : spacer { width = 0; height = 0; horizontal_margin = none; vertical_margin = none; }
spacer_1 : spacer { width = 1; height = 1; horizontal_margin = none; vertical_margin = none; }
edit12_box : edit_box { edit_width = 12; edit_limit = 12; }
edit32_box : edit_box { edit_width = 32; edit_limit = 32; }
image_block : image { is_tab_stop = false; }
ok_only : row { fixed_width = true; alignment = centered; : ok_button { is_cancel = true; } }
ok_cancel : row { fixed_width = true; alignment = centered; ok_button; cancel_button; }
ok_cancel_help : row { fixed_width = true; alignment = centered; ok_button; cancel_button; help_button; }
ok_cancel_help_info : row { fixed_width = true; alignment = centered; ok_button; cancel_button; help_button; info_button; }
ok_cancel_err : column { ok_cancel; errtile; }
ok_cancel_help_errtile : column { ok_cancel_help; errtile; }
)DCL";

std::string where(const std::string& file, int line)
{
    return "Error in dialog file \"" + file + "\", line " + std::to_string(line) + ": ";
}

struct Token {
    enum Kind { End, Word, Number, String, Punct } kind = End;
    std::string text;
    int line = 1;
};

class Lexer {
public:
    Lexer(const std::string& text, const std::string& file) : s_(text), file_(file) {}

    bool next(Token& t, std::string* error)
    {
        skip();
        t = Token{};
        t.line = line_;
        if (i_ >= s_.size())
            return true;
        char c = s_[i_];
        if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
            size_t j = i_;
            while (j < s_.size() && (std::isalnum(static_cast<unsigned char>(s_[j])) || s_[j] == '_'))
                ++j;
            t.kind = Token::Word;
            t.text = s_.substr(i_, j - i_);
            i_ = j;
            return true;
        }
        if (std::isdigit(static_cast<unsigned char>(c)) || c == '-' || c == '+' || c == '.') {
            size_t j = i_ + 1;
            while (j < s_.size() && (std::isdigit(static_cast<unsigned char>(s_[j])) || s_[j] == '.'))
                ++j;
            t.kind = Token::Number;
            t.text = s_.substr(i_, j - i_);
            i_ = j;
            char* end = nullptr;
            std::strtod(t.text.c_str(), &end);
            if (end != t.text.c_str() + t.text.size())
                return fail(error, "syntax error: bad number \"" + t.text + "\"");
            return true;
        }
        if (c == '"') {
            t.kind = Token::String;
            for (++i_; i_ < s_.size() && s_[i_] != '"'; ++i_) {
                char ch = s_[i_];
                if (ch == '\n')
                    return fail(error, "syntax error: a string runs past the end of the line");
                if (ch == '\\' && i_ + 1 < s_.size()) {
                    char e = s_[++i_];
                    ch = e == 'n' ? '\n' : e == 't' ? '\t' : e;
                }
                t.text += ch;
            }
            if (i_ >= s_.size())
                return fail(error, "syntax error: a string has no closing quote");
            ++i_;
            return true;
        }
        if (c == ':' || c == '{' || c == '}' || c == ';' || c == '=' || c == '@') {
            t.kind = Token::Punct;
            t.text = std::string(1, c);
            ++i_;
            return true;
        }
        return fail(error, std::string("syntax error: unexpected character \"") + c + "\"");
    }

    bool fail(std::string* error, const std::string& what) const
    {
        if (error)
            *error = where(file_, line_) + what;
        return false;
    }

private:
    void skip()
    {
        while (i_ < s_.size()) {
            char c = s_[i_];
            if (c == '\n') {
                ++line_;
                ++i_;
            } else if (std::isspace(static_cast<unsigned char>(c))) {
                ++i_;
            } else if (s_.compare(i_, 2, "//") == 0) {
                while (i_ < s_.size() && s_[i_] != '\n')
                    ++i_;
            } else if (s_.compare(i_, 2, "/*") == 0) {
                size_t end = s_.find("*/", i_ + 2);
                size_t stop = end == std::string::npos ? s_.size() : end + 2;
                for (; i_ < stop; ++i_)
                    line_ += s_[i_] == '\n';
            } else {
                return;
            }
        }
    }

    const std::string& s_;
    const std::string& file_;
    size_t i_ = 0;
    int line_ = 1;
};

constexpr int kMaxNesting = 100;

class Parser {
public:
    Parser(const std::string& text, const std::string& file, std::string* error)
        : lex_(text, file), file_(file), error_(error)
    {
    }

    bool advance() { return lex_.next(tok_, error_); }

    bool expected(const char* what)
    {
        std::string got = tok_.kind == Token::End ? std::string("the end of the file") : "\"" + tok_.text + "\"";
        if (error_)
            *error_ = where(file_, tok_.line) + "syntax error: " + what + " expected, found " + got;
        return false;
    }
    bool isPunct(char c) const { return tok_.kind == Token::Punct && tok_.text[0] == c; }

    // `name : base { body }` at the top of a file.
    bool definition(Node& n)
    {
        if (tok_.kind != Token::Word)
            return expected("a definition's name");
        n.name = tok_.text;
        n.line = tok_.line;
        n.file = file_;
        if (!advance())
            return false;
        if (!isPunct(':'))
            return expected("\":\"");
        return typeAndBody(n, 0);
    }

    // `: type ;` or `: type { body }`; the current token is the colon.
    bool typeAndBody(Node& n, int depth)
    {
        if (!advance())
            return false;
        if (tok_.kind != Token::Word)
            return expected("a tile type");
        n.base = tok_.text;
        if (!advance())
            return false;
        if (isPunct(';'))
            return advance();
        return body(n, depth);
    }

    // `{ ... }`; the current token is the opening brace.
    bool body(Node& n, int depth)
    {
        if (!isPunct('{'))
            return expected("\"{\"");
        if (depth > kMaxNesting) {
            if (error_)
                *error_ = where(file_, tok_.line) + "tiles are nested too deeply";
            return false;
        }
        if (!advance())
            return false;
        while (!isPunct('}')) {
            if (tok_.kind == Token::End)
                return expected("\"}\"");
            if (isPunct(':')) {
                Node child;
                child.line = tok_.line;
                child.file = file_;
                if (!typeAndBody(child, depth + 1))
                    return false;
                n.children.push_back(std::move(child));
                continue;
            }
            if (tok_.kind != Token::Word)
                return expected("an attribute, \":\" or \"}\"");
            Token word = tok_;
            if (!advance())
                return false;
            if (isPunct(';')) {  // a prototype used as it is
                Node child;
                child.base = word.text;
                child.line = word.line;
                child.file = file_;
                n.children.push_back(std::move(child));
                if (!advance())
                    return false;
                continue;
            }
            if (!isPunct('='))
                return expected("\"=\" or \";\"");
            if (!advance())
                return false;
            if (tok_.kind != Token::Word && tok_.kind != Token::Number && tok_.kind != Token::String)
                return expected("a value");
            setAttr(n.attrs, Attr{word.text, tok_.text, tok_.kind == Token::String});
            if (!advance())
                return false;
            if (!isPunct(';'))
                return expected("\";\"");
            if (!advance())
                return false;
        }
        return advance();
    }

    Token tok_;
    Lexer lex_;
    const std::string& file_;
    std::string* error_;
};

}  // namespace

// ---- tiles --------------------------------------------------------------------------------

const Attr* Tile::attr(std::string_view name) const
{
    for (const Attr& a : attrs)
        if (a.name == name)
            return &a;
    return nullptr;
}

std::string Tile::text(std::string_view name, const std::string& fallback) const
{
    const Attr* a = attr(name);
    return a ? a->value : fallback;
}

double Tile::number(std::string_view name, double fallback) const
{
    const Attr* a = attr(name);
    if (!a)
        return fallback;
    char* end = nullptr;
    double d = std::strtod(a->value.c_str(), &end);
    return end == a->value.c_str() ? fallback : d;
}

bool Tile::flag(std::string_view name, bool fallback) const
{
    const Attr* a = attr(name);
    return a ? a->value == "true" : fallback;
}

int Dialog::find(std::string_view key) const
{
    for (size_t i = 0; i < tiles.size(); ++i)
        if (const Attr* a = tiles[i].attr("key"); a && a->value == key)
            return static_cast<int>(i);
    return -1;
}

bool isBuiltinType(std::string_view type)
{
    for (const char* b : kBuiltins)
        if (type == b)
            return true;
    return false;
}

bool isCluster(std::string_view type)
{
    return type == "dialog" || type == "row" || type == "column" || type == "boxed_row" ||
           type == "boxed_column" || type == "radio_row" || type == "radio_column" ||
           type == "boxed_radio_row" || type == "boxed_radio_column" || type == "concatenation" ||
           type == "paragraph";
}

const std::vector<Node>& baseDefinitions()
{
    static const std::vector<Node> defs = [] {
        std::vector<Node> out;
        std::string error;
        parse(kBaseText, "base.dcl", out, &error);
        return out;
    }();
    return defs;
}

bool parse(const std::string& text, const std::string& fileName, std::vector<Node>& out,
           std::string* error, const IncludeReader& include, int depth)
{
    Parser p(text, fileName, error);
    if (!p.advance())
        return false;
    while (p.tok_.kind != Token::End) {
        if (p.isPunct('@')) {
            int line = p.tok_.line;
            if (!p.advance())
                return false;
            if (p.tok_.kind != Token::Word || p.tok_.text != "include")
                return p.expected("\"include\" after \"@\"");
            if (!p.advance())
                return false;
            if (p.tok_.kind != Token::String)
                return p.expected("the file name in quotes");
            std::string name = p.tok_.text, path, body;
            if (depth > 8 || !include || !include(name, fileName, path, body)) {
                if (error)
                    *error = where(fileName, line) + "cannot read the included file \"" + name + "\"";
                return false;
            }
            if (!parse(body, path, out, error, include, depth + 1))
                return false;
            if (!p.advance())
                return false;
            continue;
        }
        Node n;
        if (!p.definition(n))
            return false;
        out.push_back(std::move(n));
    }
    return true;
}

// ---- files ----------------------------------------------------------------------------------

const Node* File::definition(const std::string& name) const
{
    auto it = defs_.find(name);
    if (it != defs_.end())
        return &it->second;
    for (const Node& n : baseDefinitions())
        if (n.name == name)
            return &n;
    return nullptr;
}

bool File::expand(const Node& node, std::vector<Tile>& tiles, int parent, int depth,
                  std::string* error) const
{
    auto fail = [&](const std::string& what) {
        if (error)
            *error = where(node.file, node.line) + what;
        return false;
    };
    if (depth > kMaxNesting)
        return fail("\"" + node.base + "\" is defined in terms of itself");
    // The chain of prototypes down to the built-in type; the nearest one's attributes win.
    std::vector<const Node*> chain{&node};
    std::set<std::string> seen;
    std::string base = node.base;
    while (!isBuiltinType(base)) {
        const Node* def = definition(base);
        if (!def)
            return fail("unknown tile \"" + base + "\"");
        if (!seen.insert(base).second)
            return fail("\"" + base + "\" is defined in terms of itself");
        chain.push_back(def);
        base = def->base;
    }
    const int index = static_cast<int>(tiles.size());
    Tile t;
    t.type = base;
    t.parent = parent;
    t.line = node.line;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        for (const Attr& a : (*it)->attrs)
            setAttr(t.attrs, a);
    tiles.push_back(std::move(t));
    if (parent >= 0)
        tiles[parent].children.push_back(index);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        for (const Node& child : (*it)->children) {
            if (!isCluster(base)) {
                if (error)
                    *error = where(child.file, child.line) + "a " + base + " cannot hold other tiles";
                return false;
            }
            if (!expand(child, tiles, index, depth + 1, error))
                return false;
        }
    return true;
}

bool File::load(const std::string& text, const std::string& fileName, std::string* error,
                const IncludeReader& include)
{
    std::vector<Node> nodes;
    fileName_ = fileName;
    // A file that includes itself, or files that include each other many times, end here.
    int includes = 0;
    IncludeReader counted;
    if (include)
        counted = [&](const std::string& name, const std::string& from, std::string& path, std::string& body) {
            return ++includes <= 64 && include(name, from, path, body);
        };
    if (!parse(text, fileName, nodes, error, counted))
        return false;
    for (Node& n : nodes) {
        if (isBuiltinType(n.name)) {
            if (error)
                *error = where(n.file, n.line) + "\"" + n.name + "\" is a built-in tile and cannot be defined again";
            return false;
        }
        std::string name = n.name;
        defs_[name] = std::move(n);
    }
    for (const auto& [name, node] : defs_) {
        std::vector<Tile> tiles;
        if (!expand(node, tiles, -1, 0, error))
            return false;
        if (tiles[0].type == "dialog")
            for (const Tile& t : tiles) {
                bool active = t.type == "button" || t.type == "edit_box" || t.type == "list_box" ||
                              t.type == "popup_list" || t.type == "toggle" || t.type == "radio_button" ||
                              t.type == "image_button" || t.type == "slider";
                if (active && t.key().empty()) {
                    if (error)
                        *error = where(node.file, t.line) + "a " + t.type + " needs a key";
                    return false;
                }
            }
    }
    return true;
}

std::optional<Dialog> File::dialog(const std::string& name, std::string* error) const
{
    auto it = defs_.find(name);
    if (it == defs_.end() || isBuiltinType(name))
        return std::nullopt;
    Dialog d;
    d.name = name;
    if (!expand(it->second, d.tiles, -1, 0, error) || d.tiles[0].type != "dialog")
        return std::nullopt;
    layout(d);
    return d;
}

std::vector<std::string> File::dialogNames() const
{
    std::vector<std::string> out;
    for (const auto& [name, node] : defs_) {
        std::vector<Tile> tiles;
        if (expand(node, tiles, -1, 0, nullptr) && tiles[0].type == "dialog")
            out.push_back(name);
    }
    return out;
}

}  // namespace dcl
