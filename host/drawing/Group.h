// Group.h — entity data as programs read and write it: a list of groups, each a group code
// with its value as a number, a point, a text or an entity name (entget, entmod, entmake,
// tblnext, ssget filters). The records keep the file's text; these are what the drawing hands
// out and takes in. What kind of value a code carries is dxf::kindOf.
#pragma once

#include "drawing/Dxf.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace korcad {

// An entity name: (kNameBase + record id * 8, the drawing's serial); both 0 is no entity.
struct EntityName {
    int64_t id = 0;
    int64_t serial = 0;
    bool null() const { return id == 0 && serial == 0; }
    bool operator==(const EntityName&) const = default;
};

using Point3 = std::array<double, 3>;

namespace dxf {

// One group. Only the member of the code's kind counts: text for Text codes, real for Real
// and Int64 codes (64-bit integers go as reals, as in ADS), point for Point codes, integer
// for Int16 (within the range of short) and Int32 codes, name for Name codes. A marker (-3,
// before extended data) carries nothing.
struct Group {
    int code = 0;
    std::wstring text;
    bool noText = false;  // a text group whose text is missing (a program's null string)
    double real = 0;
    Point3 point{0, 0, 0};
    int32_t integer = 0;
    EntityName name;

    Group() = default;
    explicit Group(int c) : code(c) {}
    Group(int c, std::wstring t) : code(c), text(std::move(t)) {}
    Group(int c, const wchar_t* t) : code(c), text(t ? t : L""), noText(!t) {}
    Group(int c, double r) : code(c), real(r) {}
    Group(int c, int32_t i) : code(c), integer(i) {}
    Group(int c, Point3 p) : code(c), point(p) {}
    Group(int c, EntityName n) : code(c), name(n) {}
};
using Groups = std::vector<Group>;

}  // namespace dxf
}  // namespace korcad
