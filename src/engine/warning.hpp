// The notice a minute before a scheduled action: which firing it is for, and
// what it says.
#pragma once

#include <optional>
#include <string>

#include "engine/trigger.hpp"

namespace vodivuri::engine {

struct Warning {
  toolkit::DateTime firing;  // the minute the action will be requested in
  std::string title;
  std::string text;
};

// The warning due at `now`: the trigger will act in the next minute, the
// program ran before this minute began, and `lastWarned` is another firing.
std::optional<Warning> DueWarning(const TriggerInputs& in, const ProgramState& state,
                                  const toolkit::DateTime& now,
                                  const std::optional<toolkit::DateTime>& lastWarned);

}  // namespace vodivuri::engine
