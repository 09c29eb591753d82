#include "lisp/Utf8.h"

namespace lisp::utf8 {

namespace {

// Reads one code point at text[i] and advances i.
char32_t next(std::string_view text, size_t& i)
{
    auto b = static_cast<unsigned char>(text[i++]);
    if (b < 0x80)
        return b;
    int extra;
    char32_t c;
    if ((b & 0xE0) == 0xC0) {
        extra = 1;
        c = b & 0x1F;
    } else if ((b & 0xF0) == 0xE0) {
        extra = 2;
        c = b & 0x0F;
    } else if ((b & 0xF8) == 0xF0) {
        extra = 3;
        c = b & 0x07;
    } else {
        return 0xFFFD;
    }
    for (int k = 0; k < extra; ++k) {
        if (i >= text.size() || (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80)
            return 0xFFFD;
        c = (c << 6) | (static_cast<unsigned char>(text[i++]) & 0x3F);
    }
    return c;
}

}  // namespace

std::vector<char32_t> decode(std::string_view text)
{
    std::vector<char32_t> out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();)
        out.push_back(next(text, i));
    return out;
}

void append(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string encode(const std::vector<char32_t>& cps)
{
    std::string out;
    out.reserve(cps.size());
    for (char32_t c : cps)
        append(out, c);
    return out;
}

size_t length(std::string_view text)
{
    size_t n = 0;
    for (size_t i = 0; i < text.size();) {
        next(text, i);
        ++n;
    }
    return n;
}

namespace {

bool isValid(std::string_view text)
{
    for (size_t i = 0; i < text.size();) {
        auto b = static_cast<unsigned char>(text[i++]);
        int extra = 0;
        if (b >= 0xC2 && b <= 0xDF)
            extra = 1;
        else if ((b & 0xF0) == 0xE0)
            extra = 2;
        else if (b >= 0xF0 && b <= 0xF4)
            extra = 3;
        else if (b >= 0x80)  // a stray continuation byte, or no lead byte UTF-8 has
            return false;
        for (int k = 0; k < extra; ++k, ++i)
            if (i >= text.size() || (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80)
                return false;
    }
    return true;
}

// Windows-1252 at 0x80..0x9F; the unassigned codes keep their value. 0xA0..0xFF is Latin-1.
const char16_t kCp1252[32] = {
    0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x8D,   0x017D, 0x8F,   0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};

}  // namespace

std::string fromFileText(std::string text)
{
    if (isValid(text))
        return text;
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (char ch : text) {
        auto b = static_cast<unsigned char>(ch);
        append(out, b >= 0x80 && b < 0xA0 ? char32_t(kCp1252[b - 0x80]) : char32_t(b));
    }
    return out;
}

char32_t toUpper(char32_t c)
{
    if (c >= 'a' && c <= 'z')
        return c - 32;
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7))
        return c - 32;
    if (c == 0xFF)
        return 0x178;
    // Latin Extended-A: upper and lower case alternate, with two runs shifted by one.
    if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177))
        return c & ~char32_t(1);
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E))
        return (c & 1) ? c : c - 1;
    return c;
}

char32_t toLower(char32_t c)
{
    if (c >= 'A' && c <= 'Z')
        return c + 32;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7)
        return c + 32;
    if (c == 0x178)
        return 0xFF;
    if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177))
        return c | 1;
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E))
        return (c & 1) ? c + 1 : c;
    return c;
}

namespace {

template <class F>
std::string mapCase(std::string_view text, F f)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        auto b = static_cast<unsigned char>(text[i]);
        if (b < 0x80) {  // the common case, without decoding
            out += static_cast<char>(f(b));
            ++i;
        } else {
            append(out, f(next(text, i)));
        }
    }
    return out;
}

}  // namespace

std::string upper(std::string_view text) { return mapCase(text, toUpper); }
std::string lower(std::string_view text) { return mapCase(text, toLower); }

}  // namespace lisp::utf8
