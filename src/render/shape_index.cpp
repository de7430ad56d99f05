// The packed R-tree: Hilbert keys of the box centres, a radix sort, then levels of boxes.
#include "render/shape_index.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <bit>
#include <limits>

namespace tessaro::render {
namespace {

constexpr std::uint32_t kFanout = 16;
constexpr int kHilbertOrder = 16;  // 65536 cells a side

Extents Union(const Extents& a, const Extents& b) {
  return Extents{{std::min(a.min.x, b.min.x), std::min(a.min.y, b.min.y)},
                 {std::max(a.max.x, b.max.x), std::max(a.max.y, b.max.y)}};
}

// Position of cell (x, y) along the Hilbert curve of a 2^kHilbertOrder square.
std::uint32_t HilbertKey(std::uint32_t x, std::uint32_t y) {
  std::uint32_t key = 0;
  for (std::uint32_t s = 1u << (kHilbertOrder - 1); s > 0; s >>= 1) {
    const std::uint32_t rx = (x & s) ? 1 : 0;
    const std::uint32_t ry = (y & s) ? 1 : 0;
    key += s * s * ((3 * rx) ^ ry);
    if (ry == 0) {
      if (rx == 1) {
        x = s - 1 - x;
        y = s - 1 - y;
      }
      std::swap(x, y);
    }
  }
  return key;
}

// Cell coordinate of `v` in [lo, lo + span], clamped; NaN lands on 0.
std::uint32_t Cell(double v, double lo, double span) {
  constexpr double kCells = static_cast<double>((1u << kHilbertOrder) - 1);
  const double t = span > 0 ? (v - lo) / span * kCells : 0.0;
  if (!(t > 0)) return 0;
  return t >= kCells ? static_cast<std::uint32_t>(kCells) : static_cast<std::uint32_t>(t);
}

// Sorts `values` by `keys` (both reordered), least significant byte first.
void RadixSort(std::vector<std::uint32_t>& keys, std::vector<std::uint32_t>& values) {
  std::vector<std::uint32_t> keys2(keys.size()), values2(values.size());
  for (int shift = 0; shift < 32; shift += 8) {
    std::array<std::size_t, 257> start{};
    for (std::uint32_t k : keys) ++start[((k >> shift) & 0xFF) + 1];
    for (std::size_t i = 1; i < start.size(); ++i) start[i] += start[i - 1];
    for (std::size_t i = 0; i < keys.size(); ++i) {
      const std::size_t to = start[(keys[i] >> shift) & 0xFF]++;
      keys2[to] = keys[i];
      values2[to] = values[i];
    }
    keys.swap(keys2);
    values.swap(values2);
  }
}

}  // namespace

ShapeIndex::ShapeIndex(std::span<const Shape> shapes) : shapes_(shapes), count_(shapes.size()) {
  if (shapes.empty()) return;
  // The curve runs through the finite boxes: a ray's box reaches infinity, and its centre
  // lands on the curve's edge.
  Extents all{{INFINITY, INFINITY}, {-INFINITY, -INFINITY}};
  for (const Shape& s : shapes) {
    if (std::isfinite(s.box.min.x + s.box.min.y + s.box.max.x + s.box.max.y)) all = Union(all, s.box);
  }
  if (!(all.min.x <= all.max.x)) all = Extents{};
  const double spanX = all.max.x - all.min.x;
  const double spanY = all.max.y - all.min.y;

  std::vector<std::uint32_t> keys(shapes.size());
  order_.resize(shapes.size());
  for (std::size_t i = 0; i < shapes.size(); ++i) {
    const Extents& b = shapes[i].box;
    keys[i] = HilbertKey(Cell((b.min.x + b.max.x) / 2, all.min.x, spanX),
                         Cell((b.min.y + b.max.y) / 2, all.min.y, spanY));
    order_[i] = static_cast<std::uint32_t>(i);
  }
  RadixSort(keys, order_);

  // Leaves over runs of order_, then each level over runs of the level below.
  levelStart_.push_back(0);
  for (std::size_t first = 0; first < order_.size(); first += kFanout) {
    const std::size_t last = std::min<std::size_t>(first + kFanout, order_.size());
    Extents box = shapes[order_[first]].box;
    for (std::size_t i = first + 1; i < last; ++i) box = Union(box, shapes[order_[i]].box);
    nodes_.push_back(Node{box, static_cast<std::uint32_t>(first), static_cast<std::uint32_t>(last - first)});
  }
  std::size_t below = 0;
  while (nodes_.size() - below > 1) {
    const std::size_t end = nodes_.size();
    levelStart_.push_back(end);
    for (std::size_t first = below; first < end; first += kFanout) {
      const std::size_t last = std::min<std::size_t>(first + kFanout, end);
      Extents box = nodes_[first].box;
      for (std::size_t i = first + 1; i < last; ++i) box = Union(box, nodes_[i].box);
      nodes_.push_back(Node{box, static_cast<std::uint32_t>(first), static_cast<std::uint32_t>(last - first)});
    }
    below = end;
  }
}

std::optional<Extents> ShapeIndex::Bounds() const {
  if (count_ == 0) return std::nullopt;
  return nodes_.back().box;
}

void ShapeIndex::Query(const Extents& area, std::vector<std::uint32_t>& out) const {
  out.clear();
  if (count_ == 0) return;
  const Extents& root = nodes_.back().box;
  const bool coversAll = area.min.x <= root.min.x && area.min.y <= root.min.y && area.max.x >= root.max.x &&
                         area.max.y >= root.max.y;
  if (coversAll) {
    out.resize(count_);
    for (std::size_t i = 0; i < count_; ++i) out[i] = static_cast<std::uint32_t>(i);
    return;
  }
  ForEachIn(area, [&out](std::uint32_t i) {
    out.push_back(i);
    return true;
  });
  if (out.size() < count_ / 16) {
    std::sort(out.begin(), out.end());
    return;
  }
  // Many hits: a bit per shape puts them in order faster than sorting.
  std::vector<std::uint64_t> bits((count_ + 63) / 64, 0);
  for (std::uint32_t i : out) bits[i / 64] |= std::uint64_t{1} << (i % 64);
  out.clear();
  for (std::size_t w = 0; w < bits.size(); ++w) {
    for (std::uint64_t word = bits[w]; word != 0; word &= word - 1) {
      out.push_back(static_cast<std::uint32_t>(w * 64 + static_cast<std::size_t>(std::countr_zero(word))));
    }
  }
}

}  // namespace tessaro::render
