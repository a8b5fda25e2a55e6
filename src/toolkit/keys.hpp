// The keys the windows act on, as every host reports them.
#pragma once

namespace vodivuri::toolkit {

enum class Key { Tab, Return, Space, Escape, Left, Right, Up, Down, PageUp, PageDown, Home, End };

struct KeyPress {
  Key key = Key::Escape;
  bool shift = false;
  bool ctrl = false;
};

}  // namespace vodivuri::toolkit
