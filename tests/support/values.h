// values.h — the test values of the text rules, shared by the tests of the text library, the
// interpreter's printer and the LISP value library: each real with the text AutoLISP shows
// for it, and UTF-8 byte sequences with the characters they read as.
#pragma once

#include <limits>
#include <string>

namespace textvalues {

struct Real {
    double value;
    const char* text;
};

inline const Real kReals[] = {
    {2.5, "2.5"},
    {-2.5, "-2.5"},
    {5.0, "5.0"},
    {0.0, "0.0"},
    {3.14, "3.14"},
    {1.0 / 3, "0.333333"},
    {123456.7, "123457.0"},
    {100000.0, "100000.0"},
    {1234567.0, "1.23457e+06"},
    {123456789.0, "1.23457e+08"},
    {1e20, "1.0e+20"},
    {-1e20, "-1.0e+20"},
    {0.0001, "0.0001"},
    {0.00001, "1.0e-05"},
    {1e-7, "1.0e-07"},
    {2.5e-300, "2.5e-300"},
    {std::numeric_limits<double>::infinity(), "1.#INF"},
    {-std::numeric_limits<double>::infinity(), "-1.#INF"},
    {std::numeric_limits<double>::quiet_NaN(), "1.#QNAN"},
};

// UTF-8 as read: every ill-formed sequence becomes one U+FFFD, the byte that broke it starts
// the next character.
struct Utf8 {
    const char* what;
    std::string bytes;
    std::u32string chars;
};

inline const Utf8 kUtf8[] = {
    {"ASCII", "Titel", U"Titel"},
    {"German letters", "Stra\xC3\x9F" "e \xC3\x84", U"Straße Ä"},
    {"three and four bytes", "\xE2\x82\xAC \xF0\x9F\x98\x80", U"€ \U0001F600"},
    {"the last character", "\xF4\x8F\xBF\xBF", U"\U0010FFFF"},
    {"a replacement character itself", "\xEF\xBF\xBD", U"\uFFFD"},
    {"a stray continuation byte", "a\x80z", U"a\uFFFDz"},
    {"a Latin-1 byte", "Gr\xFC\xDF" "e", U"Gr\uFFFD\uFFFDe"},
    {"a cut sequence", "a\xE2\x82", U"a\uFFFD"},
    {"a sequence broken by ASCII", "\xE2\x82" "A", U"\uFFFDA"},
    {"an overlong slash", "\xC0\xAF/", U"\uFFFD\uFFFD/"},
    {"an overlong three-byte form", "\xE0\x80\xAF", U"\uFFFD\uFFFD\uFFFD"},
    {"an encoded surrogate", "\xED\xA0\x80", U"\uFFFD\uFFFD\uFFFD"},
    {"above U+10FFFF", "\xF4\x90\x80\x80", U"\uFFFD\uFFFD\uFFFD\uFFFD"},
    {"no lead byte UTF-8 has", "\xF8\x88\x80\x80\x80", U"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},
};

}  // namespace textvalues
