// The read-only property grid of the "Proprietà" pane: one category per piece, its
// sub-categories and rows, two columns (caption, value).
#pragma once

#include <QTreeWidget>
#include <vector>

#include "column_stack/stack_load.h"

namespace tessaro::shell {

class PropertyGrid final : public QTreeWidget {
  Q_OBJECT

public:
  explicit PropertyGrid(QWidget* parent = nullptr);
  // Appends the rows below what the grid already shows; depth 0 rows are top-level
  // categories, depth 1 rows go under the last category, depth 2 under the last
  // sub-category.
  void AppendRows(const std::vector<PropertyRow>& rows);
};

}  // namespace tessaro::shell
