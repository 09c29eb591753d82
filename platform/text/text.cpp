// The UTF-8 codec, the Windows-1252 fallback and the printing of reals.
#include "text/text.h"

#include <unicode/uchar.h>

#include <algorithm>

#include <charconv>
#include <vector>
#include <locale.h>
#include <cwchar>
#include <cstdarg>
#include <cmath>
#include <type_traits>

namespace kortext {

namespace {

bool isContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

}  // namespace

char32_t next(std::string_view text, size_t& i)
{
    auto b = static_cast<unsigned char>(text[i++]);
    if (b < 0x80)
        return b;
    // The lead byte says how many continuation bytes follow and which values the first of
    // them may take; anything else is no well-formed sequence (overlong forms, surrogates,
    // code points above U+10FFFF).
    int extra;
    char32_t c;
    unsigned char low = 0x80, high = 0xBF;
    if (b >= 0xC2 && b <= 0xDF) {
        extra = 1;
        c = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
        extra = 2;
        c = b & 0x0F;
        if (b == 0xE0)
            low = 0xA0;
        else if (b == 0xED)
            high = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        extra = 3;
        c = b & 0x07;
        if (b == 0xF0)
            low = 0x90;
        else if (b == 0xF4)
            high = 0x8F;
    } else {
        return kReplacement;  // a stray continuation byte or no lead byte UTF-8 has
    }
    for (int k = 0; k < extra; ++k) {
        if (i >= text.size())
            return kReplacement;
        auto nb = static_cast<unsigned char>(text[i]);
        if (k == 0 ? (nb < low || nb > high) : !isContinuation(nb))
            return kReplacement;  // the byte that broke the sequence starts the next one
        c = (c << 6) | (nb & 0x3F);
        ++i;
    }
    return c;
}

std::u32string decode(std::string_view utf8)
{
    std::u32string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();)
        out += next(utf8, i);
    return out;
}

void append(std::string& out, char32_t c)
{
    if (!isScalar(c))
        c = kReplacement;
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

std::string encode(std::u32string_view chars)
{
    std::string out;
    out.reserve(chars.size());
    for (char32_t c : chars)
        append(out, c);
    return out;
}

size_t length(std::string_view utf8)
{
    size_t n = 0;
    for (size_t i = 0; i < utf8.size(); ++n)
        next(utf8, i);
    return n;
}

bool isValidUtf8(std::string_view text)
{
    for (size_t i = 0; i < text.size();) {
        size_t start = i;
        // U+FFFD itself is valid text; a replacement made by next() is not.
        if (next(text, i) == kReplacement && text.substr(start, i - start) != "\xEF\xBF\xBD")
            return false;
    }
    return true;
}

std::wstring toWide(std::string_view utf8)
{
    static_assert(sizeof(wchar_t) == 4, "wide text holds one code point per wchar_t");
    // Every code point takes at least one byte, so the text never grows; ASCII, nearly every
    // name and query, is copied without decoding.
    std::wstring out(utf8.size(), L'\0');
    size_t n = 0;
    for (size_t i = 0; i < utf8.size();) {
        auto b = static_cast<unsigned char>(utf8[i]);
        if (b < 0x80) {
            out[n++] = static_cast<wchar_t>(b);
            ++i;
        } else {
            out[n++] = static_cast<wchar_t>(next(utf8, i));
        }
    }
    out.resize(n);
    return out;
}

std::string fromWide(std::wstring_view wide)
{
    // The ASCII run at the start is copied a byte each; the rest, if any, is encoded.
    size_t ascii = 0;
    while (ascii < wide.size() && static_cast<std::make_unsigned_t<wchar_t>>(wide[ascii]) < 0x80)
        ++ascii;
    std::string out(ascii, '\0');
    std::copy(wide.begin(), wide.begin() + static_cast<std::ptrdiff_t>(ascii), out.begin());
    if (ascii == wide.size())
        return out;
    out.reserve(wide.size() + (wide.size() - ascii) * 2);
    for (size_t i = ascii; i < wide.size(); ++i)
        append(out, static_cast<char32_t>(wide[i]));
    return out;
}

namespace {

// Windows-1252 at 0x80..0x9F; the five unassigned codes keep their value. 0xA0..0xFF is
// Latin-1, the same code points.
const char16_t kCp1252[32] = {
    0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x8D,   0x017D, 0x8F,   0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};

}  // namespace

std::string fromWindows1252(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (char ch : bytes) {
        auto b = static_cast<unsigned char>(ch);
        append(out, b >= 0x80 && b < 0xA0 ? char32_t(kCp1252[b - 0x80]) : char32_t(b));
    }
    return out;
}

bool toWindows1252(char32_t c, char& byte)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
        byte = static_cast<char>(c);
        return true;
    }
    for (int i = 0; i < 32; ++i)
        if (kCp1252[i] == c) {
            byte = static_cast<char>(0x80 + i);
            return true;
        }
    return false;
}

std::string fromFileText(std::string text)
{
    if (isValidUtf8(text))
        return text;
    return fromWindows1252(text);
}

std::string formatReal(double r)
{
    if (std::isnan(r))
        return "1.#QNAN";
    if (std::isinf(r))
        return r < 0 ? "-1.#INF" : "1.#INF";
    // Six significant digits as printf's %g chooses them, but from to_chars, which no locale
    // changes.
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, r, std::chars_format::general, 6);
    std::string s(buf, res.ptr);
    auto e = s.find('e');
    std::string mantissa = s.substr(0, e);
    if (mantissa.find('.') == std::string::npos)
        mantissa += ".0";
    return e == std::string::npos ? mantissa : mantissa + s.substr(e);
}

std::wstring formatRealWide(double r)
{
    std::string s = formatReal(r);
    return std::wstring(s.begin(), s.end());  // ASCII only
}


namespace {

// MFC's Unicode Format reads %s and %c as wide; glibc's wide printf reads them as narrow
// unless marked with l. Rewrite the conversions so both agree: %s -> %ls, %c -> %lc, and
// the explicit narrow %hs / %hc -> %s / %c.
std::wstring windowsToGlibcFormat(const wchar_t* format)
{
    std::wstring out;
    for (const wchar_t* p = format; *p; ++p) {
        out += *p;
        if (*p != L'%')
            continue;
        ++p;
        if (*p == L'%') {
            out += *p;
            continue;
        }
        // flags, width, precision
        while (*p && std::wcschr(L"-+ #0123456789.*'", *p))
            out += *p++;
        bool narrow = false;
        if (*p == L'h' && (p[1] == L's' || p[1] == L'c')) {
            narrow = true;
            ++p;
        } else if (*p == L'l' && (p[1] == L's' || p[1] == L'c')) {
            ++p;  // already wide
        } else {
            while (*p && std::wcschr(L"hlLqjzt", *p))
                out += *p++;
        }
        if (!*p)
            break;
        if ((*p == L's' || *p == L'c') && !narrow)
            out += L'l';
        out += *p;
    }
    return out;
}

}  // namespace

namespace {

// The plain conversions nearly every format uses (%s %ls %d %i %u %c %lc %%, without flags,
// width or precision) are written directly; false, with nothing read from `args`, when the
// format holds any other, which vswprintf then writes.
bool formatPlain(const wchar_t* format, va_list args, std::wstring& out)
{
    for (const wchar_t* p = format; *p; ++p) {
        if (*p != L'%')
            continue;
        ++p;
        if (*p == L'l' && (p[1] == L's' || p[1] == L'c'))
            ++p;
        if (*p != L'%' && *p != L's' && *p != L'd' && *p != L'i' && *p != L'u' && *p != L'c')
            return false;
    }
    va_list ap;
    va_copy(ap, args);
    for (const wchar_t* p = format; *p; ++p) {
        const wchar_t* run = p;
        while (*p && *p != L'%')
            ++p;
        out.append(run, static_cast<size_t>(p - run));
        if (!*p)
            break;
        ++p;
        if (*p == L'l')
            ++p;
        char digits[16];
        switch (*p) {
        case L'%':
            out += L'%';
            break;
        case L's':
            if (const wchar_t* text = va_arg(ap, const wchar_t*))
                out += text;
            else
                out += L"(null)";  // as glibc writes it
            break;
        case L'c':
            out += static_cast<wchar_t>(va_arg(ap, wint_t));
            break;
        case L'u': {
            auto end = std::to_chars(digits, digits + sizeof digits, va_arg(ap, unsigned)).ptr;
            out.append(digits, end);
            break;
        }
        default: {  // d, i
            auto end = std::to_chars(digits, digits + sizeof digits, va_arg(ap, int)).ptr;
            out.append(digits, end);
            break;
        }
        }
    }
    va_end(ap);
    return true;
}

}  // namespace

std::wstring formatWindowsV(const wchar_t* format, va_list args)
{
    std::wstring plain;
    if (formatPlain(format, args, plain))
        return plain;
    std::wstring fmt = windowsToGlibcFormat(format);
    // Numbers are written as in the C runtime's default locale ("3.14"), also when Qt has put
    // the desktop's locale into force for the process.
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", nullptr);
    std::vector<wchar_t> buf(256);
    for (;;) {
        va_list copy;
        va_copy(copy, args);
        locale_t previous = uselocale(cLocale);
        int n = std::vswprintf(buf.data(), buf.size(), fmt.c_str(), copy);
        uselocale(previous);
        va_end(copy);
        if (n >= 0)
            return std::wstring(buf.data(), static_cast<size_t>(n));
        if (buf.size() >= (1u << 24))
            return {};  // not a size problem: a bad format or an unencodable argument
        buf.resize(buf.size() * 4);
    }
}

// ---- case -------------------------------------------------------------------------------------

char32_t toUpper(char32_t c)
{
    if (c < 0x80)
        return c >= 'a' && c <= 'z' ? c - 32 : c;
    return isScalar(c) ? static_cast<char32_t>(u_toupper(static_cast<UChar32>(c))) : c;
}

char32_t toLower(char32_t c)
{
    if (c < 0x80)
        return c >= 'A' && c <= 'Z' ? c + 32 : c;
    return isScalar(c) ? static_cast<char32_t>(u_tolower(static_cast<UChar32>(c))) : c;
}

char32_t foldCase(char32_t c)
{
    if (c < 0x80)
        return c >= 'A' && c <= 'Z' ? c + 32 : c;
    return isScalar(c) ? static_cast<char32_t>(u_foldCase(static_cast<UChar32>(c), U_FOLD_CASE_DEFAULT)) : c;
}

namespace {

template <class F>
std::string mapUtf8(std::string_view text, F f)
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

template <class F>
std::wstring mapWide(std::wstring_view text, F f)
{
    std::wstring out(text);
    for (wchar_t& c : out)
        c = static_cast<wchar_t>(f(static_cast<char32_t>(c)));
    return out;
}

}  // namespace

std::string upper(std::string_view utf8) { return mapUtf8(utf8, toUpper); }
std::string lower(std::string_view utf8) { return mapUtf8(utf8, toLower); }
std::wstring upper(std::wstring_view text) { return mapWide(text, toUpper); }
std::wstring lower(std::wstring_view text) { return mapWide(text, toLower); }

bool equalNoCase(std::string_view a, std::string_view b)
{
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size())
        if (foldCase(next(a, i)) != foldCase(next(b, j)))
            return false;
    return i == a.size() && j == b.size();
}

bool equalNoCase(std::wstring_view a, std::wstring_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) {
               return x == y || foldCase(static_cast<char32_t>(x)) == foldCase(static_cast<char32_t>(y));
           });
}

int compareNoCase(std::wstring_view a, std::wstring_view b)
{
    for (size_t i = 0;; ++i) {
        if (i == a.size() || i == b.size())
            return i == a.size() ? (i == b.size() ? 0 : -1) : 1;
        char32_t x = foldCase(static_cast<char32_t>(a[i])), y = foldCase(static_cast<char32_t>(b[i]));
        if (x != y)
            return x < y ? -1 : 1;
    }
}

}  // namespace kortext
