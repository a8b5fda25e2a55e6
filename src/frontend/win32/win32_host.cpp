// The host's core: construction, the message loops and modal windows, the
// host's own window (timers, the shell's messages), quitting and the session's end.
#include "frontend/win32/win32_host.hpp"

#include <algorithm>
#include <cstdio>
#include <set>

#include "frontend/win32/gdi.hpp"
#include "frontend/win32/pictures.hpp"
#include "frontend/win32/records.hpp"
#include "frontend/win32/text.hpp"
#include "platform/win32/optional_api.hpp"
#include "toolkit/geometry.hpp"

namespace vodivuri::win32 {

using toolkit::Form;

FormRecord::~FormRecord() {
  if (tooltips != nullptr) DestroyWindow(tooltips);
  if (hwnd != nullptr) DestroyWindow(hwnd);
  if (background != nullptr) DeleteObject(background);
}

Win32Host::Win32Host(HINSTANCE instance, std::string assetsFolder)
    : notifyIcon(
          [](DWORD action, NOTIFYICONDATAA* data) { return Shell_NotifyIconA(action, data); }),
      instance_(instance),
      pictures_(std::make_unique<Pictures>(instance, std::move(assetsFolder), twipsPerPixelX(),
                                           twipsPerPixelY())) {
  using platform::win32::optionalFunction;
  api.endMenu = optionalFunction<decltype(api.endMenu)>("user32.dll", "EndMenu");
  tooltipsReady_ = initCommonControls();
  api.monitorFromRect =
      optionalFunction<decltype(api.monitorFromRect)>("user32.dll", "MonitorFromRect");
  api.getMonitorInfo =
      optionalFunction<decltype(api.getMonitorInfo)>("user32.dll", "GetMonitorInfoA");
  api.systemParametersInfo =
      optionalFunction<decltype(api.systemParametersInfo)>("user32.dll", "SystemParametersInfoA");
  registerClasses(instance_);
  hostWindow_ = CreateWindowExA(WS_EX_TOOLWINDOW, kHostClass, "Vodivuri", WS_POPUP, 0, 0, 0, 0,
                                nullptr, nullptr, instance_, this);
  taskbarCreated_ = RegisterWindowMessageA("TaskbarCreated");
  // An elevated copy (Vista and later) hears the taskbar's restart only if it
  // lets the message through.
  using Filter = BOOL(WINAPI*)(UINT, DWORD);
  if (auto allow = optionalFunction<Filter>("user32.dll", "ChangeWindowMessageFilter")) {
    constexpr DWORD kAdd = 1;  // MSGFLT_ADD
    if (taskbarCreated_ != 0 && !allow(taskbarCreated_, kAdd)) {
      std::fprintf(stderr, "vodivuri: ChangeWindowMessageFilter (error %lu)\n", GetLastError());
    }
  }
}

Win32Host::~Win32Host() {
  quitting_ = true;
  accessibility_.hostGone();
  stopTimers();
  for (auto& [receiver, record] : trays_) notifyIcon(NIM_DELETE, &record);
  trays_.clear();
  trayPending_.clear();
  // Nothing is looked up any more while the windows go.
  formWindows_.clear();
  controlWindows_.clear();
  controls_.clear();
  forms_.clear();
  graveyard_.clear();
  if (hostWindow_ != nullptr) DestroyWindow(hostWindow_);
  for (auto& [key, f] : fonts_) DeleteObject(f);
  for (auto& [key, b] : brushes_) DeleteObject(b);
  // A quit request left in the queue would end the next host's loop at once.
  MSG msg;
  while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
}

// ---- units and lookups ----

int Win32Host::twipsPerPixelX() const {
  return toolkit::twipsPerPixelFor(screenDotsPerInch(LOGPIXELSX));
}

int Win32Host::twipsPerPixelY() const {
  return toolkit::twipsPerPixelFor(screenDotsPerInch(LOGPIXELSY));
}

int Win32Host::toPixelsX(int twips) const {
  return toolkit::twipsToPixels(twips, twipsPerPixelX());
}

int Win32Host::toPixelsY(int twips) const {
  return toolkit::twipsToPixels(twips, twipsPerPixelY());
}

toolkit::ScreenMetrics Win32Host::screen() const {
  toolkit::ScreenMetrics m;
  m.widthPixels = GetSystemMetrics(SM_CXSCREEN);
  m.heightPixels = GetSystemMetrics(SM_CYSCREEN);
  m.twipsPerPixelX = twipsPerPixelX();
  m.twipsPerPixelY = twipsPerPixelY();
  return m;
}

HWND Win32Host::windowOf(const Form& form) const {
  const auto it = forms_.find(&form);
  return it == forms_.end() ? nullptr : it->second->hwnd;
}

HWND Win32Host::windowOf(const toolkit::Control& control) const {
  const auto it = controls_.find(&control);
  return it == controls_.end() ? nullptr : it->second->hwnd;
}

FormRecord* Win32Host::formRecord(HWND hwnd) const {
  const auto it = formWindows_.find(hwnd);
  return it == formWindows_.end() ? nullptr : it->second;
}

ControlRecord* Win32Host::controlRecord(HWND hwnd) const {
  const auto it = controlWindows_.find(hwnd);
  return it == controlWindows_.end() ? nullptr : it->second;
}

// ---- loops ----

int Win32Host::run() {
  ++loopDepth_;
  MSG msg;
  while (!quitting_) {
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got <= 0) {
      quit();
      break;
    }
    dispatch(msg);
    if (loopDepth_ == 1 && callbackDepth_ == 0) collectGraveyard();
  }
  --loopDepth_;
  if (loopDepth_ == 0 && callbackDepth_ == 0) collectGraveyard();
  return 0;
}

void Win32Host::runModal(Form& form) {
  if (quitting_ || !form.loaded()) return;
  FormRecord* record = forms_.count(&form) != 0 ? forms_[&form].get() : nullptr;
  if (record != nullptr) {
    // The others wait: disabled until this one unloads.
    for (const auto& [other, otherRecord] : forms_) {
      if (other == &form || !IsWindowEnabled(otherRecord->hwnd)) continue;
      EnableWindow(otherRecord->hwnd, FALSE);
      record->disabledByModal.push_back(otherRecord->hwnd);
    }
  }
  modalForms_.push_back(&form);
  ++loopDepth_;
  MSG msg;
  while (!quitting_ && form.loaded()) {
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got <= 0) {
      quit();
      break;
    }
    dispatch(msg);
  }
  --loopDepth_;
  modalForms_.erase(std::find(modalForms_.begin(), modalForms_.end(), &form));
  if (form.loaded()) {
    // Left by quit(): give the input back all the same.
    if (const auto it = forms_.find(&form); it != forms_.end()) {
      for (HWND w : it->second->disabledByModal) {
        if (formRecord(w) != nullptr) EnableWindow(w, TRUE);
      }
      it->second->disabledByModal.clear();
    }
  }
  if (loopDepth_ == 0 && callbackDepth_ == 0) collectGraveyard();
}

void Win32Host::dispatch(MSG& msg) {
  if ((msg.message == WM_KEYDOWN || msg.message == WM_KEYUP) && keyToForm(msg)) return;
  TranslateMessage(&msg);
  DispatchMessageA(&msg);
}

void Win32Host::buryForm(std::unique_ptr<FormRecord> record) {
  // A window whose handler is still on the stack must outlive that handler.
  if (loopDepth_ == 0 && callbackDepth_ == 0) {
    record.reset();
    releaseUnusedPictures();
    return;
  }
  graveyard_.push_back(std::move(record));
}

void Win32Host::collectGraveyard() {
  if (graveyard_.empty()) return;
  std::vector<std::unique_ptr<FormRecord>> dead;
  dead.swap(graveyard_);
  dead.clear();
  releaseUnusedPictures();
}

// A window opened once must not keep its decoded pictures for the program's
// life: what no remaining window shows is freed once its windows are gone.
void Win32Host::releaseUnusedPictures() {
  std::set<std::string> inUse;
  for (const auto& [form, record] : forms_) {
    inUse.insert(form->layout().picture);
    for (const auto& c : record->controls) inUse.insert(c->shown.picture);
  }
  // Buried windows still hold their controls' bitmaps; their backgrounds are
  // copies of their own.
  for (const auto& record : graveyard_) {
    for (const auto& c : record->controls) inUse.insert(c->shown.picture);
  }
  pictures_->keepOnlyBitmaps(inUse);
}

// ---- the host's own window ----

LRESULT Win32Host::hostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  ScopedCount busy(callbackDepth_);
  if (message == taskbarCreated_ && taskbarCreated_ != 0) {
    trayAreaRecreated();
    return 0;
  }
  switch (message) {
    case WM_TIMER:
      if (wParam == kTrayRetryTimer) {
        retryTray();
      } else {
        timerFired(wParam);
      }
      return 0;
    case WM_TIMECHANGE:
      clockChanged();
      return 0;
    case WM_POWERBROADCAST:
      // Timers do not run through a suspend: after it, they wait afresh.
      if (wParam == PBT_APMRESUMESUSPEND || wParam == PBT_APMRESUMECRITICAL ||
          wParam == PBT_APMRESUMEAUTOMATIC) {
        clockChanged();
      }
      return TRUE;
    case WM_QUERYENDSESSION:
      return TRUE;  // the program never stands in the way of the session's end
    case WM_ENDSESSION:
      if (wParam != 0) endSession();
      return 0;
    case WM_INITMENUPOPUP:
      menuOpened(reinterpret_cast<HMENU>(wParam));
      return 0;
    case kMessageBoxUp:
      if (onMessageBoxShown) onMessageBoxShown(reinterpret_cast<HWND>(wParam));
      return 0;
    case kAccessiblePress:
      if (ControlRecord* r = controlRecord(reinterpret_cast<HWND>(lParam));
          r != nullptr && r->control != nullptr && r->control->reachable()) {
        userClicked(*r->control);
      }
      return 0;
    default:
      break;
  }
  return DefWindowProcA(hostWindow_, message, wParam, lParam);
}

bool Win32Host::accessibleObject(HWND hwnd, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  return accessibility_.answer(*this, hwnd, wParam, lParam, result);
}

// ---- the end ----

void Win32Host::endSession() {
  if (quitting_) return;
  std::vector<Form*> loaded;
  for (const auto& [form, record] : forms_) loaded.push_back(record->form);
  for (Form* form : loaded) {
    if (quitting_) break;
    if (forms_.count(form) != 0) form->sessionEnding();
  }
  // The session ends: so does the program, whether or not a window ended it.
  quit();
}

void Win32Host::quit() {
  if (quitting_) return;
  quitting_ = true;
  stopTimers();
  for (auto& [form, record] : forms_) ShowWindow(record->hwnd, SW_HIDE);
  for (auto& [receiver, record] : trays_) notifyIcon(NIM_DELETE, &record);
  trays_.clear();
  trayPending_.clear();
  KillTimer(hostWindow_, kTrayRetryTimer);
  // Every nested loop ends: a popup menu at once, message boxes on WM_QUIT,
  // the modal loops through quitting_. Before EndMenu (98, 2000), the menu's
  // owner cancels it.
  if (api.endMenu != nullptr) {
    api.endMenu();
  } else {
    SendMessageA(hostWindow_, WM_CANCELMODE, 0, 0);
  }
  PostQuitMessage(0);
}

}  // namespace vodivuri::win32
