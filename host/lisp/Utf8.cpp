// Case mapping of UTF-8 text.
#include "lisp/Utf8.h"

namespace lisp::utf8 {

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
            append(out, f(kortext::next(text, i)));
        }
    }
    return out;
}

}  // namespace

std::string upper(std::string_view text) { return mapCase(text, toUpper); }
std::string lower(std::string_view text) { return mapCase(text, toLower); }

}  // namespace lisp::utf8
