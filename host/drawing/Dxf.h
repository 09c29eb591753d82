// Dxf.h — DXF at the level of its groups: a drawing file is a stream of (group code, value)
// pairs, two lines each. This reads the stream of an ASCII DXF file, writes one back, tells
// what kind of value a group code carries, and turns a group's text into wide text and back.
//
// A value is kept as the bytes the file held, so a group korcad never changes is written
// back exactly as it was read: no number is reformatted, no text re-encoded.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace korcad::dxf {

// One group as the file holds it: its code and a view of its value line (without the line
// end) in the file's bytes, or in a text the drawing made. A drawing holds millions of them:
// twelve bytes each, the value's address in 48 bits (all that user space uses on x86-64 and
// AArch64 Linux) beside its code.
#pragma pack(push, 4)
struct Tag {
    uint64_t addr : 48 = 0;
    int32_t code : 16 = 0;
    uint32_t size = 0;

    Tag() = default;
    Tag(int c, std::string_view v) : addr(address(v.data())), code(c), size(static_cast<uint32_t>(v.size())) {}
    const char* data() const { return reinterpret_cast<const char*>(static_cast<uintptr_t>(addr)); }
    std::string_view value() const { return {data(), size}; }
    void setValue(std::string_view v)
    {
        size = static_cast<uint32_t>(v.size());
        addr = address(v.data());
    }

private:
    static uint64_t address(const char* p)
    {
        const auto a = reinterpret_cast<uintptr_t>(p);
        if (a >> 48)
            std::abort();  // no user-space address on x86-64 or AArch64 Linux
        return a;
    }
};
#pragma pack(pop)
static_assert(sizeof(Tag) == 12);
using Tags = std::vector<Tag>;

// What a group code carries: names -5, -2, -1, 330-369, 390-399, 480, 481; points 10-18,
// 110-112, 210, 1010-1013 (X, with Y at +10 and Z at +20); reals the rest of 10-59, 110-149,
// 210-239, 460-469, 1010-1059; 16-bit integers 60-79, 170-179, 270-299, 370-389, 400-409,
// 1060-1070; 32-bit integers 90-99, 420-429, 440-459, 1071; 64-bit integers 160-169; text the
// rest (0-9, 100, 102, 300-309, 999, 1000-1009, ...), and codes no group has.
enum class Kind { Text, Real, Point, Int16, Int32, Int64, Name };
Kind kindOf(int code);
bool isPointX(int code);
// A code a group of entity data can have: -5 to 1071 but -3, the marker of extended data.
constexpr bool isGroupCode(int code) { return code >= -5 && code <= 1071 && code != -3; }

// The stream of a file's groups. The file's bytes stay in `bytes`; tag values point into it.
struct TagStream {
    std::string bytes;
    Tags tags;
    bool crlf = false;  // lines end in CR LF
};
// The line (1-based) of a tag's code in the file, for messages.
int lineOf(const TagStream& stream, size_t tag);

// What a file is, by its first bytes.
enum class FileKind { AsciiDxf, BinaryDxf, Dwg, Empty };
FileKind sniff(std::string_view bytes);

// Splits the bytes into groups, up to the EOF group (anything after it is ignored). False
// with "line N: ..." in *error when a code line is no number, a value is missing at the end,
// or a numeric group holds no number.
bool readTags(TagStream& stream, std::string* error);
// The text of a stream of groups: codes right-aligned in three places as CAD programs write
// them, values as they are, every line ended by "\r\n" or "\n".
void writeTags(std::span<const Tag> tags, bool crlf, std::string& out);

// Text of groups as wide text: UTF-8 in files from AutoCAD 2007 on ($ACADVER AC1021 and
// later), Windows-1252 in older ones; \U+XXXX escapes and ^ control escapes are undone.
std::wstring decodeText(std::string_view value, bool utf8);
// The file form of a text: what decodeText reads back as `text`.
std::string encodeText(std::wstring_view text, bool utf8);
void encodeText(std::wstring_view text, bool utf8, std::string& out);  // appended to `out`
// The file form of numbers. Reals take the shortest text that reads back as the same number,
// always with a decimal point ("1.0", "0.125", "1e+20" gets "1.0e+20").
std::string formatReal(double r);
bool parseReal(std::string_view text, double& value);
bool parseInteger(std::string_view text, long long& value);
// The whole number a numeric group holds: an integer as written; a real ("1.0", "3e5") cut to
// its whole part and held to the range of long long; 0 for no number (or NaN).
long long integerOf(std::string_view text);

}  // namespace korcad::dxf
