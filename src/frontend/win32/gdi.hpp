// What the host's drawing files share: a memory device context holding a
// bitmap, rectangles' overlap and the screen's dots per inch.
#pragma once

#include <windows.h>

namespace vodivuri::win32 {

// A device context holding a bitmap, released however the drawing ends.
class MemoryDc {
 public:
  MemoryDc(HDC like, HBITMAP bitmap) : dc_(CreateCompatibleDC(like)) {
    old_ = dc_ != nullptr ? SelectObject(dc_, bitmap) : nullptr;
  }
  ~MemoryDc() {
    if (dc_ == nullptr) return;
    SelectObject(dc_, old_);
    DeleteDC(dc_);
  }
  MemoryDc(const MemoryDc&) = delete;
  MemoryDc& operator=(const MemoryDc&) = delete;
  HDC get() const { return dc_; }
  bool ok() const { return dc_ != nullptr && old_ != nullptr; }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// The common part of two rectangles, empty when they do not meet; true when
// they do. (IntersectRect is in no export list that shows it on Windows 95.)
inline bool intersect(RECT& out, const RECT& a, const RECT& b) {
  out = {a.left > b.left ? a.left : b.left, a.top > b.top ? a.top : b.top,
         a.right < b.right ? a.right : b.right, a.bottom < b.bottom ? a.bottom : b.bottom};
  if (out.right > out.left && out.bottom > out.top) return true;
  out = {0, 0, 0, 0};
  return false;
}

// The screen's LOGPIXELSX or LOGPIXELSY; 96 where it cannot be read.
inline int screenDotsPerInch(int index) {
  HDC dc = GetDC(nullptr);
  const int dpi = dc != nullptr ? GetDeviceCaps(dc, index) : 96;
  if (dc != nullptr) ReleaseDC(nullptr, dc);
  return dpi > 0 ? dpi : 96;
}

}  // namespace vodivuri::win32
