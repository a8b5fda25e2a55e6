// What the Win32 host keeps per form and per control: the windows, the
// persistent background bitmap and what a control shows.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "toolkit/control.hpp"
#include "toolkit/form.hpp"

namespace vodivuri::win32 {

class Win32Host;

// How wide the focus ring is, in pixels.
inline constexpr int kFocusRingWidth = 2;

struct ControlRecord {
  toolkit::Control* control = nullptr;  // null once the control is gone
  toolkit::ControlKind kind = toolkit::ControlKind::Label;
  HWND hwnd = nullptr;
  toolkit::ControlState shown;  // the state last applied to the window
  HBITMAP picture = nullptr;    // owned by the picture cache
  bool pressed = false;
  // What a subclassed system control's own procedure is.
  WNDPROC baseProcedure = nullptr;
  // The ring drawn inside a system button: each line's colour, chosen over
  // its unfocused face (CLR_INVALID: not chosen yet).
  COLORREF ringColours[8] = {CLR_INVALID, CLR_INVALID, CLR_INVALID, CLR_INVALID,
                             CLR_INVALID, CLR_INVALID, CLR_INVALID, CLR_INVALID};
};

struct FormRecord {
  FormRecord() = default;
  FormRecord(const FormRecord&) = delete;
  FormRecord& operator=(const FormRecord&) = delete;
  ~FormRecord();

  toolkit::Form* form = nullptr;
  HWND hwnd = nullptr;
  HWND tooltips = nullptr;
  DWORD style = 0;
  DWORD exStyle = 0;
  int clientWidth = 0;  // pixels
  int clientHeight = 0;
  // The painted client area: gradient or colour, picture, frame lines.
  HBITMAP background = nullptr;
  std::vector<std::unique_ptr<ControlRecord>> controls;
  // The control window whose focus ring is drawn.
  HWND ringWindow = nullptr;
  // The windows a modal showing of this form disabled, to enable again.
  std::vector<HWND> disabledByModal;
};

// Counts while in scope: the handlers on the stack, the applying of state.
class ScopedCount {
 public:
  explicit ScopedCount(int& n) : n_(n) { ++n_; }
  ~ScopedCount() { --n_; }
  ScopedCount(const ScopedCount&) = delete;
  ScopedCount& operator=(const ScopedCount&) = delete;

 private:
  int& n_;
};

// Window classes and procedures (window_classes.cpp).
extern const char* const kFormClass;
extern const char* const kPictureClass;
extern const char* const kHostClass;
void registerClasses(HINSTANCE instance);
// Hands a system control (a label's STATIC, a BUTTON) to
// the host; returns the control's own procedure, which gets what the host
// leaves to it.
WNDPROC wrapSystemControl(HWND hwnd, Win32Host& host, toolkit::ControlKind kind);

}  // namespace vodivuri::win32
