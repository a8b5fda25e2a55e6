// A QMenu built from a menu-entry tree, with the entry behind each action.
#pragma once

#include <QMenu>
#include <map>
#include <memory>

#include "toolkit/control.hpp"

namespace vodivuri::qt {

struct BuiltMenu {
  std::unique_ptr<QMenu> menu;
  // Every action that stands for an entry, submenus included.
  std::map<const QAction*, toolkit::MenuEntry*> entries;
  toolkit::MenuEntry* entryOf(const QAction* action) const;
};

// The entries of `root` in order: "-" as separators, entries with children as
// submenus, check marks, disabled entries greyed, invisible ones left out, and
// `defaultEntry` as the menu's bold default action.
BuiltMenu buildPopupMenu(toolkit::MenuEntry& root, const toolkit::MenuEntry* defaultEntry);

}  // namespace vodivuri::qt
