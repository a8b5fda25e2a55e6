// Where the information windows open, looked up by the screen width in pixels.
#pragma once

#include <span>

#include "toolkit/form.hpp"

namespace vodivuri::info {

struct ScreenPlace {
  int screenWidth;  // pixels
  int left;         // twips
  int top;          // twips
};

// Moves `form` to the place listed for `screenWidth`; any other width leaves
// the place to the platform.
void placeByScreenWidth(toolkit::Form& form, int screenWidth, std::span<const ScreenPlace> places);

}  // namespace vodivuri::info
