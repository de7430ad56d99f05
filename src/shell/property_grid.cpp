// Filling the property grid from the rows of a stack load.
#include "shell/property_grid.h"

#include <QHeaderView>

#include "shell/shell_state.h"

namespace tessaro::shell {
namespace {

bool IsCategory(const PropertyRow& row) {
  return row.kind == PropertyRow::Kind::Category || row.kind == PropertyRow::Kind::SubCategory;
}

QTreeWidgetItem* MakeItem(const PropertyRow& row) {
  auto* item = new QTreeWidgetItem(QStringList{FromUtf8(row.caption), FromUtf8(row.value)});
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);  // never editable
  if (IsCategory(row)) {
    QFont bold = item->font(0);
    bold.setBold(true);
    item->setFont(0, bold);
  }
  return item;
}

}  // namespace

PropertyGrid::PropertyGrid(QWidget* parent) : QTreeWidget(parent) {
  setObjectName(QStringLiteral("wndPropertyGrid"));
  setColumnCount(2);
  setHeaderLabels({tr("Proprietà"), tr("Valore")});
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setAlternatingRowColors(true);
  setUniformRowHeights(true);
  header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  header()->setSectionResizeMode(1, QHeaderView::Stretch);
  header()->setMinimumSectionSize(60);  // values stay readable without a horizontal scroll bar
}

void PropertyGrid::AppendRows(const std::vector<PropertyRow>& rows) {
  QTreeWidgetItem* category = nullptr;
  QTreeWidgetItem* subCategory = nullptr;
  for (const PropertyRow& row : rows) {
    QTreeWidgetItem* item = MakeItem(row);
    QTreeWidgetItem* parent = nullptr;
    if (row.depth == 1) parent = category;
    if (row.depth >= 2) parent = subCategory != nullptr ? subCategory : category;
    if (parent != nullptr) {
      parent->addChild(item);
    } else {
      addTopLevelItem(item);
    }
    if (row.depth <= 0) {
      category = item;
      subCategory = nullptr;
    } else if (IsCategory(row)) {
      subCategory = item;
    }
    if (IsCategory(row)) item->setExpanded(true);
  }
}

}  // namespace tessaro::shell
