// DrawingRecords.h — what the files of Drawing share: the groups of a record and the checks
// every record passes before the drawing stores it. Private to the drawing part.
#pragma once

#include "drawing/Drawing.h"

#include "text/text.h"

#include <set>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace korcad::records {

using dxf::Tag;
using dxf::Tags;
using kortext::trim;

// Entity names are (kNameBase + id * 8, drawing serial): they look like the addresses CAD
// programs hand out, and a stray number is unlikely to be one.
constexpr int64_t kNameBase = 0x7ff6a0000000;

// A group value as a name to compare (section, table, type, handle): trimmed, in upper case.
inline std::string upperTrimmed(std::string_view s) { return kortext::upper(trim(s)); }

inline bool is(const Tag& t, int code, std::string_view value) { return t.code == code && trim(t.value()) == value; }

inline double real(std::string_view v)
{
    double d = 0;
    dxf::parseReal(v, d);
    return d;
}

inline long long integer(std::string_view v) { return dxf::integerOf(v); }

inline bool equalText(const std::wstring& a, const std::wstring& b) { return kortext::equalNoCase(a, b); }

// One group of a record: a single tag, or the two or three tags of a point.
struct Group {
    int code = 0;
    size_t tag = 0;
    size_t count = 1;
};

// The groups of tags[from, to): points gather their Y and Z.
inline std::vector<Group> groupsOf(std::span<const Tag> t, size_t from, size_t to)
{
    std::vector<Group> out;
    for (size_t i = from; i < to;) {
        Group g{t[i].code, i, 1};
        if (dxf::isPointX(t[i].code) && i + 1 < to && t[i + 1].code == t[i].code + 10) {
            g.count = (i + 2 < to && t[i + 2].code == t[i].code + 20) ? 3 : 2;
        }
        out.push_back(g);
        i += g.count;
    }
    return out;
}

// Where a record's extended data starts (its first 1001 group), or its end.
inline size_t xdataStart(std::span<const Tag> t)
{
    for (size_t i = 0; i < t.size(); ++i)
        if (t[i].code == 1001)
            return i;
    return t.size();
}

// Why a group cannot stand in a record of a file that DXF readers (korcad's first) read back;
// empty when it can. The drawing's last line of defence under the checks of entmake and
// entmod: a type that ends a section or the file, a code no file holds, a value that breaks
// its line (or, ended by CR, would not read back the same), a number that is none.
std::string unsoundGroup(int code, std::string_view value, bool first);

template <class Groups>
bool soundRecord(const Groups& groups, std::string* why)
{
    bool first = true;
    for (const auto& g : groups) {
        std::string reason;
        if constexpr (std::is_same_v<std::decay_t<decltype(g)>, Tag>)
            reason = unsoundGroup(g.code, g.value(), first);
        else
            reason = unsoundGroup(g.first, g.second, first);
        if (!reason.empty()) {
            if (why)
                *why = "the record would break the file: " + reason;
            return false;
        }
        first = false;
    }
    return !first;
}

// A code whose groups hold text (not the marker -3 nor a code no group has).
inline bool isTextCode(int code) { return dxf::isGroupCode(code) && dxf::kindOf(code) == dxf::Kind::Text; }

// The first text of program data (as entmake and entmod take it) with a line break: DXF holds
// a text on one line, and CAD programs refuse such texts. False, with the reason.
bool noLineBreaks(std::span<const dxf::Group> groups, std::string* why);

// A group of a record as programs read it, for every kind but names (which the caller
// resolves): text decoded, numbers read, a point's missing Z as 0.
inline dxf::Group valueOf(std::span<const Tag> t, const Group& g, bool utf8)
{
    const Tag& first = t[g.tag];
    switch (dxf::kindOf(g.code)) {
    case dxf::Kind::Text:
        return dxf::Group(g.code, dxf::decodeText(first.value(), utf8));
    case dxf::Kind::Real:
    case dxf::Kind::Int64:
        return dxf::Group(g.code, real(first.value()));
    case dxf::Kind::Point: {
        Point3 p{0, 0, 0};
        for (size_t k = 0; k < 3 && k < g.count; ++k)
            p[k] = real(t[g.tag + k].value());
        return dxf::Group(g.code, p);
    }
    case dxf::Kind::Int16:
        return dxf::Group(g.code, static_cast<int32_t>(static_cast<short>(integer(first.value()))));
    case dxf::Kind::Int32:
        return dxf::Group(g.code, static_cast<int32_t>(integer(first.value())));
    case dxf::Kind::Name:
        break;
    }
    return dxf::Group(g.code);
}

// The entity types entmake makes: those of the ENTITIES section, less the parts of complex
// entities (VERTEX, ATTRIB, SEQEND come only with their entity). Anything else - the marker of
// a section, table, class or block, EOF, a name nobody reads - would give a file that CAD
// programs refuse or misread.
extern const std::set<std::string, std::less<>> kEntityTypes;

// Groups that every entity has a place for in its common part, after its layer.
inline bool isCommonEntityCode(int code)
{
    return code == 6 || code == 48 || code == 60 || code == 62 || code == 67 || code == 284 || code == 370 ||
           code == 420 || code == 430 || code == 440;
}

// The name (group 2) of a table record.
inline std::wstring recordName(std::span<const Tag> t, bool utf8)
{
    for (const Tag& g : t)
        if (g.code == 2)
            return dxf::decodeText(g.value(), utf8);
    return {};
}

}  // namespace korcad::records
