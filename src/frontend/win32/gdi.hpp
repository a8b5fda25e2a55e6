// What the host's drawing files share: a memory device context holding a
// bitmap, and the screen's dots per inch.
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

// The screen's LOGPIXELSX or LOGPIXELSY; 96 where it cannot be read.
inline int screenDotsPerInch(int index) {
  HDC dc = GetDC(nullptr);
  const int dpi = dc != nullptr ? GetDeviceCaps(dc, index) : 96;
  if (dc != nullptr) ReleaseDC(nullptr, dc);
  return dpi > 0 ? dpi : 96;
}

}  // namespace vodivuri::win32
