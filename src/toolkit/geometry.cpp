#include "toolkit/geometry.hpp"

#include <algorithm>
#include <cmath>

namespace vodivuri::toolkit {

int twipsToPixels(int twips, int twipsPerPixel) {
  if (twipsPerPixel <= 0) twipsPerPixel = 15;
  return static_cast<int>(std::lround(static_cast<double>(twips) / twipsPerPixel));
}

int twipsPerPixelFor(double dotsPerInch) {
  if (!(dotsPerInch > 0)) return 15;
  return std::max(1, static_cast<int>(std::lround(1440.0 / dotsPerInch)));
}

FrameMetrics frameMetrics(Border border) {
  // A dialog frame and a fixed single border with a caption measure the same
  // on classic Windows: 3-pixel edges and a 19-pixel caption.
  switch (border) {
    case Border::FixedDialog:
    case Border::FixedSingle:
      break;
  }
  return FrameMetrics{};
}

PixelSize clientForOuter(Border border, PixelSize outer) {
  const FrameMetrics f = frameMetrics(border);
  return PixelSize{std::max(1, outer.width - f.left - f.right),
                   std::max(1, outer.height - f.top - f.bottom)};
}

std::vector<GradientBand> gradientBands(int clientHeight) {
  std::vector<GradientBand> bands;
  if (clientHeight <= 0) return bands;
  bands.reserve(256);
  // The height divided into 512 units, two units a band.
  for (int k = 0; k < 256; ++k) {
    const int top = k * clientHeight / 256;
    const int bottom = (k + 1) * clientHeight / 256;
    if (bottom > top) bands.push_back(GradientBand{top, bottom, k});
  }
  return bands;
}

std::vector<MenuNode> menuTree(MenuEntry& root, const MenuEntry* defaultEntry) {
  std::vector<MenuNode> nodes;
  for (MenuEntry* entry : root.entries()) {
    if (!entry->visible()) continue;
    if (entry->isSeparator()) {
      nodes.push_back(MenuNode{.entry = entry, .isSeparator = true});
      continue;
    }
    MenuNode node;
    node.entry = entry;
    node.caption = entry->caption();
    node.enabled = entry->enabled();
    node.checked = entry->checked();
    node.isDefault = entry == defaultEntry;
    if (!entry->entries().empty()) node.children = menuTree(*entry, defaultEntry);
    nodes.push_back(std::move(node));
  }
  return nodes;
}

PixelRect keepInside(PixelRect window, PixelRect area) {
  const auto clamp = [](int at, int size, int start, int length) {
    if (at + size > start + length) at = start + length - size;
    return at < start ? start : at;
  };
  window.left = clamp(window.left, window.width, area.left, area.width);
  window.top = clamp(window.top, window.height, area.top, area.height);
  return window;
}

}  // namespace vodivuri::toolkit
