// The once-a-second trigger check: the selected action when the clock meets
// the schedule.
#pragma once

#include <optional>

#include "engine/power_actions.hpp"
#include "engine/program_state.hpp"
#include "toolkit/dates.hpp"

namespace vodivuri::engine {

// What one tick reads from the main window.
struct TriggerInputs {
  bool everyDay = false;  // opSiempre selected
  bool oneDate = false;   // opSelFecha selected
  int shutdown = 0;       // chApagar value
  int restart = 0;        // chReSist value
  int endSession = 0;     // chReSes value
};

// The action the ticked box stands for; none ticked, none.
std::optional<PowerAction> SelectedAction(const TriggerInputs& in);

// The action a tick at `now` requests, if any: the schedule met, an action
// selected, a version the power rules know, not the minute the program started.
std::optional<PowerAction> TriggerAction(const TriggerInputs& in, const ProgramState& state,
                                         const toolkit::DateTime& now);

// How long the trigger may sleep after a check that found `requested`, while
// nothing else wakes the program: a second inside a minute that fires, else to
// the start of the next minute (the only moments a warning or a firing can
// begin).
inline constexpr int kBusyCheckMs = 1000;
inline constexpr int kQuietCheckMs = 60000;
inline int TriggerPace(const std::optional<PowerAction>& requested) {
  return requested ? kBusyCheckMs : kQuietCheckMs;
}

// Requests the action a tick at `now` finds, and says which it was.
std::optional<PowerAction> TriggerCheck(const TriggerInputs& in, const ProgramState& state,
                                        PowerActions& power, const toolkit::DateTime& now);

}  // namespace vodivuri::engine
