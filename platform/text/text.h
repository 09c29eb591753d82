// text.h — the one place where text is encoded and reals are printed.
//
// [X] UTF-8 <-> code points, UTF-8 <-> wide text (wchar_t holds one code point on Linux)
// [X] file text that is not valid UTF-8 read as Windows-1252 (files written on Windows)
// [X] reals as AutoLISP prints them, the same under every C locale
// [X] printf for wide text with the Windows runtime's conversions (CString::Format, acutPrintf)
// [X] case: upper and lower case, comparing names but for case (ICU's simple mappings)
// [X] trim: the blanks at both ends of a text
//
// Characters are Unicode scalar values: U+0000..U+10FFFF without the surrogates
// U+D800..U+DFFF. Whatever is no character is never passed on: the decoders read each
// ill-formed UTF-8 sequence (overlong forms, encoded surrogates, values above U+10FFFF, stray
// or missing continuation bytes) as one U+FFFD, as the Unicode standard recommends, and the
// encoders write U+FFFD for a surrogate or a value above U+10FFFF. Callers that make
// characters from numbers (chr) ask isScalar first and refuse the rest.
//
// Nothing here reads the C locale: LC_NUMERIC=de_DE, which Qt installs at its start, does not
// turn 2.5 into "2,5", and LC_CTYPE=tr_TR does not make "i" upper-case to "İ".
#pragma once

#include <cstdarg>

#include <cstddef>
#include <string>
#include <string_view>

namespace kortext {

constexpr char32_t kReplacement = 0xFFFD;

// A Unicode scalar value: a code point that UTF-8 can carry.
constexpr bool isScalar(char32_t c) { return c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF); }

// Reads one character at text[i] and moves i past it (past the ill-formed part, which reads
// as U+FFFD). i must be below text.size().
char32_t next(std::string_view text, size_t& i);

std::u32string decode(std::string_view utf8);
void append(std::string& out, char32_t c);
std::string encode(std::u32string_view chars);
size_t length(std::string_view utf8);  // characters, as decode counts them
bool isValidUtf8(std::string_view text);

std::wstring toWide(std::string_view utf8);
std::string fromWide(std::wstring_view wide);

// The text of a file: valid UTF-8 as it is, anything else read as Windows-1252, the code page
// of programs written on Western Windows ("Gr\xFC\xDFe" becomes "Grüße").
std::string fromFileText(std::string text);
// Windows-1252 both ways: bytes to UTF-8, and one character to its byte (false when the code
// page has no byte for it).
std::string fromWindows1252(std::string_view bytes);
bool toWindows1252(char32_t c, char& byte);

// A real as AutoLISP prints it: up to six significant digits and always a decimal point or an
// exponent with a point before it: 2.5, 5.0, 0.333333, 123457.0, 1.0e+20, 1.0e-07,
// 1.23457e+08; infinity and NaN as 1.#INF, -1.#INF and 1.#QNAN.
std::string formatReal(double r);
std::wstring formatRealWide(double r);

// printf for wide text as the Windows C runtime reads it: %s and %c take wide text, %hs and %hc
// narrow; numbers as in the "C" locale whatever locale is in force. Empty for a bad format.
std::wstring formatWindowsV(const wchar_t* format, va_list args);

// ---- case and blanks ------------------------------------------------------------------------
// One rule for every name, keyword and type korcad compares or shows in upper case: Unicode's
// simple (one character to one character) case mappings, from ICU. Nothing reads the C locale
// here either: "i" is "I" under tr_TR as under C, and a process whose locale Qt set from the
// environment compares names as before. "ß" has no single upper-case letter and stays.
char32_t toUpper(char32_t c);
char32_t toLower(char32_t c);
char32_t foldCase(char32_t c);  // for comparing: "Σ", "σ" and "ς" fold alike
std::string upper(std::string_view utf8);
std::string lower(std::string_view utf8);
std::wstring upper(std::wstring_view text);
std::wstring lower(std::wstring_view text);
// Equal but for case.
bool equalNoCase(std::string_view a, std::string_view b);
bool equalNoCase(std::wstring_view a, std::wstring_view b);
// Ordered as the folded texts are: negative, 0 or positive.
int compareNoCase(std::wstring_view a, std::wstring_view b);

// The blanks trim takes off: space, tab and the line ends, as in the C locale.
constexpr bool isBlank(char32_t c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }
// The text without blanks at either end. Inline: a drawing trims every group it looks at.
inline std::string_view trim(std::string_view s)
{
    while (!s.empty() && isBlank(static_cast<unsigned char>(s.front())))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(static_cast<unsigned char>(s.back())))
        s.remove_suffix(1);
    return s;
}
inline std::wstring_view trim(std::wstring_view s)
{
    while (!s.empty() && isBlank(static_cast<char32_t>(s.front())))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(static_cast<char32_t>(s.back())))
        s.remove_suffix(1);
    return s;
}

}  // namespace kortext
