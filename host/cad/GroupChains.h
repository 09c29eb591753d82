// GroupChains.h — entity data between the drawing and ADS: the drawing's groups (dxf::Groups)
// as the result-buffer chains applications read (acdbEntGet, acdbTblNext) and write
// (acdbEntMod, acdbEntMake, ssget filters), and entity names both ways.
//
// A group's value goes by the kind of its code (ads::groupKind, which dxf::kindOf mirrors):
// texts as wide strings (a null string stays missing, for the drawing to refuse),
// reals, points, 16- and 32-bit integers, names; a code of no kind (-3) carries nothing.
#pragma once

#include "drawing/Group.h"

#include "ads/adshost.h"

#include <string>
#include <vector>

namespace korcad {

ads::RbPtr toChain(const dxf::Groups& groups);  // null for no groups
dxf::Groups fromChain(const resbuf* chain);
// The same into `out`, whose groups (and their texts' storage) are used again: for a call that
// takes many chains in a row.
const dxf::Groups& fromChain(const resbuf* chain, dxf::Groups& out);
// The texts (RTSTR) of a chain, as entget's list of applications.
std::vector<std::wstring> textsOf(const resbuf* chain);

inline EntityName entityName(const ads_name n) { return n ? EntityName{n[0], n[1]} : EntityName{}; }
inline void setName(ads_name n, const EntityName& e)
{
    n[0] = e.id;
    n[1] = e.serial;
}

}  // namespace korcad
