// The Qt host's popup menus: a QMenu at the pointer, the chosen entry's click
// run once the menu is gone.
#include <QCursor>

#include "frontend/qt/popup_menu.hpp"
#include "frontend/qt/qt_host.hpp"

namespace vodivuri::qt {

void QtHost::popupMenu(toolkit::Form&, toolkit::MenuEntry& menu,
                       const toolkit::MenuEntry* defaultEntry) {
  if (quitting_) return;
  toolkit::MenuEntry* chosen = nullptr;
  {
    BuiltMenu built = buildPopupMenu(menu, defaultEntry);
    chosen = built.entryOf(built.menu->exec(QCursor::pos()));
  }
  // The menu is gone before the command runs (it may open a modal window).
  if (chosen != nullptr && !quitting_) chosen->userClick();
}

}  // namespace vodivuri::qt
