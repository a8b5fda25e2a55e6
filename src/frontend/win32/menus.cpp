// Popup menus: the toolkit's menu tree as a TrackPopupMenu menu at the
// pointer, the default entry bold; the chosen entry's click runs afterwards.
#include <algorithm>

#include "frontend/win32/text.hpp"
#include "frontend/win32/win32_host.hpp"
#include "toolkit/geometry.hpp"

namespace vodivuri::win32 {

namespace {

void fill(HMENU menu, const std::vector<toolkit::MenuNode>& nodes,
          std::vector<toolkit::MenuEntry*>& commands) {
  for (const toolkit::MenuNode& node : nodes) {
    if (node.separator()) {
      AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    const UINT flags = MF_STRING | (node.enabled ? 0 : MF_GRAYED) | (node.checked ? MF_CHECKED : 0);
    const std::string text = toAnsi(node.caption);
    if (!node.children.empty()) {
      HMENU sub = CreatePopupMenu();
      fill(sub, node.children, commands);
      AppendMenuA(menu, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(sub), text.c_str());
      continue;
    }
    commands.push_back(node.entry);
    const auto id = static_cast<UINT>(commands.size());
    AppendMenuA(menu, flags, id, text.c_str());
    if (node.isDefault) SetMenuDefaultItem(menu, id, FALSE);
  }
}

}  // namespace

void Win32Host::popupMenu(toolkit::Form&, toolkit::MenuEntry& menu,
                          const toolkit::MenuEntry* defaultEntry) {
  if (quitting_) return;
  std::vector<toolkit::MenuEntry*> commands;
  HMENU popup = CreatePopupMenu();
  fill(popup, toolkit::menuTree(menu, defaultEntry), commands);
  POINT at{0, 0};
  GetCursorPos(&at);
  // Without being in the foreground, the menu would stay open when the user
  // clicks elsewhere.
  SetForegroundWindow(hostWindow_);
  openMenu_ = popup;
  const UINT chosen = static_cast<UINT>(TrackPopupMenu(
      popup, TPM_LEFTALIGN | TPM_LEFTBUTTON | TPM_RETURNCMD, at.x, at.y, 0, hostWindow_, nullptr));
  openMenu_ = nullptr;
  PostMessageA(hostWindow_, WM_NULL, 0, 0);
  DestroyMenu(popup);
  if (chosen == 0 || chosen > commands.size() || quitting_) return;
  // The menu is gone before the command runs (it may open a modal window).
  toolkit::MenuEntry* entry = commands[chosen - 1];
  const auto& alive = menu.form().controls();
  if (std::find(alive.begin(), alive.end(), entry) != alive.end()) entry->userClick();
}

void Win32Host::menuOpened(HMENU menu) {
  if (menu == openMenu_ && onPopupMenuOpened) onPopupMenuOpened(menu);
}

}  // namespace vodivuri::win32
