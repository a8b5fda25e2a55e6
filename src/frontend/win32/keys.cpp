// The keyboard: what Tab, Enter, Esc and the arrows do in a form, the way the
// model orders its controls, and the option buttons' focus that is no click.
#include "frontend/win32/records.hpp"
#include "frontend/win32/win32_host.hpp"
#include "toolkit/focus.hpp"

namespace vodivuri::win32 {

namespace {

// The top-level window a control belongs to (GetAncestor is not on 95 or NT 4).
HWND rootOf(HWND hwnd) {
  while (hwnd != nullptr && (GetWindowLongA(hwnd, GWL_STYLE) & WS_CHILD) != 0) {
    hwnd = GetParent(hwnd);
  }
  return hwnd;
}

bool isArrow(WPARAM key) {
  return key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN;
}

}  // namespace

// Esc and Tab belong to the form, whichever of its controls has the focus;
// Enter presses the focused push button, as in a dialog; the arrows move
// inside the option group.
bool Win32Host::keyToForm(const MSG& msg) {
  if (isArrow(msg.wParam)) return arrowInGroup(msg);
  if (msg.wParam != VK_ESCAPE && msg.wParam != VK_TAB && msg.wParam != VK_RETURN) return false;
  FormRecord* record = formRecord(rootOf(msg.hwnd));
  if (record == nullptr || quitting_) return false;
  if (msg.wParam == VK_RETURN) {
    ControlRecord* focused = controlRecord(msg.hwnd);
    if (focused == nullptr || focused->kind != toolkit::ControlKind::Button) return false;
    SendMessageA(msg.hwnd, BM_CLICK, 0, 0);
    return true;
  }
  if (msg.wParam == VK_TAB) {
    moveFocus(*record, GetKeyState(VK_SHIFT) < 0);
    return true;
  }
  ScopedCount busy(callbackDepth_);
  record->form->userKeyDown(toolkit::kKeyEscape);
  return true;
}

// Tab goes the model's way: the option group is one stop, its selected button.
void Win32Host::moveFocus(FormRecord& record, bool backwards) {
  ControlRecord* focused = controlRecord(GetFocus());
  const toolkit::Control* from = focused != nullptr ? focused->control : nullptr;
  if (toolkit::Control* next = toolkit::nextTabStop(*record.form, from, backwards)) {
    if (HWND w = windowOf(*next)) SetFocus(w);
  }
}

// An arrow on an option button moves to the next one and selects it, as the
// user's own choice, the way Windows' dialogs do; elsewhere arrows do nothing.
bool Win32Host::arrowInGroup(const MSG& msg) {
  ControlRecord* focused = controlRecord(msg.hwnd);
  if (quitting_ || focused == nullptr || focused->control == nullptr ||
      focused->kind != toolkit::ControlKind::OptionButton) {
    return false;
  }
  const bool backwards = msg.wParam == VK_LEFT || msg.wParam == VK_UP;
  toolkit::Control& control = *focused->control;
  toolkit::OptionButton* next = toolkit::neighbourOption(control.form(), control, backwards);
  HWND target = next != nullptr ? windowOf(*next) : nullptr;
  if (target == nullptr) return true;
  ScopedCount busy(callbackDepth_);
  SetFocus(target);
  userClicked(*next);
  return true;
}

// A radio button given the focus may say it was clicked: not while this runs.
LRESULT Win32Host::buttonMessage(ControlRecord& record, UINT message, WPARAM wParam,
                                 LPARAM lParam) {
  const WNDPROC base = record.baseProcedure;
  if (message != WM_SETFOCUS) return CallWindowProcA(base, record.hwnd, message, wParam, lParam);
  HWND outer = focusing_;
  focusing_ = record.hwnd;
  const LRESULT result = CallWindowProcA(base, record.hwnd, message, wParam, lParam);
  focusing_ = outer;
  return result;
}

}  // namespace vodivuri::win32
