// MSAA for the host's windows: oleacc, ole32 and oleaut32 found at run time
// (Windows 95 may have none of them), and the object a screen reader gets for
// a control: the system's own, with the name, role and state the core declares.
#pragma once

#include <windows.h>

#include <oleacc.h>

#include <memory>
#include <string>

namespace vodivuri::win32 {

class Win32Host;

// Screen-reader roles and states as MSAA numbers them.
long msaaRole(const Win32Host& host, HWND hwnd);
long msaaState(const Win32Host& host, HWND hwnd);

class Accessibility {
 public:
  Accessibility();
  ~Accessibility();
  Accessibility(const Accessibility&) = delete;
  Accessibility& operator=(const Accessibility&) = delete;

  // Answers WM_GETOBJECT for a window of the host; false leaves it to the
  // window's own procedure (not the client object, or no oleacc here).
  bool answer(Win32Host& host, HWND hwnd, WPARAM wParam, LPARAM lParam, LRESULT& result);
  // Tells a listening screen reader (NotifyWinEvent, 98 and 2000 on).
  void notify(DWORD event, HWND hwnd, LONG child) const;
  // Proxies still held by a screen reader stop asking the host once it is gone.
  void hostGone() { *alive_ = nullptr; }

  using CreateStd = HRESULT(WINAPI*)(HWND, LONG, REFIID, void**);
  using FromObject = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);
  using AllocString = BSTR(WINAPI*)(const OLECHAR*);
  using NotifyEvent = void(WINAPI*)(DWORD, HWND, LONG, LONG);

 private:
  bool load();

  std::shared_ptr<Win32Host*> alive_;
  bool tried_ = false;
  bool comStarted_ = false;
  CreateStd createStd_ = nullptr;
  FromObject fromObject_ = nullptr;
  AllocString allocString_ = nullptr;
  NotifyEvent notifyEvent_ = nullptr;
};

// IAccessible's interface number, and the object that answers a screen reader
// for `hwnd` over the system's `standard` one (accessible_proxy.cpp).
const GUID& accessibleInterface();
IAccessible* proxyFor(IAccessible* standard, HWND hwnd, std::shared_ptr<Win32Host*> host,
                      Accessibility::AllocString alloc);

// A UTF-8 text as a BSTR (through the ANSI code page, which 95 can convert).
BSTR toBstr(Accessibility::AllocString alloc, const std::string& utf8);

}  // namespace vodivuri::win32
