// The blocks that entities draw: an INSERT (one block, or an array of it) and a DIMENSION
// each draw one block. Everything that follows them (the reader's report, the writer's
// check, the extents, the flattening) goes through here, so that all stop at the same depth
// and treat a block that draws itself alike.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "cad/drawing.h"

namespace tessaro {

// The deepest nesting of blocks that is followed: a block drawn through more references
// than this is left out (a file may nest blocks thousands deep).
inline constexpr int kMaxBlockDepth = 32;

// The most shapes the blocks of one drawing expand to when it is drawn, in all: past it the
// references still to expand are left out (and counted), so that an array of arrays of a
// large block, or a deep nest, cannot take all the memory and time there is.
inline constexpr std::size_t kMaxExpandedShapes = 10'000'000;

// The block an INSERT or a DIMENSION draws, when the drawing has it; nothing otherwise.
std::optional<BlockIndex> DrawnBlock(const Drawing& drawing, const EntityHeader& entity);

// The strongly connected parts of the graph of blocks that draw blocks: two blocks share a
// part when each draws the other, directly or further down. Iterative (a file may nest
// blocks thousands deep), linear in blocks and references.
std::vector<std::uint32_t> BlockCycleParts(const Drawing& drawing);

// Whether `entity`, in the entities of block `owner` (nothing for model space), draws a
// block of the owner's own part (see BlockCycleParts): the owner would contain itself.
bool ClosesBlockCycle(const Drawing& drawing, const EntityHeader& entity, std::optional<BlockIndex> owner,
                      const std::vector<std::uint32_t>& cycleParts);

// The references that close a cycle, as a depth-first search from every block in turn
// meets them.
std::size_t CountBlockCycles(const Drawing& drawing);

// The blocks on the way down from model space, for a walk that draws the blocks that
// entities reference: Enter says whether to go into `block` at `depth` (the references
// above it: 0 for one that model space draws): not when the drawing has no such block,
// when it is deeper than kMaxBlockDepth allows or when it is already on the way (a cycle);
// the last two are counted, so that the walk can say what it left out. Leave it after its
// entities.
class BlockPath {
public:
  explicit BlockPath(const Drawing& drawing) : onPath_(drawing.Blocks().size(), 0) {}

  bool Enter(BlockIndex block, int depth) {
    if (block >= onPath_.size()) return false;
    if (depth >= kMaxBlockDepth) {
      ++tooDeep_;
      return false;
    }
    if (onPath_[block] != 0) {
      ++cycles_;
      return false;
    }
    onPath_[block] = 1;
    return true;
  }
  void Leave(BlockIndex block) { onPath_[block] = 0; }

  // References left out for lying deeper than kMaxBlockDepth, or inside their own block.
  std::size_t TooDeep() const { return tooDeep_; }
  std::size_t Cycles() const { return cycles_; }

private:
  std::vector<std::uint8_t> onPath_;
  std::size_t tooDeep_ = 0;
  std::size_t cycles_ = 0;
};

}  // namespace tessaro
