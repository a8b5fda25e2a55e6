// The notification-area icon: registered with the hidden receiver window, so
// its mouse messages arrive there as WM_MOUSEMOVE with the message number as x.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "frontend/win32/pictures.hpp"
#include "frontend/win32/text.hpp"
#include "frontend/win32/win32_host.hpp"

namespace vodivuri::win32 {

NOTIFYICONDATAA makeTrayRecord(HWND receiver, HICON icon, const std::string& tooltipUtf8) {
  NOTIFYICONDATAA record;
  std::memset(&record, 0, sizeof record);
  record.cbSize = NOTIFYICONDATAA_V1_SIZE;
  record.hWnd = receiver;
  record.uID = static_cast<UINT>(reinterpret_cast<UINT_PTR>(receiver));
  record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  record.uCallbackMessage = WM_MOUSEMOVE;
  record.hIcon = icon;
  // The text, a NUL, then blanks to the end of the first form's 64-character
  // field (the headers declare the later, longer one).
  constexpr std::size_t kTipField = 64;
  const std::string tip = platform::win32::ansiPrefix(toAnsi(tooltipUtf8), kTipField - 1);
  std::memset(record.szTip, ' ', kTipField);
  std::memcpy(record.szTip, tip.data(), tip.size());
  record.szTip[tip.size()] = '\0';
  return record;
}

// An icon the shell has refused so far (Explorer still starting at log-on)
// cannot bring a hidden window back: until it is taken, hiding minimises.
bool Win32Host::trayAvailable() const {
  const bool available = FindWindowA("Shell_TrayWnd", nullptr) != nullptr;
  if (!available && !noTrayNoted_) {
    noTrayNoted_ = true;
    std::fputs("vodivuri: no hay área de notificación; la ventana queda visible\n", stderr);
  }
  return available && trayPending_.empty();
}

void Win32Host::addTrayIcon(const toolkit::TrayIcon& icon) {
  if (quitting_ || icon.receiver == nullptr) return;
  HWND receiver = windowOf(*icon.receiver);
  if (receiver == nullptr) {
    std::fprintf(stderr, "vodivuri: el receptor %s del icono no tiene ventana\n",
                 icon.receiver->name().c_str());
    return;
  }
  HICON picture = pictures_->icon(icon.icon, GetSystemMetrics(SM_CXSMICON));
  if (picture == nullptr) picture = LoadIcon(nullptr, IDI_APPLICATION);
  NOTIFYICONDATAA record = makeTrayRecord(receiver, picture, icon.tooltip);
  if (offerTray(icon.receiver, record, trays_.count(icon.receiver) != 0)) return;
  std::fputs("vodivuri: Shell_NotifyIconA no añadió el icono; se intentará de nuevo\n", stderr);
  trayPending_[icon.receiver] = record;
  SetTimer(hostWindow_, kTrayRetryTimer, trayRetryMs, nullptr);
}

// Hands the icon to the shell; true once the shell has it.
bool Win32Host::offerTray(const toolkit::Control* receiver, NOTIFYICONDATAA& record, bool known) {
  BOOL done = notifyIcon(NIM_ADD, &record);
  // Still registered (no taskbar restart in between): bring it up to date.
  if (!done && known) done = notifyIcon(NIM_MODIFY, &record);
  if (!done) {
    trays_.erase(receiver);
    trayKeys_.erase(receiver);
    return false;
  }
  trays_[receiver] = record;
  trayPending_.erase(receiver);
  askForKeys(receiver, record);
  return true;
}

// Shell 5 and later send Enter on the icon as NIN_KEYSELECT and the menu key
// or Shift+F10 as WM_CONTEXTMENU once asked; an older shell refuses, and the
// icon keeps the mouse's messages alone.
void Win32Host::askForKeys(const toolkit::Control* receiver, const NOTIFYICONDATAA& record) {
  NOTIFYICONDATAA version;
  std::memset(&version, 0, sizeof version);
  version.cbSize = NOTIFYICONDATAA_V2_SIZE;
  version.hWnd = record.hWnd;
  version.uID = record.uID;
  version.uVersion = NOTIFYICON_VERSION;
  if (notifyIcon(NIM_SETVERSION, &version)) {
    trayKeys_.insert(receiver);
  } else {
    trayKeys_.erase(receiver);
  }
}

bool Win32Host::trayKnowsKeys(const toolkit::Control& receiver) const {
  return trays_.count(&receiver) != 0 && trayKeys_.count(&receiver) != 0;
}

void Win32Host::retryTray() {
  for (auto it = trayPending_.begin(); it != trayPending_.end() && !quitting_;) {
    NOTIFYICONDATAA record = it->second;
    const toolkit::Control* receiver = (it++)->first;
    offerTray(receiver, record, false);
  }
  if (trayPending_.empty()) KillTimer(hostWindow_, kTrayRetryTimer);
}

void Win32Host::trayNotification(const toolkit::TrayIcon& icon, const std::string& title,
                                 const std::string& text) {
  if (quitting_ || icon.receiver == nullptr) return;
  const auto it = trays_.find(icon.receiver);
  if (it == trays_.end()) return;  // no icon, nothing to show it from
  NOTIFYICONDATAA balloon;
  std::memset(&balloon, 0, sizeof balloon);
  balloon.cbSize = NOTIFYICONDATAA_V2_SIZE;
  balloon.hWnd = it->second.hWnd;
  balloon.uID = it->second.uID;
  balloon.uFlags = NIF_INFO;
  balloon.uTimeout = 10000;
  balloon.dwInfoFlags = NIIF_INFO;
  const std::string ansiTitle =
      platform::win32::ansiPrefix(toAnsi(title), sizeof balloon.szInfoTitle - 1);
  const std::string ansiText = platform::win32::ansiPrefix(toAnsi(text), sizeof balloon.szInfo - 1);
  std::memcpy(balloon.szInfoTitle, ansiTitle.data(), ansiTitle.size());
  std::memcpy(balloon.szInfo, ansiText.data(), ansiText.size());
  // An older shell refuses the longer record: then there is no balloon.
  if (!notifyIcon(NIM_MODIFY, &balloon)) {
    std::fputs("vodivuri: el área de notificación no mostró el aviso\n", stderr);
  }
}

void Win32Host::removeTrayIcon(const toolkit::TrayIcon& icon) {
  dropTray(icon.receiver);
}

void Win32Host::dropTray(const toolkit::Control* receiver) {
  trayPending_.erase(receiver);
  if (trayPending_.empty()) KillTimer(hostWindow_, kTrayRetryTimer);
  const auto it = trays_.find(receiver);
  if (it == trays_.end()) return;
  NOTIFYICONDATAA record = it->second;
  trays_.erase(it);
  trayKeys_.erase(receiver);
  notifyIcon(NIM_DELETE, &record);
}

const NOTIFYICONDATAA* Win32Host::trayRecordOf(const toolkit::Control& receiver) const {
  const auto it = trays_.find(&receiver);
  return it == trays_.end() ? nullptr : &it->second;
}

// The taskbar restarted and forgot its icons: the forms add theirs again.
void Win32Host::trayAreaRecreated() {
  std::vector<toolkit::Form*> loaded;
  for (const auto& [form, record] : forms_) loaded.push_back(const_cast<toolkit::Form*>(form));
  for (toolkit::Form* form : loaded) {
    if (quitting_) return;
    if (forms_.count(form) != 0) form->trayAreaRecreated();
  }
}

}  // namespace vodivuri::win32
