// Message boxes: MessageBoxA with Windows' own buttons, modal to the whole
// program; a quit request ends them unanswered.
#include <cstdio>

#include "frontend/win32/text.hpp"
#include "frontend/win32/win32_host.hpp"

namespace vodivuri::win32 {

namespace {

thread_local HHOOK gHook = nullptr;
thread_local HWND gTellWindow = nullptr;

// Tells the host once the box is up; the notice runs inside the box's own loop.
LRESULT CALLBACK watchActivation(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE && gTellWindow != nullptr) {
    PostMessageA(gTellWindow, Win32Host::kMessageBoxUp, wParam, 0);
    gTellWindow = nullptr;
  }
  return CallNextHookEx(gHook, code, wParam, lParam);
}

}  // namespace

toolkit::MessageAnswer Win32Host::messageBox(const toolkit::MessageRequest& request) {
  const bool question = request.buttons == toolkit::MessageButtons::YesNo;
  const auto unanswered = question ? toolkit::MessageAnswer::Cancel : toolkit::MessageAnswer::Ok;
  if (quitting_) return unanswered;
  const UINT type =
      (question ? MB_YESNO : MB_OK) |
      (request.icon == toolkit::MessageIcon::Question ? MB_ICONQUESTION : MB_ICONINFORMATION) |
      MB_TASKMODAL | MB_SETFOREGROUND;
  const bool watch = static_cast<bool>(onMessageBoxShown) && gHook == nullptr;
  if (watch) {
    gTellWindow = hostWindow_;
    gHook = SetWindowsHookExA(WH_CBT, watchActivation, nullptr, GetCurrentThreadId());
  }
  const int answer =
      MessageBoxA(nullptr, toAnsi(request.text).c_str(), toAnsi(request.title).c_str(), type);
  if (watch) {
    if (gHook != nullptr) UnhookWindowsHookEx(gHook);
    gHook = nullptr;
    gTellWindow = nullptr;
  }
  if (quitting_) return unanswered;
  switch (answer) {
    case IDYES:
      return toolkit::MessageAnswer::Yes;
    case IDNO:
      return toolkit::MessageAnswer::No;
    case IDOK:
      return toolkit::MessageAnswer::Ok;
    default:
      // No box could be shown: a question is not answered Yes.
      if (answer == 0)
        std::fprintf(stderr, "vodivuri: MessageBoxA falló (error %lu)\n", GetLastError());
      return unanswered;
  }
}

}  // namespace vodivuri::win32
