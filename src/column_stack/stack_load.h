// The load of one column stack: reads its files, draws both views of every piece and
// gives the property rows, the drawing name, the caption and the layer list that the
// window (or the batch tool) shows and uses.
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
  std::vector<PropertyRow> rows;          // empty when reloading after an edit
  // Set once a piece was shown; unchanged (nullopt) otherwise.
  std::optional<std::string> drawingName;    // "Pilastrata_" + id
  std::optional<std::string> caption;        // "Visualizzatore DXF -  Pilastrata_" + id
  std::optional<std::vector<std::string>> layerEntries;  // "Sezioni  (ON)", "Quote (OFF)", ...
};

// Loads the stack `stackId` of `columnStackFolder` into canvas.drawing.
StackLoadResult LoadStack(Canvas& canvas, StackSession& session, const std::filesystem::path& columnStackFolder,
                          std::string_view stackId, bool reloadingAfterEdit = false);

// The layer-list entries of a drawing: name & "  (ON)" or name & " (OFF)".
std::vector<std::string> LayerListEntries(const Drawing& drawing);

}  // namespace tessaro
