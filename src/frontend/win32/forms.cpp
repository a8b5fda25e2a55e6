// Forms as top-level windows: creating them at the layout's place, moving,
// showing, hiding and unloading them, and the messages their windows get.
#include <algorithm>
#include <cstdio>

#include "frontend/win32/pictures.hpp"
#include "frontend/win32/records.hpp"
#include "frontend/win32/text.hpp"
#include "frontend/win32/win32_host.hpp"
#include "toolkit/geometry.hpp"

namespace vodivuri::win32 {

using toolkit::Form;

void Win32Host::formLoaded(Form& form) {
  if (forms_.count(&form) != 0) return;
  auto record = std::make_unique<FormRecord>();
  FormRecord& r = *record;
  r.form = &form;
  const toolkit::FormLayout& layout = form.layout();
  r.style = WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  r.exStyle = layout.border == toolkit::Border::FixedDialog ? WS_EX_DLGMODALFRAME : 0;
  r.clientWidth = std::max(1, toPixelsX(layout.clientWidth));
  r.clientHeight = std::max(1, toPixelsY(layout.clientHeight));
  RECT outer{0, 0, r.clientWidth, r.clientHeight};
  AdjustWindowRectEx(&outer, r.style, FALSE, r.exStyle);
  // The layout places the client area; the model keeps the outer edges.
  const int x = layout.clientLeft ? toPixelsX(*layout.clientLeft) + outer.left : CW_USEDEFAULT;
  const int y = layout.clientTop ? toPixelsY(*layout.clientTop) + outer.top : CW_USEDEFAULT;
  r.hwnd = CreateWindowExA(r.exStyle, kFormClass, toAnsi(layout.caption).c_str(), r.style, x, y,
                           outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr,
                           instance_, this);
  if (r.hwnd == nullptr) {
    std::fprintf(stderr, "vodivuri: no se pudo crear la ventana %s (error %lu)\n",
                 form.name().c_str(), GetLastError());
    return;
  }
  if (HICON big = pictures_->icon(layout.icon, GetSystemMetrics(SM_CXICON))) {
    SendMessageA(r.hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
  }
  if (HICON small = pictures_->icon(layout.icon, GetSystemMetrics(SM_CXSMICON))) {
    SendMessageA(r.hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
  }
  formWindows_[r.hwnd] = &r;
  forms_[&form] = std::move(record);
  createTooltips(r);
  for (toolkit::Control* c : form.controls()) createControl(*c, r);
  buildBackground(r);
  reportPlace(r);
}

void Win32Host::reportPlace(FormRecord& record) {
  if (quitting_) return;
  RECT w;
  if (!GetWindowRect(record.hwnd, &w) || IsIconic(record.hwnd)) return;
  record.form->placedByHost(w.left * twipsPerPixelX(), w.top * twipsPerPixelY());
}

void Win32Host::formMoved(Form& form) {
  const auto it = forms_.find(&form);
  if (it == forms_.end()) return;
  FormRecord& r = *it->second;
  RECT w;
  GetWindowRect(r.hwnd, &w);
  int x = form.left() ? toPixelsX(*form.left()) : w.left;
  int y = form.top() ? toPixelsY(*form.top()) : w.top;
  int width = w.right - w.left;
  int height = w.bottom - w.top;
  if (form.width() && form.height()) {
    // The model gives the outer size; the client area is what both hosts leave inside it.
    const toolkit::PixelSize client = toolkit::clientForOuter(
        form.layout().border, {toPixelsX(*form.width()), toPixelsY(*form.height())});
    RECT outer{0, 0, client.width, client.height};
    AdjustWindowRectEx(&outer, r.style, FALSE, r.exStyle);
    width = outer.right - outer.left;
    height = outer.bottom - outer.top;
    if (client.width != r.clientWidth || client.height != r.clientHeight) {
      r.clientWidth = client.width;
      r.clientHeight = client.height;
      buildBackground(r);
    }
  }
  // A place stored on a screen that is gone (a monitor removed) comes back
  // where the user can see it.
  const RECT area = workAreaFor(RECT{x, y, x + width, y + height});
  const toolkit::PixelRect kept = toolkit::keepInside(
      {x, y, width, height}, {area.left, area.top, area.right - area.left, area.bottom - area.top});
  x = kept.left;
  y = kept.top;
  if (x == w.left && y == w.top && width == w.right - w.left && height == w.bottom - w.top) return;
  SetWindowPos(r.hwnd, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(r.hwnd, nullptr, FALSE);
}

// The work area of the monitor nearest the rectangle; the primary one where
// the system knows one monitor only (95, NT 4).
RECT Win32Host::workAreaFor(const RECT& window) const {
  if (api.monitorFromRect != nullptr && api.getMonitorInfo != nullptr) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    HMONITOR monitor = api.monitorFromRect(&window, MONITOR_DEFAULTTONEAREST);
    if (monitor != nullptr && api.getMonitorInfo(monitor, &info)) return info.rcWork;
  }
  RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (api.systemParametersInfo != nullptr) {
    api.systemParametersInfo(SPI_GETWORKAREA, 0, &area, 0);
  }
  return area;
}

void Win32Host::formShown(Form& form) {
  const auto it = forms_.find(&form);
  if (it == forms_.end() || quitting_) return;
  HWND hwnd = it->second->hwnd;
  // A modal window belongs to the one that waits for it: above it, and
  // without a taskbar button of its own.
  if (Form* owner = form.modalOwner()) {
    if (HWND ownerWindow = windowOf(*owner)) {
      SetWindowLongPtrA(hwnd, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(ownerWindow));
    }
  }
  ShowWindow(hwnd, IsIconic(hwnd) ? SW_RESTORE : SW_SHOW);
  SetForegroundWindow(hwnd);
  UpdateWindow(hwnd);
}

void Win32Host::formRaised(Form& form) {
  const auto it = forms_.find(&form);
  if (it == forms_.end() || quitting_) return;
  HWND hwnd = it->second->hwnd;
  SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetForegroundWindow(hwnd);
}

void Win32Host::formHidden(Form& form) {
  const auto it = forms_.find(&form);
  if (it != forms_.end()) ShowWindow(it->second->hwnd, SW_HIDE);
}

void Win32Host::minimise(Form& form) {
  const auto it = forms_.find(&form);
  if (it != forms_.end()) ShowWindow(it->second->hwnd, SW_MINIMIZE);
}

void Win32Host::formUnloaded(Form& form) {
  const auto it = forms_.find(&form);
  if (it == forms_.end()) return;
  std::unique_ptr<FormRecord> record = std::move(it->second);
  forms_.erase(it);
  formWindows_.erase(record->hwnd);
  for (auto& c : record->controls) {
    controlWindows_.erase(c->hwnd);
    if (c->control != nullptr) {
      controls_.erase(c->control);
      dropTray(c->control);
    }
    c->control = nullptr;
  }
  // The waiting windows take the input back before this one disappears, so
  // that activation returns to them.
  for (HWND w : record->disabledByModal) {
    if (formRecord(w) != nullptr) EnableWindow(w, TRUE);
  }
  record->disabledByModal.clear();
  ShowWindow(record->hwnd, SW_HIDE);
  buryForm(std::move(record));
}

LRESULT Win32Host::formMessage(FormRecord& record, UINT message, WPARAM wParam, LPARAM lParam) {
  ScopedCount busy(callbackDepth_);
  HWND hwnd = record.hwnd;
  LRESULT result = 0;
  if (childNotification(message, wParam, lParam, result)) return result;
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      paintForm(record, dc);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_CLOSE:
      // The model decides: a refused close keeps the window.
      if (!quitting_) record.form->userRequestClose();
      return 0;
    case WM_MOVE:
      reportPlace(record);
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE && HIWORD(wParam) == 0 && formActivated(record)) return 0;
      break;
    case WM_GETOBJECT:
      if (accessibleObject(hwnd, wParam, lParam, result)) return result;
      break;
    case WM_MOUSEMOVE:
      if (!quitting_) {
        record.form->userMouseMove(
            static_cast<short>(LOWORD(lParam)) * static_cast<double>(twipsPerPixelX()),
            static_cast<short>(HIWORD(lParam)) * static_cast<double>(twipsPerPixelY()));
      }
      return 0;
    default:
      break;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace vodivuri::win32
