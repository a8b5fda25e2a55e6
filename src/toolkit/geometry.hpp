// What every host computes alike: twips to pixels, a window's client size
// from its outer size, the gradient's bands and the popup menu's tree.
#pragma once

#include <string>
#include <vector>

#include "toolkit/control.hpp"
#include "toolkit/form.hpp"

namespace vodivuri::toolkit {

// Twips to whole pixels, to the nearest (halves away from zero).
int twipsToPixels(int twips, int twipsPerPixel);

// The twips per pixel of a screen of the given dots per inch (15 at 96, 12 at 120).
int twipsPerPixelFor(double dotsPerInch);

struct PixelSize {
  int width = 0;
  int height = 0;
  friend bool operator==(const PixelSize&, const PixelSize&) = default;
};

// A window's place in pixels: outer left, top, width and height.
struct PixelRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

// The window moved the least so that it lies within `area` (a screen's work
// area); one larger than the area keeps its top-left corner inside it, so its
// caption can still be reached.
PixelRect keepInside(PixelRect window, PixelRect area);

// The non-client parts of a fixed window at 96 dots per inch, the same on
// every platform: what AdjustWindowRect gives on classic Windows for a window
// with a caption, a system menu and a fixed frame.
struct FrameMetrics {
  int left = 3;
  int right = 3;
  int top = 22;  // caption and frame
  int bottom = 3;
};
FrameMetrics frameMetrics(Border border);

// The client area left inside an outer size given in pixels (never below 1).
PixelSize clientForOuter(Border border, PixelSize outer);

// One of the 256 bands of the blue gradient: rows [top, bottom) of a client
// area `clientHeight` pixels high, filled with RGB(0, 0, blue).
struct GradientBand {
  int top = 0;
  int bottom = 0;
  int blue = 0;
};
std::vector<GradientBand> gradientBands(int clientHeight);

// A popup menu as both hosts build it: visible entries only, in display order.
struct MenuNode {
  MenuEntry* entry = nullptr;
  std::string caption;
  bool isSeparator = false;
  bool enabled = true;
  bool checked = false;
  bool isDefault = false;
  std::vector<MenuNode> children;  // a submenu when not empty
  bool separator() const { return isSeparator; }
};
std::vector<MenuNode> menuTree(MenuEntry& root, const MenuEntry* defaultEntry);

}  // namespace vodivuri::toolkit
