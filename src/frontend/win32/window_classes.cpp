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

}  // namespace

WNDPROC staticProcedure() {
  return gStaticProcedure;
}

LRESULT CALLBACK labelProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* host = reinterpret_cast<Win32Host*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (host != nullptr) {
    if (ControlRecord* record = host->controlRecord(hwnd)) {
      return host->controlMessage(*record, message, wParam, lParam);
    }
  }
  return CallWindowProcA(gStaticProcedure, hwnd, message, wParam, lParam);
}

void registerClasses(HINSTANCE instance) {
  WNDCLASSA existing{};
  if (GetClassInfoA(instance, kFormClass, &existing)) return;

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

  WNDCLASSA statics{};
  if (GetClassInfoA(nullptr, "STATIC", &statics)) gStaticProcedure = statics.lpfnWndProc;
}

}  // namespace vodivuri::win32
