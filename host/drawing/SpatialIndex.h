// SpatialIndex.h — which of many boxes meet a given box, fast: a static R-tree packed by
// Sort-Tile-Recursive (boxes sorted into vertical slices by their centres' X, each slice by Y,
// sixteen to a node, the same again one level up until a single root is left).
//
// Built once over all boxes; a query walks only the nodes whose box meets the query box, so a
// look at a small part of a large drawing touches a few hundred boxes, not all of them. Unlike
// a uniform grid it copes with drawings whose entities crowd in one corner with a stray one far
// away, as real drawings often are.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace korcad::geom {

struct Box {
    double x0 = 1, y0 = 1, x1 = 0, y1 = 0;  // empty while x0 > x1
    bool empty() const { return x0 > x1 || y0 > y1; }
    void add(double x, double y)
    {
        if (empty()) {
            x0 = x1 = x;
            y0 = y1 = y;
            return;
        }
        if (x < x0) x0 = x;
        if (x > x1) x1 = x;
        if (y < y0) y0 = y;
        if (y > y1) y1 = y;
    }
    void add(const Box& b)
    {
        if (b.empty())
            return;
        add(b.x0, b.y0);
        add(b.x1, b.y1);
    }
    bool meets(const Box& b) const { return !(b.x0 > x1 || b.x1 < x0 || b.y0 > y1 || b.y1 < y0); }
    Box grown(double by) const { return empty() ? *this : Box{x0 - by, y0 - by, x1 + by, y1 + by}; }
};

class SpatialIndex {
public:
    // Indexes boxes[i] as item i. Empty boxes are left out.
    void build(std::span<const Box> boxes);
    // Calls visit(item) for every item whose box meets `area`, in no particular order. One
    // query at a time: `visit` must not query the same index again.
    template <class Visit>
    void query(const Box& area, Visit&& visit) const
    {
        if (levels_.empty() || area.empty())
            return;
        stack_.clear();
        const auto& top = levels_.back();
        for (uint32_t i = 0; i < top.size(); ++i)
            stack_.push_back({static_cast<uint32_t>(levels_.size() - 1), i});
        while (!stack_.empty()) {
            auto [level, index] = stack_.back();
            stack_.pop_back();
            const Node& n = levels_[level][index];
            if (!n.box.meets(area))
                continue;
            if (level == 0) {
                for (uint32_t k = n.first; k < n.first + n.count; ++k)
                    if (boxes_[k].meets(area))
                        visit(items_[k]);
            } else {
                for (uint32_t k = n.first; k < n.first + n.count; ++k)
                    stack_.push_back({level - 1, k});
            }
        }
    }
    size_t size() const { return items_.size(); }
    // The union of all boxes indexed.
    Box bounds() const;

private:
    struct Node {
        Box box;
        uint32_t first = 0, count = 0;  // children in the level below (or items, on level 0)
    };
    struct Pending {
        uint32_t level, index;
    };
    std::vector<Box> boxes_;       // item boxes in the order the leaves hold them
    std::vector<uint32_t> items_;  // the item numbers in that order
    std::vector<std::vector<Node>> levels_;  // levels_[0] the leaves, the last the top
    mutable std::vector<Pending> stack_;
};

}  // namespace korcad::geom
