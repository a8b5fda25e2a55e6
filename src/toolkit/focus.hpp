// The keyboard's way through a form: its tab stops, the option buttons being
// one stop (the selected one), and the arrow keys' way inside that group.
#pragma once

#include <vector>

#include "toolkit/form.hpp"

namespace vodivuri::toolkit {

// The controls Tab visits, in the form's tab order: only those a user can
// reach now, and of the option buttons only the selected one (the first
// reachable one of the group while none is), standing where the group begins.
std::vector<Control*> tabStops(const Form& form);

// The stop after `from` (before it, backwards), wrapping; the first stop when
// `from` is none of them (a click put the focus elsewhere, or nothing has it);
// from a control that has left the stops, the stop after its place.
// Null when the form has no stop.
Control* nextTabStop(const Form& form, const Control* from, bool backwards);

// The reachable option button after `from` in the tab order (before it,
// backwards), wrapping; null when `from` is no reachable option button or the
// group has no other.
OptionButton* neighbourOption(const Form& form, const Control& from, bool backwards);

}  // namespace vodivuri::toolkit
