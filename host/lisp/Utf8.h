// Utf8.h — LISP strings are UTF-8; string functions count and cut characters, not bytes.
// The codec is the platform's one text library (text/text.h); the interpreter adds the case
// mapping its symbols and strcase need.
#pragma once

#include "text/text.h"

#include <string>
#include <string_view>

namespace lisp::utf8 {

using kortext::append;
using kortext::decode;
using kortext::encode;
using kortext::fromFileText;
using kortext::isScalar;
using kortext::length;
using kortext::next;

// The bytes a character takes in UTF-8.
constexpr size_t encodedSize(char32_t c) { return c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4; }

// Upper / lower case of ASCII and the Latin letters of U+00C0..U+017F (German umlauts among
// them); other characters stay as they are. "ß" has no single upper-case letter and stays.
char32_t toUpper(char32_t c);
char32_t toLower(char32_t c);
std::string upper(std::string_view text);
std::string lower(std::string_view text);

}  // namespace lisp::utf8
