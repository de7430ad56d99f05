// The keys of the window's commands, by command id: what the menus show beside each
// command, as in CAD viewers (Home the whole drawing, F5 reload, Esc back to rest).
#pragma once

#include <QKeySequence>
#include <QList>
#include <utility>
#include <vector>

namespace tessaro::shell {

std::vector<std::pair<int, QList<QKeySequence>>> CommandShortcuts();

}  // namespace tessaro::shell
