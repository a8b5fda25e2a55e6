#include "engine/warning.hpp"

namespace vodivuri::engine {

namespace {

toolkit::DateTime startOfMinute(const toolkit::DateTime& t) {
  return {t.date, t.hour, t.minute, 0};
}


const char* announcement(PowerAction action) {
  switch (action) {
    case PowerAction::PowerOff:
      return "El sistema se apagará a las ";
    case PowerAction::Restart:
      return "El sistema se reiniciará a las ";
    case PowerAction::EndSession:
      break;
  }
  return "La sesión se cerrará a las ";
}

}  // namespace

toolkit::DateTime minutesLater(const toolkit::DateTime& t, int minutes) {
  const int total = t.hour * 60 + t.minute + minutes;  // minutes >= 0
  return {toolkit::addDays(t.date, total / 1440), total % 1440 / 60, total % 60, 0};
}

std::optional<Warning> DueWarning(const TriggerInputs& in, const ProgramState& state,
                                  const toolkit::DateTime& now,
                                  const std::optional<toolkit::DateTime>& lastWarned) {
  const toolkit::DateTime minute = startOfMinute(now);
  // Started inside this minute: the user has just seen the schedule.
  if (startOfMinute(state.StartedAt) >= minute || lastWarned == minute) return std::nullopt;
  for (const int lead : kWarningLeads) {
    const toolkit::DateTime firing = minutesLater(now, lead);
    const std::optional<PowerAction> action = TriggerAction(in, state, firing);
    if (!action) continue;
    return Warning{firing, minute, kTitle,
                   announcement(*action) + toolkit::formatDateTime(firing, "hh:mm") +
                       ". Para evitarlo, desmarque la acción en la ventana de Vodivuri."};
  }
  return std::nullopt;
}

}  // namespace vodivuri::engine
