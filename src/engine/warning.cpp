#include "engine/warning.hpp"

namespace vodivuri::engine {

namespace {

toolkit::DateTime startOfMinute(const toolkit::DateTime& t) {
  return {t.date, t.hour, t.minute, 0};
}

toolkit::DateTime nextMinute(const toolkit::DateTime& t) {
  toolkit::DateTime next = startOfMinute(t);
  if (++next.minute < 60) return next;
  next.minute = 0;
  if (++next.hour < 24) return next;
  next.hour = 0;
  next.date = toolkit::fromDayNumber(toolkit::toDayNumber(t.date) + 1);
  return next;
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

std::optional<Warning> DueWarning(const TriggerInputs& in, const ProgramState& state,
                                  const toolkit::DateTime& now,
                                  const std::optional<toolkit::DateTime>& lastWarned) {
  // Started inside this minute: the user has just seen the schedule.
  if (startOfMinute(state.StartedAt) >= startOfMinute(now)) return std::nullopt;
  const toolkit::DateTime firing = nextMinute(now);
  if (lastWarned == firing) return std::nullopt;
  const std::optional<PowerAction> action = TriggerAction(in, state, firing);
  if (!action) return std::nullopt;
  return Warning{firing, kTitle,
                 announcement(*action) + toolkit::formatDateTime(firing, "hh:mm") +
                     ". Para evitarlo, desmarque la acción en la ventana de Vodivuri."};
}

}  // namespace vodivuri::engine
