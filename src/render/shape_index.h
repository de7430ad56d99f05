// A packed R-tree over the boxes of a display list's shapes, built once per list, so a
// frame visits only the shapes that can show in the view. Leaves hold shape indices in
// the order of a Hilbert curve through the box centres; each level above holds the boxes
// of up to kFanout children. Building is O(n log n) with a radix sort, about 0.1 s for a
// million shapes; memory is one index and a small fraction of a box per shape.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "display/display_list.h"

namespace tessaro::render {

class ShapeIndex {
public:
  ShapeIndex() = default;
  explicit ShapeIndex(std::span<const Shape> shapes);

  // The indices of every shape whose box meets `area` (edges included, so a horizontal or
  // vertical line with an empty box is found), ascending: the list's draw order. `out` is
  // cleared first; it is a parameter so a frame can reuse its memory.
  void Query(const Extents& area, std::vector<std::uint32_t>& out) const;

  std::size_t Size() const { return count_; }
  // The box of every shape's box; nothing without shapes.
  std::optional<Extents> Bounds() const;

  // Calls `visit(index)` for every shape whose box meets `area`, in no particular order,
  // until it returns false.
  template <class Visit>
  void ForEachIn(const Extents& area, Visit&& visit) const;

private:
  struct Node {
    Extents box;
    std::uint32_t first;  // first child: a node of the level below, or a slot of order_
    std::uint32_t count;
  };

  static bool Meets(const Extents& a, const Extents& b) {
    return a.min.x <= b.max.x && a.max.x >= b.min.x && a.min.y <= b.max.y && a.max.y >= b.min.y;
  }

  std::span<const Shape> shapes_;
  std::size_t count_ = 0;
  std::vector<std::uint32_t> order_;  // shape indices along the curve
  std::vector<Node> nodes_;           // levels bottom-up: leaves first, the root last
  std::vector<std::size_t> levelStart_;
};

template <class Visit>
void ShapeIndex::ForEachIn(const Extents& area, Visit&& visit) const {
  if (count_ == 0) return;
  // Depth-first with an explicit stack; the tree is at most a handful of levels deep.
  std::vector<std::pair<std::uint32_t, std::size_t>> stack;  // node, level
  stack.emplace_back(static_cast<std::uint32_t>(nodes_.size() - 1), levelStart_.size() - 1);
  while (!stack.empty()) {
    const auto [n, level] = stack.back();
    stack.pop_back();
    const Node& node = nodes_[n];
    if (!Meets(node.box, area)) continue;
    if (level == 0) {
      for (std::uint32_t i = node.first; i < node.first + node.count; ++i) {
        if (Meets(shapes_[order_[i]].box, area) && !visit(order_[i])) return;
      }
    } else {
      for (std::uint32_t c = node.first; c < node.first + node.count; ++c) stack.emplace_back(c, level - 1);
    }
  }
}

}  // namespace tessaro::render
