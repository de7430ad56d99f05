// What makes ink: the report counts an entity as drawn only when drawing it puts something
// on the paper. A DIMENSION or INSERT whose block draws nothing, a hatch without a boundary
// and an empty text are read, and counted as not drawn.
#include "dxf/reader_internal.h"

#include <vector>

#include "cad/block_references.h"

namespace tessaro::dxf_reader {
namespace {

class Ink {
public:
  explicit Ink(const Drawing& drawing) : drawing_(drawing), blocks_(drawing.Blocks().size(), kUnknown) {}

  // `e` at `at` in `list` (an insert's attributes follow it there).
  bool Of(const std::vector<EntityHeader>& list, std::size_t at, int depth) {
    const EntityHeader& e = list[at];
    switch (e.type) {
      case EntityType::Insert: {
        if (Block(drawing_.Insert(e).block, depth)) return true;
        const std::uint32_t attributes = drawing_.Insert(e).attributes;
        for (std::size_t k = at + 1; k <= at + attributes && k < list.size(); ++k) {
          if (list[k].type != EntityType::Attrib) continue;
          const AttribGeometry& a = drawing_.Attrib(list[k]);
          if (!a.invisible && !a.text.value.empty()) return true;
        }
        return false;
      }
      case EntityType::Dimension: return Block(drawing_.Dimension(e).block, depth);
      case EntityType::Hatch:
        for (const HatchLoop& loop : drawing_.Hatch(e).loops) {
          if (!loop.polyline.empty() || !loop.edges.empty()) return true;
        }
        return false;
      case EntityType::Text: return !drawing_.Text(e).value.empty();
      case EntityType::MText: return !drawing_.MText(e).value.empty();
      case EntityType::Attrib: return false;  // drawn with its insert
      default: return true;
    }
  }

private:
  static constexpr signed char kUnknown = -1;

  bool Block(BlockIndex b, int depth) {
    if (b >= blocks_.size() || depth >= kMaxBlockDepth) return false;
    if (blocks_[b] != kUnknown) return blocks_[b] == 1;
    blocks_[b] = 0;  // a block inside itself adds nothing
    const auto& list = drawing_.Blocks()[b].entities;
    for (std::size_t k = 0; k < list.size(); ++k) {
      if (Of(list, k, depth + 1)) {
        blocks_[b] = 1;
        break;
      }
    }
    return blocks_[b] == 1;
  }

  const Drawing& drawing_;
  std::vector<signed char> blocks_;  // per block: unknown, 0 no ink, 1 ink
};

}  // namespace

void Reader::CountInkless() {
  Ink ink(drawing_);
  const auto& model = drawing_.Entities();
  for (const auto& [at, kind] : mayBeInkless_) {
    if (at >= model.size() || ink.Of(model, at, 0)) continue;
    --drawn_[static_cast<std::size_t>(kind)];
    ++skipped_[std::string(kKindNames[static_cast<std::size_t>(kind)])];
  }
}

}  // namespace tessaro::dxf_reader
