#include "frontend/qt/popup_menu.hpp"

#include "toolkit/geometry.hpp"

namespace vodivuri::qt {

using toolkit::MenuEntry;
using toolkit::MenuNode;

toolkit::MenuEntry* BuiltMenu::entryOf(const QAction* action) const {
  const auto it = entries.find(action);
  return it == entries.end() ? nullptr : it->second;
}

namespace {

void fill(QMenu& menu, const std::vector<MenuNode>& nodes, BuiltMenu& out) {
  for (const MenuNode& node : nodes) {
    if (node.separator()) {
      menu.addSeparator();
      continue;
    }
    const QString caption = QString::fromStdString(node.caption);
    QAction* action = nullptr;
    if (!node.children.empty()) {
      QMenu* sub = menu.addMenu(caption);
      fill(*sub, node.children, out);
      action = sub->menuAction();
    } else {
      action = menu.addAction(caption);
    }
    action->setEnabled(node.enabled);
    if (node.checked) {
      action->setCheckable(true);
      action->setChecked(true);
    }
    if (node.isDefault) {
      QFont bold = action->font();
      bold.setBold(true);
      action->setFont(bold);
      menu.setDefaultAction(action);
    }
    out.entries.emplace(action, node.entry);
  }
}

}  // namespace

BuiltMenu buildPopupMenu(MenuEntry& root, const MenuEntry* defaultEntry) {
  BuiltMenu out;
  out.menu = std::make_unique<QMenu>();
  fill(*out.menu, toolkit::menuTree(root, defaultEntry), out);
  return out;
}

}  // namespace vodivuri::qt
