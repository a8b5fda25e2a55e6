// The notices ten minutes and a minute before a scheduled action: which
// firing each is for, and what it says.
#pragma once

#include <optional>
#include <string>

#include "engine/trigger.hpp"

namespace vodivuri::engine {

// How long before the action each warning comes, in minutes, earliest first.
inline constexpr int kWarningLeads[] = {10, 1};

struct Warning {
  toolkit::DateTime firing;  // the minute the action will be requested in
  toolkit::DateTime minute;  // the minute this warning belongs to: one each
  std::string title;
  std::string text;
};

// The warning due at `now`: the trigger will act ten minutes or one minute
// after the minute now begun, the program ran before that minute began, and
// `lastWarned` is another warning's minute.
std::optional<Warning> DueWarning(const TriggerInputs& in, const ProgramState& state,
                                  const toolkit::DateTime& now,
                                  const std::optional<toolkit::DateTime>& lastWarned);

// The minute `minutes` (none or more) after the one `t` is in.
toolkit::DateTime minutesLater(const toolkit::DateTime& t, int minutes);

}  // namespace vodivuri::engine
