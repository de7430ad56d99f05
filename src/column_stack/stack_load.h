// The load of one column stack: reads its files, draws both views of every piece and
// gives the property rows and the drawing name that the window and the batch show and use,
// and the problems as values.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "column_stack/stack_files.h"
#include "drawing/piece_view.h"
#include "primitives/primitives.h"
#include "stirrups/draw_options.h"

namespace tessaro {

// The state that outlives one load: drawing options, the previous-piece records of the
// two views, the view-2 offset and the per-stack arrays. Owned by the window or the batch
// tool and passed to every load, so that stacks drawn one after another join the way the
// program draws them.
struct StackSession {
  DrawOptions options;
  PieceViewState views;
  Single view2Offset = 0;
  StackArrays arrays;
};

// One row of the property grid.
struct PropertyRow {
  enum class Kind { Category, SubCategory, Number, Text };
  Kind kind = Kind::Text;
  int depth = 0;  // 0 piece category, 1 row or sub-category under it, 2 row of a sub-category
  std::string caption;
  std::string value;  // empty for categories
};

struct StackLoadResult {
  bool indexFound = false;  // false: nothing was cleared or drawn
  bool completed = false;   // every piece was read and drawn (then: redraw and zoom)
  int piecesShown = 0;
  std::optional<StackFileError> problem;  // why the load stopped early
  // The first piece whose drawing skipped a failing statement (and the first such error):
  // the drawing was finished around it, so it shows, but it is not whole.
  std::optional<StackFileError> drawingProblem;
  std::vector<PropertyRow> rows;          // empty when reloading after an edit
  // Set once a piece was shown; unchanged (nullopt) otherwise.
  std::optional<std::string> drawingName;    // "Pilastrata_" + id
};

// Whether the drawing holds the whole stack: every piece read and drawn without a skipped
// statement. Only such a drawing is written by the batches.
inline bool IsWhole(const StackLoadResult& result) {
  return result.completed && !result.problem && !result.drawingProblem && result.piecesShown > 0;
}

// The problem to show or report for a load that is not whole (nullopt when it is).
std::optional<StackFileError> LoadProblemOf(const StackLoadResult& result, const std::filesystem::path& indexPath);

// Loads the stack `stackId` of `columnStackFolder` into canvas.drawing.
StackLoadResult LoadStack(Canvas& canvas, StackSession& session, const std::filesystem::path& columnStackFolder,
                          std::string_view stackId, bool reloadingAfterEdit = false);

}  // namespace tessaro
