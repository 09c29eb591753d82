// Selection.h — selection filters: which entities (ssget "X" filter) picks, by their groups.
//
// A filter is a list of groups an entity must have: (0 . "INSERT"), (8 . "WASSER*"), ...
// Texts are wild-card patterns (no case), numbers compare equal unless a (-4 . "op") before
// them says otherwise: = != /= <> < <= > >= * (anything), & (any bit of the mask) and &=
// (all bits of the mask); for points one operator per axis ("<,<,*") or one for all three.
// Logic groups nest: (-4 . "<AND") ... (-4 . "AND>"), <OR, <XOR (two operands), <NOT (one).
// (-3 ("APP")) asks for extended data of that application. An entity without colour,
// linetype, space, thickness or lineweight group is taken with its default (256, "BYLAYER",
// 0, 0.0, -1).
#pragma once

#include "drawing/Group.h"

#include <string>
#include <vector>

namespace korcad {

class SelectionFilter {
public:
    // False with the reason for unbalanced or unknown -4 groups and misplaced groups.
    bool parse(const dxf::Groups& filter, std::string* why);
    // The entity as entget gives it, with all its extended data when needsXdata().
    bool matches(const dxf::Groups& entity) const;
    bool needsXdata() const { return needsXdata_; }
    bool empty() const { return root_.kids.empty(); }

private:
    struct Node {
        enum Kind { And, Or, Xor, Not, Test, Xdata } kind = And;
        std::vector<Node> kids;
        const dxf::Group* test = nullptr;  // Test: the group; Xdata: the 1001 group
        std::wstring op;
    };
    bool eval(const Node& n, const dxf::Groups& entity) const;
    bool test(const Node& n, const dxf::Groups& entity) const;

    dxf::Groups groups_;  // the filter's own copy; nodes point into it
    Node root_;
    bool needsXdata_ = false;
};

}  // namespace korcad
