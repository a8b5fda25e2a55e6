// The host's window classes; each procedure finds the host through the
// window's user data and hands the message to it.
#include "frontend/win32/records.hpp"
#include "frontend/win32/win32_host.hpp"

namespace vodivuri::win32 {

const char* const kFormClass = "VodivuriForm";
const char* const kPictureClass = "VodivuriPicture";
const char* const kHostClass = "VodivuriHost";

namespace {

WNDPROC gStaticProcedure = nullptr;
WNDPROC gButtonProcedure = nullptr;

Win32Host* hostOf(HWND hwnd, UINT message, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  return reinterpret_cast<Win32Host*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

LRESULT CALLBACK formProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (Win32Host* host = hostOf(hwnd, message, lParam)) {
    if (FormRecord* record = host->formRecord(hwnd)) {
      return host->formMessage(*record, message, wParam, lParam);
    }
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK pictureProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (Win32Host* host = hostOf(hwnd, message, lParam)) {
    if (ControlRecord* record = host->controlRecord(hwnd)) {
      return host->controlMessage(*record, message, wParam, lParam);
    }
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK hostProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (Win32Host* host = hostOf(hwnd, message, lParam);
      host != nullptr && host->hostWindow() == hwnd) {
    return host->hostMessage(message, wParam, lParam);
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

// A system control the host wraps: its messages go to the host's handler
// once the control has a record, to the system's own procedure before and after.
template <LRESULT (Win32Host::*handler)(ControlRecord&, UINT, WPARAM, LPARAM),
          WNDPROC* systemProcedure>
LRESULT CALLBACK wrappedProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* host = reinterpret_cast<Win32Host*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (host != nullptr) {
    if (ControlRecord* record = host->controlRecord(hwnd)) {
      return (host->*handler)(*record, message, wParam, lParam);
    }
  }
  return CallWindowProcA(*systemProcedure, hwnd, message, wParam, lParam);
}

}  // namespace

WNDPROC wrapSystemControl(HWND hwnd, Win32Host& host, toolkit::ControlKind kind) {
  const bool label = kind == toolkit::ControlKind::Label;
  WNDPROC& system = label ? gStaticProcedure : gButtonProcedure;
  const WNDPROC wrapper = label ? wrappedProcedure<&Win32Host::controlMessage, &gStaticProcedure>
                                : wrappedProcedure<&Win32Host::buttonMessage, &gButtonProcedure>;
  SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&host));
  const auto own = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(wrapper)));
  // Every STATIC (BUTTON) has the same one: what GetClassInfo would say.
  if (system == nullptr) system = own;
  return own;
}

void registerClasses(HINSTANCE instance) {
  // Once per process, whatever number of hosts it makes.
  static bool registered = false;
  if (registered) return;
  registered = true;

  WNDCLASSA form{};
  form.style = CS_DBLCLKS;
  form.lpfnWndProc = formProcedure;
  form.hInstance = instance;
  form.hCursor = LoadCursor(nullptr, IDC_ARROW);
  form.lpszClassName = kFormClass;
  RegisterClassA(&form);

  WNDCLASSA picture{};
  picture.lpfnWndProc = pictureProcedure;
  picture.hInstance = instance;
  picture.hCursor = LoadCursor(nullptr, IDC_ARROW);
  picture.lpszClassName = kPictureClass;
  RegisterClassA(&picture);

  WNDCLASSA host{};
  host.lpfnWndProc = hostProcedure;
  host.hInstance = instance;
  host.lpszClassName = kHostClass;
  RegisterClassA(&host);
}

}  // namespace vodivuri::win32
