// What the Win32 host tests share: pumping messages, running code later from
// inside whatever loop is running, and a window's place in its parent.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <string>

namespace vodivuri::win32::testing {

inline std::map<UINT_PTR, std::function<void()>>& pendingActions() {
  static std::map<UINT_PTR, std::function<void()>> pending;
  return pending;
}

inline void CALLBACK runPending(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  const auto it = pendingActions().find(id);
  if (it == pendingActions().end()) return;
  std::function<void()> run = std::move(it->second);
  pendingActions().erase(it);
  run();
}

// Runs an action once, some time from now, from whichever message loop runs
// then; forgotten if it has not run when the handle goes.
class [[nodiscard]] Later {
 public:
  Later(UINT ms, std::function<void()> action) : id_(SetTimer(nullptr, 0, ms, runPending)) {
    pendingActions()[id_] = std::move(action);
  }
  ~Later() {
    KillTimer(nullptr, id_);
    pendingActions().erase(id_);
  }
  Later(const Later&) = delete;
  Later& operator=(const Later&) = delete;

 private:
  UINT_PTR id_;
};

// Handles the messages that arrive within `ms`.
inline void pump(DWORD ms) {
  const DWORD end = GetTickCount() + ms;
  for (;;) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) continue;
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    const auto now = GetTickCount();
    if (static_cast<LONG>(end - now) <= 0) return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, end - now, QS_ALLINPUT);
  }
}

// A child window's rectangle in its parent's client coordinates.
inline RECT placeInParent(HWND child) {
  RECT r;
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

inline std::string className(HWND hwnd) {
  char name[64] = {};
  GetClassNameA(hwnd, name, sizeof name);
  return name;
}

inline std::string windowText(HWND hwnd) {
  char text[256] = {};
  GetWindowTextA(hwnd, text, sizeof text);
  return text;
}

}  // namespace vodivuri::win32::testing
