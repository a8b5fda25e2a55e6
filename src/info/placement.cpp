#include "info/placement.hpp"

namespace vodivuri::info {

void placeByScreenWidth(toolkit::Form& form, int screenWidth, std::span<const ScreenPlace> places) {
  for (const ScreenPlace& p : places) {
    if (p.screenWidth == screenWidth) {
      form.setLeft(p.left);
      form.setTop(p.top);
      return;
    }
  }
}

}  // namespace vodivuri::info
