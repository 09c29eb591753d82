#include "drawing/SpatialIndex.h"

#include <algorithm>
#include <cmath>

namespace korcad::geom {

namespace {

constexpr uint32_t kFanout = 16;

double cx(const Box& b) { return (b.x0 + b.x1) * 0.5; }
double cy(const Box& b) { return (b.y0 + b.y1) * 0.5; }

// Orders `order` (indexes into `boxes`) the Sort-Tile-Recursive way: vertical slices by X,
// each slice by Y, so that runs of kFanout make compact nodes.
void tile(std::vector<uint32_t>& order, const std::vector<Box>& boxes)
{
    size_t n = order.size();
    size_t nodes = (n + kFanout - 1) / kFanout;
    size_t slices = static_cast<size_t>(std::ceil(std::sqrt(static_cast<double>(nodes))));
    size_t perSlice = slices * kFanout;
    std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) { return cx(boxes[a]) < cx(boxes[b]); });
    for (size_t s = 0; s < n; s += perSlice) {
        auto begin = order.begin() + static_cast<long>(s);
        auto end = order.begin() + static_cast<long>(std::min(n, s + perSlice));
        std::sort(begin, end, [&](uint32_t a, uint32_t b) { return cy(boxes[a]) < cy(boxes[b]); });
    }
}

}  // namespace

void SpatialIndex::build(std::span<const Box> boxes)
{
    boxes_.clear();
    items_.clear();
    levels_.clear();
    std::vector<Box> all;
    std::vector<uint32_t> order;
    for (uint32_t i = 0; i < boxes.size(); ++i)
        if (!boxes[i].empty()) {
            order.push_back(static_cast<uint32_t>(all.size()));
            all.push_back(boxes[i]);
            items_.push_back(i);
        }
    if (order.empty())
        return;
    tile(order, all);
    std::vector<uint32_t> ids(order.size());
    boxes_.resize(order.size());
    for (size_t k = 0; k < order.size(); ++k) {
        boxes_[k] = all[order[k]];
        ids[k] = items_[order[k]];
    }
    items_ = std::move(ids);

    // Leaves over the items, then levels over the nodes below until one node is left.
    std::vector<Node> level;
    for (uint32_t k = 0; k < boxes_.size(); k += kFanout) {
        Node n;
        n.first = k;
        n.count = std::min<uint32_t>(kFanout, static_cast<uint32_t>(boxes_.size()) - k);
        for (uint32_t j = k; j < k + n.count; ++j)
            n.box.add(boxes_[j]);
        level.push_back(n);
    }
    levels_.push_back(std::move(level));
    while (levels_.back().size() > kFanout) {
        std::vector<Node>& below = levels_.back();
        std::vector<Box> nodeBoxes(below.size());
        for (size_t k = 0; k < below.size(); ++k)
            nodeBoxes[k] = below[k].box;
        std::vector<uint32_t> nodeOrder(below.size());
        for (uint32_t k = 0; k < nodeOrder.size(); ++k)
            nodeOrder[k] = k;
        tile(nodeOrder, nodeBoxes);
        std::vector<Node> sorted(below.size());
        for (size_t k = 0; k < nodeOrder.size(); ++k)
            sorted[k] = below[nodeOrder[k]];
        below = std::move(sorted);
        std::vector<Node> up;
        for (uint32_t k = 0; k < below.size(); k += kFanout) {
            Node n;
            n.first = k;
            n.count = std::min<uint32_t>(kFanout, static_cast<uint32_t>(below.size()) - k);
            for (uint32_t j = k; j < k + n.count; ++j)
                n.box.add(below[j].box);
            up.push_back(n);
        }
        levels_.push_back(std::move(up));
    }
}

Box SpatialIndex::bounds() const
{
    Box b;
    if (!levels_.empty())
        for (const Node& n : levels_.back())
            b.add(n.box);
    return b;
}

}  // namespace korcad::geom
