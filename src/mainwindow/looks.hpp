// The looks the main window's controls share: white bold captions over the
// painted background, bare boxes, black arrow buttons.
#pragma once

#include <string>

#include "toolkit/control.hpp"

namespace vodivuri::mainwindow::looks {

using toolkit::ControlState;
using toolkit::Rect;

inline const toolkit::Font kWords{"MS Sans Serif", 9.75, true};
inline const toolkit::Font kSmall{"MS Sans Serif", 8.25, true};

// A white caption whose background lets the painting show through.
inline ControlState caption(std::string text, Rect r, bool enabled = true) {
  return {.rect = r,
          .caption = std::move(text),
          .enabled = enabled,
          .foreground = toolkit::kWhite,
          .transparent = true,
          .font = kWords};
}

inline ControlState sizedCaption(std::string text, Rect r, bool enabled = true) {
  ControlState s = caption(std::move(text), r, enabled);
  s.autoSize = true;
  return s;
}

inline ControlState centred(std::string text, Rect r, const toolkit::Font& font = kWords,
                            bool border = false) {
  ControlState s = caption(std::move(text), r);
  s.alignment = toolkit::Alignment::Centre;
  s.font = font;
  s.border = border;
  return s;
}

// A check box without text of its own.
inline ControlState box(Rect r) {
  return {.rect = r, .font = kSmall};
}

// An option button without text, on the dark blue of the date panel.
inline ControlState option(Rect r, bool selected) {
  return {.rect = r,
          .enabled = false,
          .value = selected ? 1 : 0,
          .foreground = toolkit::kWhite,
          .background = toolkit::Colour::rgb(0, 0, 192),
          .font = kSmall};
}

// A button showing an arrow glyph on black.
inline ControlState arrow(Rect r, const char* glyph) {
  return {.rect = r, .enabled = false, .picture = glyph, .background = toolkit::kBlack};
}

// The same looks with what a screen reader says about the control.
inline ControlState named(ControlState s, std::string name,
                          toolkit::AccessRole role = toolkit::AccessRole::Default) {
  s.accessibleName = std::move(name);
  s.role = role;
  return s;
}

// A caption that a control beside it already names: left out for screen readers.
inline ControlState silent(ControlState s) {
  s.role = toolkit::AccessRole::None;
  return s;
}

inline constexpr const char* kUpArrow = "arrow_up.bmp";
inline constexpr const char* kDownArrow = "arrow_down.bmp";
inline constexpr toolkit::Colour kFrameLine = toolkit::kWhite;
inline constexpr toolkit::Colour kDateBoxLine = toolkit::Colour::rgb(64, 64, 64);

}  // namespace vodivuri::mainwindow::looks
