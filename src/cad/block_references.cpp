#include "cad/block_references.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace tessaro {

namespace {

// For each block, the blocks its entities draw, in their order.
std::vector<std::vector<BlockIndex>> DrawnBlocks(const Drawing& drawing) {
  const auto& blocks = drawing.Blocks();
  std::vector<std::vector<BlockIndex>> drawn(blocks.size());
  for (std::size_t b = 0; b < blocks.size(); ++b) {
    for (const EntityHeader& e : blocks[b].entities) {
      if (const auto block = DrawnBlock(drawing, e)) drawn[b].push_back(*block);
    }
  }
  return drawn;
}

}  // namespace

std::optional<BlockIndex> DrawnBlock(const Drawing& drawing, const EntityHeader& entity) {
  BlockIndex block = 0;
  if (entity.type == EntityType::Insert) {
    block = drawing.Insert(entity).block;
  } else if (entity.type == EntityType::Dimension) {
    block = drawing.Dimension(entity).block;
  } else {
    return std::nullopt;
  }
  if (block >= drawing.Blocks().size()) return std::nullopt;
  return block;
}

std::vector<std::uint32_t> BlockCycleParts(const Drawing& drawing) {
  const std::vector<std::vector<BlockIndex>> drawn = DrawnBlocks(drawing);
  const std::size_t count = drawn.size();
  constexpr std::uint32_t kUnseen = std::numeric_limits<std::uint32_t>::max();
  std::vector<std::uint32_t> order(count, kUnseen), low(count, 0), part(count, kUnseen), stack;
  std::vector<bool> onStack(count, false);
  std::uint32_t seen = 0;
  std::uint32_t parts = 0;
  struct Frame {
    std::uint32_t block;
    std::size_t next;
  };
  std::vector<Frame> calls;
  const auto enter = [&](std::uint32_t b) {
    order[b] = low[b] = seen++;
    stack.push_back(b);
    onStack[b] = true;
    calls.push_back({b, 0});
  };
  for (std::uint32_t start = 0; start < count; ++start) {
    if (order[start] != kUnseen) continue;
    enter(start);
    while (!calls.empty()) {
      const std::uint32_t b = calls.back().block;
      if (calls.back().next < drawn[b].size()) {
        const std::uint32_t c = drawn[b][calls.back().next++];
        if (order[c] == kUnseen) enter(c);
        else if (onStack[c]) low[b] = std::min(low[b], order[c]);
        continue;
      }
      calls.pop_back();
      if (!calls.empty()) low[calls.back().block] = std::min(low[calls.back().block], low[b]);
      if (low[b] != order[b]) continue;
      std::uint32_t member = kUnseen;
      do {
        member = stack.back();
        stack.pop_back();
        onStack[member] = false;
        part[member] = parts;
      } while (member != b);
      ++parts;
    }
  }
  return part;
}

bool ClosesBlockCycle(const Drawing& drawing, const EntityHeader& entity, std::optional<BlockIndex> owner,
                      const std::vector<std::uint32_t>& cycleParts) {
  if (!owner || *owner >= cycleParts.size()) return false;
  const auto block = DrawnBlock(drawing, entity);
  return block && cycleParts[*owner] == cycleParts[*block];
}

std::size_t CountBlockCycles(const Drawing& drawing) {
  const std::vector<std::vector<BlockIndex>> drawn = DrawnBlocks(drawing);
  // Iterative depth-first search: 0 new, 1 on the path, 2 done.
  std::vector<std::uint8_t> state(drawn.size(), 0);
  std::size_t cycles = 0;
  std::vector<std::pair<BlockIndex, std::size_t>> stack;
  for (std::size_t root = 0; root < drawn.size(); ++root) {
    if (state[root] != 0) continue;
    stack.push_back({static_cast<BlockIndex>(root), 0});
    state[root] = 1;
    while (!stack.empty()) {
      auto& [block, next] = stack.back();
      if (next < drawn[block].size()) {
        const BlockIndex child = drawn[block][next++];
        if (state[child] == 1) {
          ++cycles;
        } else if (state[child] == 0) {
          state[child] = 1;
          stack.push_back({child, 0});
        }
      } else {
        state[block] = 2;
        stack.pop_back();
      }
    }
  }
  return cycles;
}

}  // namespace tessaro
