// The keyboard and the focus: the keys the core decides go to the form, what
// it used never reaches the control; the form's focus is the window focus.
#include "frontend/win32/records.hpp"
#include "frontend/win32/win32_host.hpp"

namespace vodivuri::win32 {

namespace {

// The top-level window a control belongs to (GetAncestor is not on 95 or NT 4).
HWND rootOf(HWND hwnd) {
  while (hwnd != nullptr && (GetWindowLongA(hwnd, GWL_STYLE) & WS_CHILD) != 0) {
    hwnd = GetParent(hwnd);
  }
  return hwnd;
}

bool coreKey(WPARAM vk, toolkit::Key& key) {
  using toolkit::Key;
  switch (vk) {
    case VK_TAB:
      key = Key::Tab;
      return true;
    case VK_RETURN:
      key = Key::Return;
      return true;
    case VK_SPACE:
      key = Key::Space;
      return true;
    case VK_ESCAPE:
      key = Key::Escape;
      return true;
    case VK_LEFT:
      key = Key::Left;
      return true;
    case VK_RIGHT:
      key = Key::Right;
      return true;
    case VK_UP:
      key = Key::Up;
      return true;
    case VK_DOWN:
      key = Key::Down;
      return true;
    case VK_PRIOR:
      key = Key::PageUp;
      return true;
    case VK_NEXT:
      key = Key::PageDown;
      return true;
    case VK_HOME:
      key = Key::Home;
      return true;
    case VK_END:
      key = Key::End;
      return true;
    default:
      return false;
  }
}

// Sets a flag while in scope, the value before coming back after.
class ScopedFlag {
 public:
  explicit ScopedFlag(bool& flag) : flag_(flag), old_(flag) { flag_ = true; }
  ~ScopedFlag() { flag_ = old_; }
  ScopedFlag(const ScopedFlag&) = delete;
  ScopedFlag& operator=(const ScopedFlag&) = delete;

 private:
  bool& flag_;
  bool old_;
};

}  // namespace

// A press of one of the core's keys in a window of a form goes to the form;
// when the form used it, neither it, its WM_CHAR (never translated) nor its
// release reach the control, so a button's own Space never presses it twice.
bool Win32Host::keyToForm(const MSG& msg) {
  if (msg.message == WM_KEYUP) return swallowedKeys_.erase(msg.wParam) != 0;
  if (msg.message != WM_KEYDOWN || quitting_) return false;
  toolkit::Key key;
  if (!coreKey(msg.wParam, key)) return false;
  FormRecord* record = formRecord(rootOf(msg.hwnd));
  if (record == nullptr || !IsWindowEnabled(record->hwnd)) return false;
  const toolkit::KeyPress press{key, GetKeyState(VK_SHIFT) < 0, GetKeyState(VK_CONTROL) < 0};
  swallowedKeys_.insert(msg.wParam);
  ScopedCount busy(callbackDepth_);
  if (record->form->userKey(press)) return true;
  swallowedKeys_.erase(msg.wParam);
  return false;
}

// The window of the form's focused control, when it can take the focus now.
HWND Win32Host::focusWindow(const toolkit::Form& form) const {
  const toolkit::Control* c = form.focus();
  HWND w = c != nullptr ? windowOf(*c) : nullptr;
  if (w == nullptr || !IsWindowVisible(w) || !IsWindowEnabled(w)) return nullptr;
  return w;
}

// The model moved its focus: the window focus follows while the form is the
// active window (otherwise its activation brings it), and the rings move.
void Win32Host::focusChanged(toolkit::Form& form) {
  const auto it = forms_.find(&form);
  if (it == forms_.end() || quitting_) return;
  FormRecord& record = *it->second;
  moveRing(record);
  HWND target = focusWindow(form);
  if (target == nullptr || GetFocus() == target) return;
  // Only in the window that has the keyboard: elsewhere it would take it.
  if (!IsWindowVisible(record.hwnd) || rootOf(GetFocus()) != record.hwnd) return;
  ScopedFlag mirroring(mirroringFocus_);
  SetFocus(target);
}

// The form's window is activated: its focused control takes the focus, not
// the window itself (what DefWindowProc would do).
bool Win32Host::formActivated(FormRecord& record) {
  HWND target = focusWindow(*record.form);
  if (target == nullptr) return false;
  ScopedFlag mirroring(mirroringFocus_);
  SetFocus(target);
  return true;
}

// A control's window got the focus, and not from the model: the user's (a
// click); the form decides whether it takes it.
void Win32Host::windowFocused(ControlRecord& record) {
  if (mirroringFocus_ || quitting_ || record.control == nullptr) return;
  ScopedCount busy(callbackDepth_);
  record.control->form().userFocused(*record.control);
}

// What the BUTTON windows get: the focus given to a radio button is no click;
// the focus from outside the model is the user's; the ring drawn inside the
// button comes back after whatever the button painted; MSAA asks for names.
LRESULT Win32Host::buttonMessage(ControlRecord& record, UINT message, WPARAM wParam,
                                 LPARAM lParam) {
  const WNDPROC base = record.baseProcedure;
  HWND hwnd = record.hwnd;
  if (message == WM_GETOBJECT) {
    LRESULT answer = 0;
    if (accessibleObject(hwnd, wParam, lParam, answer)) return answer;
    return CallWindowProcA(base, hwnd, message, wParam, lParam);
  }
  if (message == WM_SETFOCUS) {
    HWND outer = focusing_;
    focusing_ = hwnd;
    const LRESULT result = CallWindowProcA(base, hwnd, message, wParam, lParam);
    focusing_ = outer;
    if (controlRecord(hwnd) == &record) windowFocused(record);
    if (controlRecord(hwnd) == &record) redrawInsideRing(record);
    return result;
  }
  const LRESULT result = CallWindowProcA(base, hwnd, message, wParam, lParam);
  switch (message) {
    case WM_PAINT:
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case WM_SETTEXT:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_MOUSEMOVE:
    case WM_CAPTURECHANGED:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_UPDATEUISTATE:
    case BM_SETCHECK:
    case BM_SETSTATE:
    case BM_SETSTYLE:
    case BM_SETIMAGE:
      if (controlRecord(hwnd) == &record) redrawInsideRing(record);
      break;
    default:
      break;
  }
  return result;
}

}  // namespace vodivuri::win32
