// MSAA's numbers for the core's roles and a control's state, and oleacc,
// ole32 and oleaut32 found when a screen reader first asks.
#include "frontend/win32/accessible.hpp"

#include <oleacc.h>

#include <algorithm>

#include "frontend/win32/gdi.hpp"
#include "frontend/win32/records.hpp"
#include "frontend/win32/text.hpp"
#include "frontend/win32/win32_host.hpp"
#include "platform/win32/optional_api.hpp"

namespace vodivuri::win32 {

using toolkit::AccessRole;
using toolkit::ControlKind;

namespace {

long roleNumber(AccessRole role) {
  switch (role) {
    case AccessRole::Text:
    case AccessRole::ReadOut:
      return ROLE_SYSTEM_STATICTEXT;
    case AccessRole::Link:
      return ROLE_SYSTEM_LINK;
    case AccessRole::PushButton:
      return ROLE_SYSTEM_PUSHBUTTON;
    case AccessRole::CheckBox:
      return ROLE_SYSTEM_CHECKBUTTON;
    case AccessRole::RadioButton:
      return ROLE_SYSTEM_RADIOBUTTON;
    case AccessRole::Graphic:
      return ROLE_SYSTEM_GRAPHIC;
    case AccessRole::ToolBar:
      return ROLE_SYSTEM_TOOLBAR;
    case AccessRole::Table:
      return ROLE_SYSTEM_TABLE;
    case AccessRole::Cell:
      return ROLE_SYSTEM_CELL;
    case AccessRole::ColumnHeader:
      return ROLE_SYSTEM_COLUMNHEADER;
    case AccessRole::Default:
    case AccessRole::None:
      break;
  }
  return ROLE_SYSTEM_CLIENT;
}

}  // namespace

BSTR toBstr(Accessibility::AllocString alloc, const std::string& utf8) {
  const std::string ansi = toAnsi(utf8);
  const int n = MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, nullptr, 0);
  if (n <= 0 || alloc == nullptr) return nullptr;
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, wide.data(), n);
  return alloc(wide.c_str());
}

long msaaRole(const Win32Host& host, HWND hwnd) {
  if (const ControlRecord* r = host.controlRecord(hwnd); r != nullptr && r->control != nullptr) {
    return roleNumber(r->control->role());
  }
  if (const FormRecord* f = host.formRecord(hwnd)) {
    return f->form->layout().dialog ? ROLE_SYSTEM_DIALOG : ROLE_SYSTEM_CLIENT;
  }
  return ROLE_SYSTEM_CLIENT;
}

// Decorations and what lies outside its window are left out: invisible.
long msaaState(const Win32Host& host, HWND hwnd) {
  const ControlRecord* r = host.controlRecord(hwnd);
  if (r == nullptr || r->control == nullptr) return 0;
  const toolkit::Control& c = *r->control;
  long state = 0;
  RECT mine, parent, overlap;
  GetWindowRect(hwnd, &mine);
  GetWindowRect(GetParent(hwnd), &parent);
  if (!IsWindowVisible(hwnd) || c.role() == AccessRole::None) state |= STATE_SYSTEM_INVISIBLE;
  if (!intersect(overlap, mine, parent)) state |= STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN;
  if (!c.enabled()) state |= STATE_SYSTEM_UNAVAILABLE;
  const auto& order = c.form().tabOrder;
  if (c.reachable() && std::find(order.begin(), order.end(), &c) != order.end()) {
    state |= STATE_SYSTEM_FOCUSABLE;
  }
  if (c.hasFocus() && GetFocus() == hwnd) state |= STATE_SYSTEM_FOCUSED;
  if (c.kind() == ControlKind::CheckBox || c.kind() == ControlKind::OptionButton) {
    if (c.state().value == 1) state |= STATE_SYSTEM_CHECKED;
    if (c.state().value == 2) state |= STATE_SYSTEM_MIXED;
  }
  if (c.role() == AccessRole::Link) state |= STATE_SYSTEM_LINKED;
  return state;
}

// ---- the libraries ----

Accessibility::Accessibility() : alive_(std::make_shared<Win32Host*>(nullptr)) {
  notifyEvent_ = platform::win32::optionalFunction<NotifyEvent>("user32.dll", "NotifyWinEvent");
}

Accessibility::~Accessibility() {
  *alive_ = nullptr;
  if (!comStarted_) return;
  using Uninit = void(WINAPI*)();
  if (auto uninit = platform::win32::optionalFunction<Uninit>("ole32.dll", "CoUninitialize")) {
    uninit();
  }
}

// oleacc and what it needs, once a screen reader first asks: never imported,
// so that the program starts where they are missing.
bool Accessibility::load() {
  if (tried_) return createStd_ != nullptr;
  tried_ = true;
  using platform::win32::optionalFunction;
  if (LoadLibraryA("oleacc.dll") == nullptr || LoadLibraryA("oleaut32.dll") == nullptr ||
      LoadLibraryA("ole32.dll") == nullptr) {
    return false;
  }
  using Init = HRESULT(WINAPI*)(LPVOID);
  const auto init = optionalFunction<Init>("ole32.dll", "CoInitialize");
  createStd_ = optionalFunction<CreateStd>("oleacc.dll", "CreateStdAccessibleObject");
  fromObject_ = optionalFunction<FromObject>("oleacc.dll", "LresultFromObject");
  allocString_ = optionalFunction<AllocString>("oleaut32.dll", "SysAllocString");
  if (init == nullptr || fromObject_ == nullptr || allocString_ == nullptr) createStd_ = nullptr;
  // The object is handed over by COM marshalling, which this thread must have.
  if (createStd_ != nullptr) comStarted_ = SUCCEEDED(init(nullptr));
  return createStd_ != nullptr;
}

bool Accessibility::answer(Win32Host& host, HWND hwnd, WPARAM wParam, LPARAM lParam,
                           LRESULT& result) {
  if (static_cast<LONG>(lParam) != static_cast<LONG>(OBJID_CLIENT) || !load()) return false;
  *alive_ = &host;
  IAccessible* standard = nullptr;
  if (FAILED(createStd_(hwnd, OBJID_CLIENT, accessibleInterface(),
                        reinterpret_cast<void**>(&standard))) ||
      standard == nullptr) {
    return false;
  }
  IAccessible* proxy = proxyFor(standard, hwnd, alive_, allocString_);
  standard->Release();
  result = fromObject_(accessibleInterface(), wParam, proxy);
  proxy->Release();
  return true;
}

void Accessibility::notify(DWORD event, HWND hwnd, LONG child) const {
  if (notifyEvent_ != nullptr && hwnd != nullptr) {
    notifyEvent_(event, hwnd, static_cast<LONG>(OBJID_CLIENT), child);
  }
}

}  // namespace vodivuri::win32
