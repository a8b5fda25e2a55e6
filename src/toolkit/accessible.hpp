// What a screen reader is told about a control: its role, the parts a user
// reaches on their own, and the contrast rules of a focus indicator.
#pragma once

#include <string>

#include "toolkit/looks.hpp"

namespace vodivuri::toolkit {

enum class AccessRole {
  Default,  // the control's kind decides
  None,     // decoration: not in the tree
  Text,
  ReadOut,  // a value with a name: "Hora: 07"
  Link,
  PushButton,
  CheckBox,
  RadioButton,
  Graphic,
  ToolBar,
  Table,
  Cell,
  ColumnHeader,
};

// A part of a control that takes the focus on its own, as a toolbar's button
// does; its rectangle in twips of the control.
struct ControlPart {
  std::string name;
  std::string description;
  Rect rect;
  friend bool operator==(const ControlPart&, const ControlPart&) = default;
};

// The WCAG contrast ratio of two sRGB colours (1 to 21).
double contrastRatio(std::uint8_t r1, std::uint8_t g1, std::uint8_t b1, std::uint8_t r2,
                     std::uint8_t g2, std::uint8_t b2);

// The colour of a focus indicator drawn over `background`: black or white,
// whichever stands out more (never below 4.5:1).
Colour focusRingColour(std::uint8_t r, std::uint8_t g, std::uint8_t b);

}  // namespace vodivuri::toolkit
