// Utf8.h — LISP strings are UTF-8; string functions count and cut characters, not bytes.
// The interpreter stands alone (it links no platform layer), so it has its own helpers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lisp::utf8 {

// The code points of a text; a byte that starts no valid sequence counts as U+FFFD.
std::vector<char32_t> decode(std::string_view text);
std::string encode(const std::vector<char32_t>& cps);
void append(std::string& out, char32_t cp);

size_t length(std::string_view text);

// Program files written on Windows are often in its Western code page, not UTF-8: a text
// that is not valid UTF-8 is read as Windows-1252 ("Gr\xFC\xDFe" becomes "Grüße").
std::string fromFileText(std::string text);

// Upper / lower case of ASCII and the Latin letters of U+00C0..U+017F (German umlauts among
// them); other characters stay as they are. "ß" has no single upper-case letter and stays.
char32_t toUpper(char32_t c);
char32_t toLower(char32_t c);
std::string upper(std::string_view text);
std::string lower(std::string_view text);

}  // namespace lisp::utf8
