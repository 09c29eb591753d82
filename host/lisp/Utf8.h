// Utf8.h — LISP strings are UTF-8; string functions count and cut characters, not bytes.
// The codec and the case rule (symbols, strcase, wcmatch) are the platform's one text library
// (text/text.h).
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
using kortext::lower;
using kortext::next;
using kortext::toLower;
using kortext::toUpper;
using kortext::upper;

// The bytes a character takes in UTF-8.
constexpr size_t encodedSize(char32_t c) { return c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4; }

}  // namespace lisp::utf8
