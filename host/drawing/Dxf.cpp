#include "drawing/Dxf.h"

#include "text/text.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

namespace korcad::dxf {

namespace {

Kind kindByRanges(int c)
{
    if (!isGroupCode(c))
        return Kind::Text;
    if (c == -5 || c == -2 || c == -1 || (c >= 330 && c <= 369) || (c >= 390 && c <= 399) || c == 480 || c == 481)
        return Kind::Name;
    if (isPointX(c))
        return Kind::Point;
    if ((c >= 10 && c <= 59) || (c >= 110 && c <= 149) || (c >= 210 && c <= 239) || (c >= 460 && c <= 469) ||
        (c >= 1010 && c <= 1059))
        return Kind::Real;
    if ((c >= 60 && c <= 79) || (c >= 170 && c <= 179) || (c >= 270 && c <= 299) || (c >= 370 && c <= 389) ||
        (c >= 400 && c <= 409) || (c >= 1060 && c <= 1070))
        return Kind::Int16;
    if ((c >= 90 && c <= 99) || (c >= 420 && c <= 429) || (c >= 440 && c <= 459) || c == 1071)
        return Kind::Int32;
    if (c >= 160 && c <= 169)
        return Kind::Int64;
    return Kind::Text;
}

}  // namespace

Kind kindOf(int c)
{
    // Asked for every group read, written or converted: one look into a table of all codes.
    constexpr int kFirst = -5, kLast = 1071;
    static const auto table = [] {
        std::array<Kind, kLast - kFirst + 1> t{};
        for (int code = kFirst; code <= kLast; ++code)
            t[static_cast<size_t>(code - kFirst)] = kindByRanges(code);
        return t;
    }();
    return c >= kFirst && c <= kLast ? table[static_cast<size_t>(c - kFirst)] : Kind::Text;
}

bool isPointX(int c) { return (c >= 10 && c <= 18) || (c >= 110 && c <= 112) || c == 210 || (c >= 1010 && c <= 1013); }

FileKind sniff(std::string_view bytes)
{
    size_t i = 0;
    while (i < bytes.size() && (bytes[i] == ' ' || bytes[i] == '\t' || bytes[i] == '\r' || bytes[i] == '\n'))
        ++i;
    if (i == bytes.size())
        return FileKind::Empty;
    if (bytes.substr(0, 18) == "AutoCAD Binary DXF")
        return FileKind::BinaryDxf;
    // A DWG file starts with its version, "AC1015" and the like, followed by binary data.
    if (bytes.size() >= 6 && bytes.substr(0, 4) == "AC10" && std::isdigit(static_cast<unsigned char>(bytes[4])) &&
        std::isdigit(static_cast<unsigned char>(bytes[5])))
        return FileKind::Dwg;
    return FileKind::AsciiDxf;
}

namespace {

using kortext::trim;

std::string shown(std::string_view s)
{
    std::string out;
    for (char c : s.substr(0, 40))
        out += static_cast<unsigned char>(c) < 0x20 ? '?' : c;
    return s.size() > 40 ? out + "..." : out;
}

}  // namespace

bool parseInteger(std::string_view text, long long& value)
{
    text = trim(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    auto r = std::from_chars(text.data(), text.data() + text.size(), value);
    return r.ec == std::errc() && r.ptr == text.data() + text.size() && !text.empty();
}

long long integerOf(std::string_view text)
{
    long long i = 0;
    if (parseInteger(text, i))
        return i;
    double d = 0;
    if (!parseReal(text, d) || std::isnan(d))
        return 0;
    // 2^63 is the first double past the range; converting one beyond it is undefined.
    constexpr double kLimit = 9223372036854775808.0;
    if (d >= kLimit)
        return std::numeric_limits<long long>::max();
    if (d < -kLimit)
        return std::numeric_limits<long long>::min();
    return static_cast<long long>(d);
}

bool parseReal(std::string_view text, double& value)
{
    text = trim(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    auto r = std::from_chars(text.data(), text.data() + text.size(), value);
    return r.ec == std::errc() && r.ptr == text.data() + text.size() && !text.empty();
}

namespace {

// What nearly every number of a file looks like: an optional minus and digits with at most one
// point, short enough to be in range. parseReal takes every such text; this tells it at a
// fraction of the cost, and the reader leaves the rest (blanks, exponents, ...) to parseReal.
bool plainDecimal(std::string_view v)
{
    if (v.empty() || v.size() > 64)
        return false;
    size_t i = v[0] == '-' ? 1 : 0;
    bool digit = false, point = false;
    for (; i < v.size(); ++i) {
        const char c = v[i];
        if (c >= '0' && c <= '9')
            digit = true;
        else if (c == '.' && !point)
            point = true;
        else
            return false;
    }
    return digit;
}

}  // namespace

bool readTags(TagStream& s, std::string* error)
{
    s.tags.clear();
    std::string_view all(s.bytes);
    s.crlf = false;
    if (size_t nl = all.find('\n'); nl != std::string_view::npos && nl > 0 && all[nl - 1] == '\r')
        s.crlf = true;
    // Two lines a group: counting the lines first spares growing the array.
    size_t lineEnds = 0;
    for (const char *p = all.data(), *end = all.data() + all.size();
         (p = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)))); ++p)
        ++lineEnds;
    s.tags.reserve(lineEnds / 2 + 1);
    size_t pos = 0;
    int line = 0;
    auto nextLine = [&](std::string_view& out) {
        if (pos >= all.size())
            return false;
        size_t nl = all.find('\n', pos);
        size_t end = nl == std::string_view::npos ? all.size() : nl;
        out = all.substr(pos, end - pos);
        // A line ends at its LF with every CR before it: a stray CR ("\r\r\n", left by a
        // tool that converted line ends twice) belongs to no value, and a value kept with
        // one would not read back the same once saved.
        while (!out.empty() && out.back() == '\r')
            out.remove_suffix(1);
        pos = nl == std::string_view::npos ? all.size() : nl + 1;
        ++line;
        return true;
    };
    auto fail = [&](const std::string& message) {
        if (error)
            *error = "line " + std::to_string(line) + ": " + message;
        return false;
    };
    std::string_view codeLine, value;
    while (nextLine(codeLine)) {
        std::string_view c = trim(codeLine);
        if (c.empty() && pos >= all.size())
            break;  // an empty last line
        long long code = 0;
        if (!parseInteger(c, code) || code < -5 || code > 1071)
            return fail("a group code was expected, found \"" + shown(codeLine) + "\"");
        // -3 stands before the extended data in the lists programs read and write; in a file
        // extended data starts with its 1001 group. As a group of a file it would reach a
        // program as that marker, with a text where none is expected.
        if (code == -3)
            return fail("group code -3 marks extended data in programs' lists, never in a file");
        if (!nextLine(value))
            return fail("the file ends after group code " + std::to_string(code) + ", before its value");
        Kind k = kindOf(static_cast<int>(code));
        if (k == Kind::Real || k == Kind::Point || k == Kind::Int16 || k == Kind::Int32 || k == Kind::Int64) {
            double d;
            if (!plainDecimal(value) && !parseReal(value, d))
                return fail("group " + std::to_string(code) + " needs a number, found \"" + shown(value) + "\"");
        }
        s.tags.push_back(Tag{static_cast<int>(code), value});
        // The drawing ends with its EOF group. What follows is no part of it, as other
        // readers take it: blank lines, the Ctrl-Z that once marked the end of a file, NULs.
        if (code == 0 && trim(value) == "EOF")
            break;
    }
    if (s.tags.empty())
        return fail("the file holds no DXF groups");
    return true;
}

int lineOf(const TagStream& s, size_t tag)
{
    if (tag >= s.tags.size())
        return 0;
    // The value points into the bytes: its line is one more than the line ends before it.
    const char* at = s.tags[tag].value().data();
    if (at < s.bytes.data() || at > s.bytes.data() + s.bytes.size())
        return 0;
    auto before = static_cast<int>(std::count(s.bytes.data(), at, '\n'));
    return before;  // the value's line is before + 1; the code's line is the one above
}

void writeTags(std::span<const Tag> tags, bool crlf, std::string& out)
{
    const char* eol = crlf ? "\r\n" : "\n";
    size_t eolSize = crlf ? 2 : 1;
    size_t size = 0;
    for (const Tag& t : tags)
        size += t.value().size() + 4 + 2 * eolSize;
    out.reserve(out.size() + size);
    char buf[16];
    for (const Tag& t : tags) {
        auto r = std::to_chars(buf, buf + sizeof buf, t.code);
        size_t n = static_cast<size_t>(r.ptr - buf);
        if (n < 3)
            out.append(3 - n, ' ');
        out.append(buf, n);
        out.append(eol, eolSize);
        out.append(t.value());
        out.append(eol, eolSize);
    }
}

namespace {

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

}  // namespace

std::wstring decodeText(std::string_view value, bool utf8)
{
    std::u32string chars = kortext::decode(utf8 ? std::string(value) : kortext::fromWindows1252(value));
    std::wstring out;
    out.reserve(chars.size());
    for (size_t i = 0; i < chars.size(); ++i) {
        char32_t c = chars[i];
        if (c == U'\\' && i + 6 < chars.size() && (chars[i + 1] == U'U' || chars[i + 1] == U'u') &&
            chars[i + 2] == U'+') {
            int v = 0;
            bool ok = true;
            for (int k = 3; k < 7; ++k) {
                int d = chars[i + k] < 128 ? hexDigit(static_cast<char>(chars[i + k])) : -1;
                ok = ok && d >= 0;
                v = v * 16 + d;
            }
            if (ok && kortext::isScalar(static_cast<char32_t>(v))) {
                out += static_cast<wchar_t>(v);
                i += 6;
                continue;
            }
        }
        if (c == U'^' && i + 1 < chars.size()) {
            char32_t n = chars[i + 1];
            if (n == U' ') {
                out += L'^';
                ++i;
                continue;
            }
            if (n >= U'@' && n <= U'_') {
                out += static_cast<wchar_t>(n - 64);
                ++i;
                continue;
            }
        }
        out += static_cast<wchar_t>(c);
    }
    return out;
}

std::string encodeText(std::wstring_view text, bool utf8)
{
    std::string out;
    out.reserve(text.size());
    encodeText(text, utf8, out);
    return out;
}

void encodeText(std::wstring_view text, bool utf8, std::string& out)
{
    for (wchar_t w : text) {
        auto c = static_cast<char32_t>(w);
        if (c < 0x20) {
            out += '^';
            out += static_cast<char>(c + 64);
        } else if (c == U'^') {
            out += "^ ";
        } else if (utf8) {
            kortext::append(out, c);
        } else if (char b; kortext::toWindows1252(c, b)) {
            out += b;
        } else if (c <= 0xFFFF) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\U+%04X", static_cast<unsigned>(c));
            out += buf;
        } else {
            out += '?';
        }
    }
}

std::string formatReal(double r)
{
    if (!std::isfinite(r))
        return "0.0";
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, r);
    std::string s(buf, res.ptr);
    size_t e = s.find('e');
    std::string mantissa = s.substr(0, e);
    if (mantissa.find('.') == std::string::npos)
        mantissa += ".0";
    return e == std::string::npos ? mantissa : mantissa + s.substr(e);
}

}  // namespace korcad::dxf
