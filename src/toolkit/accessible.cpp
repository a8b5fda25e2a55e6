#include "toolkit/accessible.hpp"

#include <algorithm>
#include <cmath>

namespace vodivuri::toolkit {

namespace {

double channel(std::uint8_t c) {
  const double v = c / 255.0;
  return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

double luminance(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return 0.2126 * channel(r) + 0.7152 * channel(g) + 0.0722 * channel(b);
}

}  // namespace

double contrastRatio(std::uint8_t r1, std::uint8_t g1, std::uint8_t b1, std::uint8_t r2,
                     std::uint8_t g2, std::uint8_t b2) {
  const double a = luminance(r1, g1, b1), b = luminance(r2, g2, b2);
  return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

Colour focusRingColour(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return contrastRatio(r, g, b, 0, 0, 0) >= contrastRatio(r, g, b, 255, 255, 255) ? kBlack : kWhite;
}

}  // namespace vodivuri::toolkit
