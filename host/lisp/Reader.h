// Reader.h — turns AutoLISP source text into values, one expression at a time.
//
// Reads integers (a literal beyond 32 bits becomes a real), reals (1.5 .5 1. 1e3), strings
// with the escapes \\ \" \n \r \t \e and \nnn (octal character code), symbols (any case,
// interned upper case; nil reads as nil), 'x as (QUOTE x), lists and dotted pairs, and skips
// ";" line comments and ";| ... |;" block comments.
// Errors use AutoLISP's words: "malformed list on input", "malformed string on input",
// "extra right paren on input", "misplaced dot on input". Running out of text inside an
// expression raises IncompleteInput, so a command line can ask for the rest.
#pragma once

#include "lisp/Value.h"

#include <optional>
#include <string_view>

namespace lisp {

class SymbolTable;

class Reader {
public:
    Reader(std::string_view text, SymbolTable& symbols);

    // The next expression, or nothing at the end of the text.
    std::optional<Value> next();
    // 1-based line where the last expression returned by next() began.
    int line() const { return startLine_; }
    // True when only blanks and comments are left.
    bool atEnd();

private:
    Value readForm();
    Value readList();
    Value readString();
    Value readAtom();
    void skipBlanks();
    int peek() const { return pos_ < text_.size() ? static_cast<unsigned char>(text_[pos_]) : -1; }
    int get();

    std::string_view text_;
    size_t pos_ = 0;
    int curLine_ = 1;
    int startLine_ = 1;
    SymbolTable& symbols_;
};

// Parses a number as the reader does; nothing when the text is no number.
std::optional<Value> parseNumber(std::string_view token);

}  // namespace lisp
