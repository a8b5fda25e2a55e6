// The focus indicator: a ring two pixels wide in the core's ring colour for
// what lies beneath it, around the focused control where the form has room
// for it, inside the control where it has not, around a toolbar's part.
#include <algorithm>

#include "frontend/win32/gdi.hpp"
#include "frontend/win32/pictures.hpp"
#include "frontend/win32/records.hpp"
#include "frontend/win32/win32_host.hpp"
#include "platform/win32/optional_api.hpp"
#include "toolkit/accessible.hpp"

namespace vodivuri::win32 {

using toolkit::ControlKind;

namespace {

constexpr int kRingWidth = kFocusRingWidth;

bool isButtonKind(ControlKind kind) {
  return kind == ControlKind::CheckBox || kind == ControlKind::OptionButton ||
         kind == ControlKind::Button;
}

// GetPixel, which no export list shows on Windows 95: looked up, and where
// it is missing the ring takes the colour the model gives the control.
using PixelReader = COLORREF(WINAPI*)(HDC, int, int);
PixelReader pixelReader() {
  static const auto read = platform::win32::optionalFunction<PixelReader>("gdi32.dll", "GetPixel");
  return read;
}

// The core's ring colour for the mean of a few dozen pixels of `line` in `source`.
COLORREF ringColourOver(HDC source, const RECT& line, COLORREF fallback) {
  unsigned long red = 0, green = 0, blue = 0, n = 0;
  const PixelReader read = pixelReader();
  constexpr int kSteps = 24;
  for (int i = 0; i <= kSteps; ++i) {
    const int x = line.left + (line.right - 1 - line.left) * i / kSteps;
    const int y = line.top + (line.bottom - 1 - line.top) * i / kSteps;
    const COLORREF c = read != nullptr ? read(source, x, y) : fallback;
    if (c == CLR_INVALID) continue;
    red += GetRValue(c);
    green += GetGValue(c);
    blue += GetBValue(c);
    ++n;
  }
  if (n == 0) return RGB(0, 0, 0);
  const toolkit::Colour ring = toolkit::focusRingColour(static_cast<std::uint8_t>(red / n),
                                                        static_cast<std::uint8_t>(green / n),
                                                        static_cast<std::uint8_t>(blue / n));
  return RGB(ring.r, ring.g, ring.b);
}

// The ring in the outer band of `r`, one line of pixels at a time, each in
// the colour that stands out against what lies beneath that line (a raised
// edge is light above and dark below). `colours`, when given, keeps the
// choices of an earlier drawing over the same pixels.
void drawRing(HDC dc, const RECT& r, HDC source, COLORREF fallback, COLORREF* colours) {
  int n = 0;
  for (int i = 0; i < kRingWidth; ++i) {
    const RECT lines[4] = {{r.left + i, r.top + i, r.right - i, r.top + i + 1},
                           {r.left + i, r.bottom - i - 1, r.right - i, r.bottom - i},
                           {r.left + i, r.top + i, r.left + i + 1, r.bottom - i},
                           {r.right - i - 1, r.top + i, r.right - i, r.bottom - i}};
    for (const RECT& line : lines) {
      const bool known = colours != nullptr && colours[n] != CLR_INVALID;
      const COLORREF c = known ? colours[n] : ringColourOver(source, line, fallback);
      if (colours != nullptr) colours[n] = c;
      ++n;
      if (line.right <= line.left || line.bottom <= line.top) continue;
      HBRUSH brush = CreateSolidBrush(c);
      FillRect(dc, &line, brush);
      DeleteObject(brush);
    }
  }
}

}  // namespace

// Whether `area` (parent coordinates) lies in the parent and over no other
// visible control of it: a ring drawn there by the parent is seen whole.
bool Win32Host::roomAround(const ControlRecord& record, const RECT& area) const {
  HWND parent = GetParent(record.hwnd);
  RECT client;
  GetClientRect(parent, &client);
  if (area.left < 0 || area.top < 0 || area.right > client.right || area.bottom > client.bottom) {
    return false;
  }
  const FormRecord* form = formRecord(parent);
  if (form == nullptr) return false;
  for (const auto& other : form->controls) {
    if (other.get() == &record || GetParent(other->hwnd) != parent ||
        !IsWindowVisible(other->hwnd)) {
      continue;
    }
    RECT r, overlap;
    GetWindowRect(other->hwnd, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    if (intersect(overlap, r, area)) return false;
  }
  return true;
}

bool Win32Host::showsRing(const ControlRecord& record) const {
  return record.control != nullptr && record.control->hasFocus() &&
         record.control->form().loaded() && IsWindowVisible(record.hwnd);
}

// Where the ring of a control goes: `canvas` draws it in `rect` (its own
// client coordinates), the ring taking the rectangle's outer two pixels.
Win32Host::RingPlace Win32Host::ringPlace(const ControlRecord& record) const {
  RingPlace place{record.hwnd, {0, 0, 0, 0}, false};
  GetClientRect(record.hwnd, &place.rect);
  const toolkit::Control* c = record.control;
  if (c != nullptr && !c->parts().empty() && c->focusedPart() >= 0) {
    const toolkit::Rect& part = c->parts()[static_cast<std::size_t>(c->focusedPart())].rect;
    RECT around{toPixelsX(part.left) - kRingWidth, toPixelsY(part.top) - kRingWidth,
                toPixelsX(part.left + part.width) + kRingWidth,
                toPixelsY(part.top + part.height) + kRingWidth};
    RECT client = place.rect;
    intersect(place.rect, around, client);
    return place;
  }
  if (isButtonKind(record.kind)) {
    RECT outside;
    GetWindowRect(record.hwnd, &outside);
    HWND parent = GetParent(record.hwnd);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&outside), 2);
    InflateRect(&outside, kRingWidth, kRingWidth);
    if (roomAround(record, outside)) return {parent, outside, true};
    // Inside the button's raised edge, over its face.
    InflateRect(&place.rect, -kRingWidth, -kRingWidth);
    return place;
  }
  if (record.shown.border) InflateRect(&place.rect, -1, -1);
  // Only what the form shows of the control: a text may reach past its edge.
  RECT shown;
  HWND parent = GetParent(record.hwnd);
  GetClientRect(parent, &shown);
  MapWindowPoints(parent, record.hwnd, reinterpret_cast<POINT*>(&shown), 2);
  const RECT inside = place.rect;
  intersect(place.rect, inside, shown);
  return place;
}

// The ring's band is painted again: where it was and where it goes.
void Win32Host::invalidateRing(HWND control) {
  ControlRecord* record = controlRecord(control);
  if (record == nullptr) return;
  const RingPlace place = ringPlace(*record);
  if (place.outside) {
    InvalidateRect(place.canvas, &place.rect, FALSE);
  } else {
    InvalidateRect(control, nullptr, FALSE);
  }
}

void Win32Host::moveRing(FormRecord& record) {
  const toolkit::Control* focused = record.form->focus();
  HWND now = focused != nullptr ? windowOf(*focused) : nullptr;
  if (record.ringWindow == now) return;
  HWND old = record.ringWindow;
  record.ringWindow = now;
  for (HWND w : {old, now}) {
    if (ControlRecord* r = controlRecord(w)) {
      for (COLORREF& c : r->ringColours) c = CLR_INVALID;
      invalidateRing(w);
    }
  }
}

// The form's part of the rings: around its focused button, over its background.
void Win32Host::paintOutsideRing(FormRecord& record, HDC dc) {
  ControlRecord* focused = controlRecord(record.ringWindow);
  if (focused == nullptr || !showsRing(*focused) || record.background == nullptr) return;
  const RingPlace place = ringPlace(*focused);
  if (!place.outside || place.canvas != record.hwnd) return;
  MemoryDc beneath(dc, record.background);
  drawRing(dc, place.rect, beneath.get(), colour(record.form->layout().background), nullptr);
}

// The ring inside a control the host paints itself (`dc` holds its painting).
void Win32Host::paintInsideRing(ControlRecord& record, HDC dc) {
  if (!showsRing(record)) return;
  const RingPlace place = ringPlace(record);
  if (place.outside) return;
  drawRing(dc, place.rect, dc, colour(record.shown.background), nullptr);
}

// The ring inside a system button, over what it has just painted. Its
// colours are chosen once over the button's face and picture as the model
// has them: what the button shows at a given moment (pressed, its own focus
// marks, half repainted) is no guide.
void Win32Host::redrawInsideRing(ControlRecord& record) {
  if (!showsRing(record)) return;
  const RingPlace place = ringPlace(record);
  if (place.outside) return;
  HDC dc = GetDC(record.hwnd);
  if (dc == nullptr) return;
  if (record.ringColours[0] == CLR_INVALID) {
    RECT client;
    GetClientRect(record.hwnd, &client);
    HBITMAP canvas =
        CreateCompatibleBitmap(dc, std::max(1L, client.right), std::max(1L, client.bottom));
    {
      MemoryDc face(dc, canvas);
      const COLORREF faceColour = record.kind == ControlKind::Button
                                      ? GetSysColor(COLOR_BTNFACE)
                                      : colour(record.shown.background);
      FillRect(face.get(), &client, brush(faceColour));
      if (HBITMAP glyph = pictures_->bitmap(record.shown.picture)) {
        BITMAP info{};
        if (GetObjectA(glyph, sizeof info, &info) != 0) {
          MemoryDc picture(dc, glyph);
          BitBlt(face.get(), (client.right - info.bmWidth) / 2, (client.bottom - info.bmHeight) / 2,
                 info.bmWidth, info.bmHeight, picture.get(), 0, 0, SRCCOPY);
        }
      }
      drawRing(dc, place.rect, face.get(), faceColour, record.ringColours);
    }
    DeleteObject(canvas);
  } else {
    drawRing(dc, place.rect, dc, colour(record.shown.background), record.ringColours);
  }
  ReleaseDC(record.hwnd, dc);
}

}  // namespace vodivuri::win32
