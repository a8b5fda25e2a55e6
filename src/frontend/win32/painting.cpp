// Painting: the form's background kept in a persistent memory bitmap
// (gradient or colour, picture, frame lines) and the controls drawn over it,
// transparent labels showing what lies beneath them.
#include <algorithm>
#include <cstdlib>

#include "frontend/win32/gdi.hpp"
#include "frontend/win32/pictures.hpp"
#include "frontend/win32/records.hpp"
#include "frontend/win32/text.hpp"
#include "frontend/win32/win32_host.hpp"
#include "toolkit/geometry.hpp"

namespace vodivuri::win32 {

using toolkit::ControlKind;

namespace {

// The picture cache hands out bitmaps already at the screen's size for their
// twips, so a picture is drawn at its own size: scaling here would stretch it
// again on every paint.
void drawBitmap(HDC dc, HBITMAP bitmap, int x, int y) {
  if (bitmap == nullptr) return;
  BITMAP info{};
  if (GetObjectA(bitmap, sizeof info, &info) == 0) return;
  MemoryDc source(dc, bitmap);
  BitBlt(dc, x, y, info.bmWidth, info.bmHeight, source.get(), 0, 0, SRCCOPY);
}

UINT alignmentFlags(toolkit::Alignment a) {
  switch (a) {
    case toolkit::Alignment::Centre:
      return DT_CENTER;
    case toolkit::Alignment::Right:
      return DT_RIGHT;
    case toolkit::Alignment::Left:
      break;
  }
  return DT_LEFT;
}

}  // namespace

void Win32Host::buildBackground(FormRecord& record) {
  const int w = record.clientWidth;
  const int h = record.clientHeight;
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
  if (bitmap == nullptr) {
    ReleaseDC(nullptr, screen);
    return;
  }
  {
    MemoryDc mem(screen, bitmap);
    const toolkit::FormLayout& layout = record.form->layout();
    if (layout.blueGradient) {
      for (const toolkit::GradientBand& band : toolkit::gradientBands(h)) {
        const RECT r{0, band.top, w, band.bottom};
        FillRect(mem.get(), &r, brush(RGB(0, 0, band.blue)));
      }
    } else {
      const RECT r{0, 0, w, h};
      FillRect(mem.get(), &r, brush(colour(layout.background)));
    }
    drawBitmap(mem.get(), pictures_->bitmap(layout.picture), 0, 0);
    // Frame lines, one pixel wide, from their first point up to their last.
    for (toolkit::Control* c : record.form->controls()) {
      if (c->kind() != ControlKind::Line || !c->visible()) continue;
      const toolkit::Rect& s = c->rect();
      const int x1 = toPixelsX(s.left), y1 = toPixelsY(s.top);
      const int x2 = toPixelsX(s.left + s.width), y2 = toPixelsY(s.top + s.height);
      const COLORREF ink = colour(c->foreground());
      if (x1 == x2 || y1 == y2) {
        const RECT r{std::min(x1, x2), std::min(y1, y2),
                     std::min(x1, x2) + std::max(1, std::abs(x2 - x1)),
                     std::min(y1, y2) + std::max(1, std::abs(y2 - y1))};
        FillRect(mem.get(), &r, brush(ink));
      } else {
        HPEN pen = CreatePen(PS_SOLID, 1, ink);
        HGDIOBJ old = SelectObject(mem.get(), pen);
        MoveToEx(mem.get(), x1, y1, nullptr);
        LineTo(mem.get(), x2, y2);
        SelectObject(mem.get(), old);
        DeleteObject(pen);
      }
    }
  }
  ReleaseDC(nullptr, screen);
  if (record.background != nullptr) DeleteObject(record.background);
  record.background = bitmap;
}

void Win32Host::paintForm(FormRecord& record, HDC dc) {
  if (record.background == nullptr) return;
  {
    MemoryDc source(dc, record.background);
    BitBlt(dc, 0, 0, record.clientWidth, record.clientHeight, source.get(), 0, 0, SRCCOPY);
  }
  paintOutsideRing(record, dc);
}

// What a transparent control lets through: the form's painting, or its
// container's colour and picture.
void Win32Host::paintBeneath(ControlRecord& record, HDC dc) {
  RECT client;
  GetClientRect(record.hwnd, &client);
  HWND parent = GetParent(record.hwnd);
  POINT at{0, 0};
  MapWindowPoints(record.hwnd, parent, &at, 1);
  if (FormRecord* form = formRecord(parent); form != nullptr && form->background != nullptr) {
    MemoryDc source(dc, form->background);
    BitBlt(dc, 0, 0, client.right, client.bottom, source.get(), at.x, at.y, SRCCOPY);
    return;
  }
  if (ControlRecord* box = controlRecord(parent)) {
    FillRect(dc, &client, brush(colour(box->shown.background)));
    drawBitmap(dc, box->picture, -at.x, -at.y);
    return;
  }
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
}

void Win32Host::paintControl(ControlRecord& record, HDC target) {
  RECT client;
  GetClientRect(record.hwnd, &client);
  if (client.right <= 0 || client.bottom <= 0) return;
  // Drawn off screen first, so that nothing flickers.
  HBITMAP canvas = CreateCompatibleBitmap(target, client.right, client.bottom);
  {
    MemoryDc mem(target, canvas);
    HDC dc = mem.get();
    const toolkit::ControlState& s = record.shown;
    switch (record.kind) {
      case ControlKind::Label: {
        if (s.transparent) {
          paintBeneath(record, dc);
        } else {
          FillRect(dc, &client, brush(colour(s.background)));
        }
        RECT text = client;
        if (s.border) {
          FrameRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
          InflateRect(&text, -1, -1);
        }
        // A text the keys reach keeps clear of where its focus ring goes.
        if (record.control != nullptr &&
            std::find(record.control->form().tabOrder.begin(),
                      record.control->form().tabOrder.end(),
                      record.control) != record.control->form().tabOrder.end()) {
          InflateRect(&text, -kFocusRingWidth, -kFocusRingWidth);
        }
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, s.enabled ? colour(s.foreground) : GetSysColor(COLOR_GRAYTEXT));
        HGDIOBJ old = SelectObject(dc, font(s.font));
        const std::string caption = toAnsi(s.caption);
        DrawTextA(dc, caption.c_str(), -1, &text,
                  alignmentFlags(s.alignment) | DT_TOP | DT_WORDBREAK | DT_NOPREFIX);
        SelectObject(dc, old);
        break;
      }
      case ControlKind::Image:
        paintBeneath(record, dc);
        drawBitmap(dc, record.picture, 0, 0);
        break;
      case ControlKind::Frame:
        FillRect(dc, &client, brush(colour(s.background)));
        if (s.border) DrawEdge(dc, &client, EDGE_ETCHED, BF_RECT);
        break;
      default:
        FillRect(dc, &client, brush(colour(s.background)));
        drawBitmap(dc, record.picture, 0, 0);
        if (s.border) DrawEdge(dc, &client, EDGE_SUNKEN, BF_RECT);
        break;
    }
    paintInsideRing(record, dc);
    BitBlt(target, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
  }
  DeleteObject(canvas);
}

}  // namespace vodivuri::win32
