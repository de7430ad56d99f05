// A packed R-tree over the boxes of a display list's shapes, built once per list, so a
// frame visits only the shapes that can show in the view. Leaves hold shape indices in
// the order of a Hilbert curve through the box centres; each level above holds the boxes
// of up to kFanout children. Building is O(n log n) with a radix sort, about 0.1 s for a
// million shapes; memory is one index and a small fraction of a box per shape.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "platform/display_list.h"

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

private:
  struct Node {
    Extents box;
    std::uint32_t first;  // first child: a node of the level below, or a slot of order_
    std::uint32_t count;
  };

  void Collect(const Extents& area, std::vector<std::uint32_t>& out) const;

  std::span<const Shape> shapes_;
  std::size_t count_ = 0;
  std::vector<std::uint32_t> order_;  // shape indices along the curve
  std::vector<Node> nodes_;           // levels bottom-up: leaves first, the root last
  std::vector<std::size_t> levelStart_;
};

}  // namespace tessaro::render
