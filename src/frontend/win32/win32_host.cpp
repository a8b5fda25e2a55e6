// The host's core: construction, the message loops, forms and their windows,
// quitting and the end of the session.
#include "frontend/win32/win32_host.hpp"

#include <algorithm>
#include <cstdio>

#include "frontend/win32/pictures.hpp"
#include "frontend/win32/records.hpp"
#include "frontend/win32/text.hpp"
#include "toolkit/geometry.hpp"

namespace vodivuri::win32 {

using toolkit::Form;

namespace {

// Counts the model calls on the stack: windows are destroyed only when none is.
class Busy {
 public:
  explicit Busy(int& depth) : depth_(depth) { ++depth_; }
  ~Busy() { --depth_; }
  Busy(const Busy&) = delete;
  Busy& operator=(const Busy&) = delete;

 private:
  int& depth_;
};

int dotsPerInch(int index) {
  HDC dc = GetDC(nullptr);
  const int dpi = dc != nullptr ? GetDeviceCaps(dc, index) : 96;
  if (dc != nullptr) ReleaseDC(nullptr, dc);
  return dpi > 0 ? dpi : 96;
}

}  // namespace

FormRecord::~FormRecord() {
  if (tooltips != nullptr) DestroyWindow(tooltips);
  if (hwnd != nullptr) DestroyWindow(hwnd);
  if (background != nullptr) DeleteObject(background);
}

Win32Host::Win32Host(HINSTANCE instance, std::string assetsFolder)
    : notifyIcon(
          [](DWORD action, NOTIFYICONDATAA* data) { return Shell_NotifyIconA(action, data); }),
      instance_(instance),
      pictures_(std::make_unique<Pictures>(instance, std::move(assetsFolder))) {
  registerClasses(instance_);
  hostWindow_ = CreateWindowExA(WS_EX_TOOLWINDOW, kHostClass, "Vodivuri", WS_POPUP, 0, 0, 0, 0,
                                nullptr, nullptr, instance_, this);
  taskbarCreated_ = RegisterWindowMessageA("TaskbarCreated");
}

Win32Host::~Win32Host() {
  quitting_ = true;
  stopTimers();
  for (auto& [receiver, record] : trays_) notifyIcon(NIM_DELETE, &record);
  trays_.clear();
  // Nothing is looked up any more while the windows go.
  formWindows_.clear();
  controlWindows_.clear();
  controls_.clear();
  forms_.clear();
  graveyard_.clear();
  if (hostWindow_ != nullptr) DestroyWindow(hostWindow_);
  for (auto& [key, f] : fonts_) DeleteObject(f);
  for (auto& [key, b] : brushes_) DeleteObject(b);
  // A quit request left in the queue would end the next host's loop at once.
  MSG msg;
  while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
}

// ---- units and lookups ----

int Win32Host::twipsPerPixelX() const {
  return toolkit::twipsPerPixelFor(dotsPerInch(LOGPIXELSX));
}

int Win32Host::twipsPerPixelY() const {
  return toolkit::twipsPerPixelFor(dotsPerInch(LOGPIXELSY));
}

int Win32Host::toPixelsX(int twips) const {
  return toolkit::twipsToPixels(twips, twipsPerPixelX());
}

int Win32Host::toPixelsY(int twips) const {
  return toolkit::twipsToPixels(twips, twipsPerPixelY());
}

toolkit::ScreenMetrics Win32Host::screen() const {
  toolkit::ScreenMetrics m;
  m.widthPixels = GetSystemMetrics(SM_CXSCREEN);
  m.heightPixels = GetSystemMetrics(SM_CYSCREEN);
  m.twipsPerPixelX = twipsPerPixelX();
  m.twipsPerPixelY = twipsPerPixelY();
  return m;
}

HWND Win32Host::windowOf(const Form& form) const {
  const auto it = forms_.find(&form);
  return it == forms_.end() ? nullptr : it->second->hwnd;
}

HWND Win32Host::windowOf(const toolkit::Control& control) const {
  const auto it = controls_.find(&control);
  return it == controls_.end() ? nullptr : it->second->hwnd;
}

FormRecord* Win32Host::formRecord(HWND hwnd) const {
  const auto it = formWindows_.find(hwnd);
  return it == formWindows_.end() ? nullptr : it->second;
}

ControlRecord* Win32Host::controlRecord(HWND hwnd) const {
  const auto it = controlWindows_.find(hwnd);
  return it == controlWindows_.end() ? nullptr : it->second;
}

// ---- loops ----

int Win32Host::run() {
  ++loopDepth_;
  MSG msg;
  while (!quitting_) {
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got <= 0) {
      quit();
      break;
    }
    dispatch(msg);
    if (loopDepth_ == 1 && callbackDepth_ == 0) collectGraveyard();
  }
  --loopDepth_;
  if (loopDepth_ == 0 && callbackDepth_ == 0) collectGraveyard();
  return 0;
}

void Win32Host::runModal(Form& form) {
  if (quitting_ || !form.loaded()) return;
  FormRecord* record = forms_.count(&form) != 0 ? forms_[&form].get() : nullptr;
  if (record != nullptr) {
    // The others wait: disabled until this one unloads.
    for (const auto& [other, otherRecord] : forms_) {
      if (other == &form || !IsWindowEnabled(otherRecord->hwnd)) continue;
      EnableWindow(otherRecord->hwnd, FALSE);
      record->disabledByModal.push_back(otherRecord->hwnd);
    }
  }
  modalForms_.push_back(&form);
  ++loopDepth_;
  MSG msg;
  while (!quitting_ && form.loaded()) {
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got <= 0) {
      quit();
      break;
    }
    dispatch(msg);
  }
  --loopDepth_;
  modalForms_.erase(std::find(modalForms_.begin(), modalForms_.end(), &form));
  if (form.loaded()) {
    // Left by quit(): give the input back all the same.
    if (const auto it = forms_.find(&form); it != forms_.end()) {
      for (HWND w : it->second->disabledByModal) {
        if (formRecord(w) != nullptr) EnableWindow(w, TRUE);
      }
      it->second->disabledByModal.clear();
    }
  }
  if (loopDepth_ == 0 && callbackDepth_ == 0) collectGraveyard();
}

void Win32Host::dispatch(MSG& msg) {
  if (msg.message == WM_KEYDOWN && keyToForm(msg)) return;
  TranslateMessage(&msg);
  DispatchMessageA(&msg);
}

// Esc and Tab belong to the form, whichever of its controls has the focus.
bool Win32Host::keyToForm(const MSG& msg) {
  if (msg.wParam != VK_ESCAPE && msg.wParam != VK_TAB) return false;
  FormRecord* record = formRecord(GetAncestor(msg.hwnd, GA_ROOT));
  if (record == nullptr || quitting_) return false;
  if (msg.wParam == VK_TAB) {
    moveFocus(*record, GetKeyState(VK_SHIFT) < 0);
    return true;
  }
  Busy busy(callbackDepth_);
  record->form->userKeyDown(toolkit::kKeyEscape);
  return true;
}

void Win32Host::moveFocus(FormRecord& record, bool backwards) {
  std::vector<HWND> order;
  for (toolkit::Control* c : record.form->tabOrder) {
    HWND w = windowOf(*c);
    if (w != nullptr && IsWindowVisible(w) && IsWindowEnabled(w)) order.push_back(w);
  }
  if (order.empty()) return;
  const auto at = std::find(order.begin(), order.end(), GetFocus());
  std::ptrdiff_t next = 0;
  if (at != order.end()) {
    const auto n = static_cast<std::ptrdiff_t>(order.size());
    next = ((at - order.begin()) + (backwards ? n - 1 : 1)) % n;
  }
  SetFocus(order[static_cast<std::size_t>(next)]);
}

void Win32Host::buryForm(std::unique_ptr<FormRecord> record) {
  // A window whose handler is still on the stack must outlive that handler.
  if (loopDepth_ == 0 && callbackDepth_ == 0) return;  // destroyed here and now
  graveyard_.push_back(std::move(record));
}

void Win32Host::collectGraveyard() {
  std::vector<std::unique_ptr<FormRecord>> dead;
  dead.swap(graveyard_);
}

// ---- forms ----

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
  if (x == w.left && y == w.top && width == w.right - w.left && height == w.bottom - w.top) return;
  SetWindowPos(r.hwnd, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(r.hwnd, nullptr, FALSE);
}

void Win32Host::formShown(Form& form) {
  const auto it = forms_.find(&form);
  if (it == forms_.end() || quitting_) return;
  HWND hwnd = it->second->hwnd;
  ShowWindow(hwnd, IsIconic(hwnd) ? SW_RESTORE : SW_SHOW);
  SetForegroundWindow(hwnd);
  UpdateWindow(hwnd);
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

// ---- the host's own window ----

LRESULT Win32Host::hostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  Busy busy(callbackDepth_);
  if (message == taskbarCreated_ && taskbarCreated_ != 0) {
    trayAreaRecreated();
    return 0;
  }
  switch (message) {
    case WM_TIMER:
      timerFired(wParam);
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;  // the program never stands in the way of the session's end
    case WM_ENDSESSION:
      if (wParam != 0) endSession();
      return 0;
    case WM_INITMENUPOPUP:
      menuOpened(reinterpret_cast<HMENU>(wParam));
      return 0;
    case kMessageBoxUp:
      if (onMessageBoxShown) onMessageBoxShown(reinterpret_cast<HWND>(wParam));
      return 0;
    default:
      break;
  }
  return DefWindowProcA(hostWindow_, message, wParam, lParam);
}

LRESULT Win32Host::formMessage(FormRecord& record, UINT message, WPARAM wParam, LPARAM lParam) {
  Busy busy(callbackDepth_);
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

// ---- the end ----

void Win32Host::endSession() {
  if (quitting_) return;
  std::vector<Form*> loaded;
  for (const auto& [form, record] : forms_) loaded.push_back(record->form);
  for (Form* form : loaded) {
    if (quitting_) break;
    if (forms_.count(form) != 0) form->sessionEnding();
  }
  // The session ends: so does the program, whether or not a window ended it.
  quit();
}

void Win32Host::quit() {
  if (quitting_) return;
  quitting_ = true;
  stopTimers();
  for (auto& [form, record] : forms_) ShowWindow(record->hwnd, SW_HIDE);
  for (auto& [receiver, record] : trays_) notifyIcon(NIM_DELETE, &record);
  trays_.clear();
  // Every nested loop ends: a popup menu at once, message boxes on WM_QUIT,
  // the modal loops through quitting_.
  EndMenu();
  PostQuitMessage(0);
}

}  // namespace vodivuri::win32
