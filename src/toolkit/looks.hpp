// Places, colours and fonts of controls, in the units the layouts use (twips).
#pragma once

#include <cstdint>
#include <string>

namespace vodivuri::toolkit {

// 1440 twips to the inch; 15 to a pixel at 96 dots per inch.
struct Rect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
};

// The system colours the windows follow, by their Windows index.
enum class SystemColour : int {
  ButtonFace = 15,
  ButtonText = 18,
  Window = 5,
  WindowText = 8,
  Highlight = 13,
  HighlightText = 14,
};

// Either an RGB triple or a system colour of the user's scheme.
struct Colour {
  bool isSystem = false;
  std::uint8_t r = 0, g = 0, b = 0;
  SystemColour system = SystemColour::ButtonFace;

  static constexpr Colour rgb(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    return Colour{false, red, green, blue, SystemColour::ButtonFace};
  }
  static constexpr Colour of(SystemColour s) { return Colour{true, 0, 0, 0, s}; }
  friend bool operator==(const Colour&, const Colour&) = default;
};

inline constexpr Colour kWhite = Colour::rgb(255, 255, 255);
inline constexpr Colour kBlack = Colour::rgb(0, 0, 0);

struct Font {
  std::string name = "MS Sans Serif";
  double points = 8.25;
  bool bold = false;
  friend bool operator==(const Font&, const Font&) = default;
};

enum class Alignment { Left, Centre, Right };

}  // namespace vodivuri::toolkit
