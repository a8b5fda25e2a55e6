// Controls as real child windows: creating them, applying the model's state
// to them (never echoed back as a click) and forwarding the user's input.
#include <windows.h>

#include <cmath>
#include <cstdio>

#include "frontend/win32/gdi.hpp"
#include "frontend/win32/pictures.hpp"
#include "frontend/win32/records.hpp"
#include "frontend/win32/text.hpp"
#include "frontend/win32/win32_host.hpp"

namespace vodivuri::win32 {

using toolkit::Control;
using toolkit::ControlKind;

namespace {

DWORD styleFor(ControlKind kind) {
  switch (kind) {
    case ControlKind::Label:
      return SS_OWNERDRAW;
    case ControlKind::CheckBox:
      return BS_CHECKBOX;  // the model decides the check, not the button
    case ControlKind::OptionButton:
      return BS_RADIOBUTTON;
    case ControlKind::Button:
      return BS_PUSHBUTTON;
    default:
      return WS_CLIPCHILDREN;
  }
}

const char* classFor(ControlKind kind) {
  switch (kind) {
    case ControlKind::Label:
      return "STATIC";
    case ControlKind::CheckBox:
    case ControlKind::OptionButton:
    case ControlKind::Button:
      return "BUTTON";
    default:
      return kPictureClass;
  }
}

}  // namespace

HFONT Win32Host::font(const toolkit::Font& f) {
  const std::string key = f.name + "|" + std::to_string(f.points) + (f.bold ? "|b" : "");
  if (const auto it = fonts_.find(key); it != fonts_.end()) return it->second;
  const int height =
      -MulDiv(static_cast<int>(std::lround(f.points * 100)), screenDotsPerInch(LOGPIXELSY), 7200);
  HFONT font = CreateFontA(height, 0, 0, 0, f.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                           DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                           DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, toAnsi(f.name).c_str());
  fonts_[key] = font;
  return font;
}

COLORREF Win32Host::colour(const toolkit::Colour& c) const {
  if (c.isSystem) return GetSysColor(static_cast<int>(c.system));
  return RGB(c.r, c.g, c.b);
}

HBRUSH Win32Host::brush(COLORREF c) {
  if (const auto it = brushes_.find(c); it != brushes_.end()) return it->second;
  HBRUSH b = CreateSolidBrush(c);
  brushes_[c] = b;
  return b;
}

void Win32Host::createControl(Control& control, FormRecord& form) {
  if (controls_.count(&control) != 0) return;
  const ControlKind kind = control.kind();
  // Timers and menu entries have no window; lines are painted on the form.
  if (kind == ControlKind::Timer || kind == ControlKind::MenuEntry || kind == ControlKind::Line) {
    return;
  }
  HWND parent = form.hwnd;
  if (Control* box = control.container()) {
    createControl(*box, form);
    if (HWND inside = windowOf(*box)) parent = inside;
  }
  const auto id = static_cast<INT_PTR>(form.controls.size() + 1);
  HWND hwnd = CreateWindowExA(0, classFor(kind), "", WS_CHILD | WS_CLIPSIBLINGS | styleFor(kind), 0,
                              0, 1, 1, parent, reinterpret_cast<HMENU>(id), instance_, this);
  if (hwnd == nullptr) {
    std::fprintf(stderr, "vodivuri: no se pudo crear el control %s (error %lu)\n",
                 control.name().c_str(), GetLastError());
    return;
  }
  WNDPROC base = nullptr;
  if (kind == ControlKind::Label || kind == ControlKind::OptionButton ||
      kind == ControlKind::CheckBox || kind == ControlKind::Button) {
    base = wrapSystemControl(hwnd, *this, kind);
  }
  // Later controls lie over earlier ones, as the layouts expect.
  SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  auto record = std::make_unique<ControlRecord>();
  record->control = &control;
  record->kind = kind;
  record->hwnd = hwnd;
  record->baseProcedure = base;
  record->shown.tooltip.clear();
  ControlRecord& r = *record;
  form.controls.push_back(std::move(record));
  controlWindows_[hwnd] = &r;
  controls_[&control] = &r;
  apply(r);
}

void Win32Host::apply(ControlRecord& record) {
  if (record.control == nullptr) return;
  ScopedCount applying(applying_);
  const toolkit::ControlState& s = record.control->state();
  HWND hwnd = record.hwnd;
  // A ring the form draws around the control moves with it.
  const bool ringed = showsRing(record);
  if (ringed) invalidateRing(hwnd);
  for (COLORREF& c : record.ringColours) c = CLR_INVALID;
  // A window that is disabled or hidden loses the focus to nothing, and the
  // keys with it: its form keeps them.
  if (GetFocus() == hwnd && (!s.enabled || !s.visible)) {
    if (HWND root = GetParent(hwnd); root != nullptr) SetFocus(root);
  }
  const std::string oldTip = record.shown.tooltip;
  record.shown = s;

  HFONT f = font(s.font);
  SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(f), FALSE);
  RECT r{toPixelsX(s.rect.left), toPixelsY(s.rect.top), toPixelsX(s.rect.width),
         toPixelsY(s.rect.height)};
  const std::string caption = toAnsi(s.caption);
  if (record.kind == ControlKind::Label && s.autoSize) {
    HDC dc = GetDC(hwnd);
    HGDIOBJ old = SelectObject(dc, f);
    RECT text{0, 0, 0, 0};
    DrawTextA(dc, caption.c_str(), -1, &text, DT_CALCRECT | DT_NOPREFIX);
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
    r.right = text.right - text.left;
    r.bottom = text.bottom - text.top;
  }
  SetWindowPos(hwnd, nullptr, r.left, r.top, r.right, r.bottom, SWP_NOZORDER | SWP_NOACTIVATE);

  char current[512] = {};
  GetWindowTextA(hwnd, current, sizeof current);
  if (caption != current) SetWindowTextA(hwnd, caption.c_str());
  EnableWindow(hwnd, s.enabled ? TRUE : FALSE);

  switch (record.kind) {
    case ControlKind::CheckBox:
      SendMessageA(hwnd, BM_SETSTYLE, s.value == 2 ? BS_3STATE : BS_CHECKBOX, FALSE);
      SendMessageA(hwnd, BM_SETCHECK,
                   s.value == 0   ? BST_UNCHECKED
                   : s.value == 2 ? BST_INDETERMINATE
                                  : BST_CHECKED,
                   0);
      break;
    case ControlKind::OptionButton:
      SendMessageA(hwnd, BM_SETCHECK, s.value != 0 ? BST_CHECKED : BST_UNCHECKED, 0);
      break;
    case ControlKind::Button: {
      // The button keeps its image only while it has the bitmap style.
      HBITMAP glyph = pictures_->bitmap(s.picture);
      const LONG_PTR style = GetWindowLongPtrA(hwnd, GWL_STYLE);
      if (glyph != nullptr) {
        SetWindowLongPtrA(hwnd, GWL_STYLE, style | BS_BITMAP);
        SendMessageA(hwnd, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(glyph));
      } else {
        SendMessageA(hwnd, BM_SETIMAGE, IMAGE_BITMAP, 0);
        SetWindowLongPtrA(hwnd, GWL_STYLE, style & ~static_cast<LONG_PTR>(BS_BITMAP));
      }
      break;
    }
    case ControlKind::PictureBox:
    case ControlKind::Image:
    case ControlKind::Frame:
      record.picture = pictures_->bitmap(s.picture);
      break;
    default:
      break;
  }
  if (oldTip != s.tooltip) updateTooltip(record, oldTip.empty());
  ShowWindow(hwnd, s.visible ? SW_SHOWNA : SW_HIDE);
  InvalidateRect(hwnd, nullptr, TRUE);
  if (ringed) invalidateRing(hwnd);
}

void Win32Host::controlChanged(Control& control, toolkit::Property p) {
  if (control.kind() == ControlKind::Line) {
    for (auto& [form, record] : forms_) {
      if (form != &control.form()) continue;
      buildBackground(*record);
      InvalidateRect(record->hwnd, nullptr, FALSE);
    }
    return;
  }
  if (p == toolkit::Property::Interval) return;
  const auto it = controls_.find(&control);
  if (it == controls_.end()) return;
  apply(*it->second);
  // What a screen reader hears changed: its name, or the part the keys are on.
  HWND hwnd = it->second->hwnd;
  if (p == toolkit::Property::FocusedPart && control.hasFocus() && control.focusedPart() >= 0) {
    accessibility_.notify(EVENT_OBJECT_NAMECHANGE, hwnd, CHILDID_SELF);
    accessibility_.notify(EVENT_OBJECT_FOCUS, hwnd, control.focusedPart() + 1);
  } else if (p == toolkit::Property::Accessible ||
             (p == toolkit::Property::Caption && control.role() == toolkit::AccessRole::ReadOut)) {
    accessibility_.notify(EVENT_OBJECT_NAMECHANGE, hwnd, CHILDID_SELF);
    accessibility_.notify(EVENT_OBJECT_DESCRIPTIONCHANGE, hwnd, CHILDID_SELF);
  } else if (p == toolkit::Property::Value) {
    accessibility_.notify(EVENT_OBJECT_STATECHANGE, hwnd, CHILDID_SELF);
  }
}

void Win32Host::controlDestroyed(Control& control) {
  if (const auto it = controls_.find(&control); it != controls_.end()) {
    ControlRecord* record = it->second;
    controls_.erase(it);
    controlWindows_.erase(record->hwnd);
    record->control = nullptr;
    ShowWindow(record->hwnd, SW_HIDE);
  }
  if (control.kind() == ControlKind::Timer) forgetTimer(static_cast<toolkit::Timer&>(control));
  dropTray(&control);
}

void Win32Host::userClicked(Control& control) {
  if (quitting_ || applying_ > 0) return;
  control.userClick();
  // The model decides what a box shows after a click, changed or not.
  if (quitting_) return;
  if (const auto it = controls_.find(&control); it != controls_.end()) apply(*it->second);
}

// ---- notifications a parent gets from its children ----

bool Win32Host::childNotification(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_COMMAND: {
      ControlRecord* r = controlRecord(reinterpret_cast<HWND>(lParam));
      if (r == nullptr || r->control == nullptr) return false;
      // A radio button given the focus by the keyboard (Tab, a window's
      // reactivation) reports a click it never had.
      const bool fromFocus = r->kind == ControlKind::OptionButton && r->hwnd == focusing_;
      if (HIWORD(wParam) == BN_CLICKED && !fromFocus &&
          (r->kind == ControlKind::CheckBox || r->kind == ControlKind::OptionButton ||
           r->kind == ControlKind::Button)) {
        userClicked(*r->control);
      }
      result = 0;
      return true;
    }
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      ControlRecord* r = controlRecord(item->hwndItem);
      if (r == nullptr) return false;
      paintControl(*r, item->hDC);
      result = TRUE;
      return true;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      ControlRecord* r = controlRecord(reinterpret_cast<HWND>(lParam));
      if (r == nullptr) return false;
      HDC dc = reinterpret_cast<HDC>(wParam);
      const COLORREF background = colour(r->shown.background);
      SetTextColor(dc, colour(r->shown.foreground));
      SetBkColor(dc, background);
      result = reinterpret_cast<LRESULT>(brush(background));
      return true;
    }
    default:
      return false;
  }
}

// ---- labels, picture boxes, images and frames ----

LRESULT Win32Host::controlMessage(ControlRecord& record, UINT message, WPARAM wParam,
                                  LPARAM lParam) {
  ScopedCount busy(callbackDepth_);
  HWND hwnd = record.hwnd;
  const bool label = record.kind == ControlKind::Label;
  LRESULT result = 0;
  if (!label && childNotification(message, wParam, lParam, result)) return result;
  switch (message) {
    case WM_GETOBJECT:
      if (accessibleObject(hwnd, wParam, lParam, result)) return result;
      break;
    case WM_SETFOCUS:
      windowFocused(record);
      break;
    case WM_NCHITTEST:
      // An image that takes no mouse input leaves it to what lies beneath.
      return record.shown.mouseInput ? HTCLIENT : HTTRANSPARENT;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      if (label) break;
      {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        paintControl(record, dc);
        EndPaint(hwnd, &ps);
      }
      return 0;
    case WM_SETCURSOR:
      if (!record.shown.cursor.empty() && LOWORD(lParam) == HTCLIENT) {
        SetCursor(pictures_->cursor(record.shown.cursor));
        return TRUE;
      }
      break;
    case WM_MOUSEMOVE:
      // A shell that knows the keyboard follows the right button's release
      // with WM_CONTEXTMENU: the press would open the menu a second time.
      if (LOWORD(lParam) == WM_RBUTTONDOWN && record.control != nullptr &&
          trayKnowsKeys(*record.control)) {
        return 0;
      }
      if (!quitting_ && record.control != nullptr) {
        // The tray's messages reach the receiver this way too: x is the message number.
        record.control->userMouseMove(
            static_cast<short>(LOWORD(lParam)) * static_cast<double>(twipsPerPixelX()),
            static_cast<short>(HIWORD(lParam)) * static_cast<double>(twipsPerPixelY()));
      }
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      record.pressed = true;
      SetCapture(hwnd);
      return 0;
    case WM_LBUTTONUP: {
      if (!record.pressed) return 0;
      record.pressed = false;
      ReleaseCapture();
      RECT client;
      GetClientRect(hwnd, &client);
      const POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      if (PtInRect(&client, p) && record.control != nullptr) userClicked(*record.control);
      return 0;
    }
    case WM_CAPTURECHANGED:
      record.pressed = false;
      return 0;
    default:
      break;
  }
  if (label) return CallWindowProcA(record.baseProcedure, hwnd, message, wParam, lParam);
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace vodivuri::win32
