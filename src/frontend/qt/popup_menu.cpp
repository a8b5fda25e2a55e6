#include "frontend/qt/popup_menu.hpp"

namespace vodivuri::qt {

using toolkit::MenuEntry;

toolkit::MenuEntry* BuiltMenu::entryOf(const QAction* action) const {
  const auto it = entries.find(action);
  return it == entries.end() ? nullptr : it->second;
}

namespace {

void fill(QMenu& menu, MenuEntry& parent, const MenuEntry* defaultEntry, BuiltMenu& out) {
  for (MenuEntry* entry : parent.entries()) {
    if (!entry->visible()) continue;
    if (entry->isSeparator()) {
      menu.addSeparator();
      continue;
    }
    const QString caption = QString::fromStdString(entry->caption());
    QAction* action = nullptr;
    if (!entry->entries().empty()) {
      QMenu* sub = menu.addMenu(caption);
      fill(*sub, *entry, defaultEntry, out);
      action = sub->menuAction();
    } else {
      action = menu.addAction(caption);
    }
    action->setEnabled(entry->enabled());
    if (entry->checked()) {
      action->setCheckable(true);
      action->setChecked(true);
    }
    if (entry == defaultEntry) {
      QFont bold = action->font();
      bold.setBold(true);
      action->setFont(bold);
      menu.setDefaultAction(action);
    }
    out.entries.emplace(action, entry);
  }
}

}  // namespace

BuiltMenu buildPopupMenu(MenuEntry& root, const MenuEntry* defaultEntry) {
  BuiltMenu out;
  out.menu = std::make_unique<QMenu>();
  fill(*out.menu, root, defaultEntry, out);
  return out;
}

}  // namespace vodivuri::qt
