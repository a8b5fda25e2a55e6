#include "engine/trigger.hpp"

namespace vodivuri::engine {

namespace {

bool sameMinute(const toolkit::DateTime& a, const toolkit::DateTime& b) {
  return a.date == b.date && a.hour == b.hour && a.minute == b.minute;
}

}  // namespace

std::optional<PowerAction> SelectedAction(const TriggerInputs& in) {
  if (in.shutdown == 1) return PowerAction::PowerOff;
  if (in.restart == 1) return PowerAction::Restart;
  if (in.endSession == 1) return PowerAction::EndSession;
  return std::nullopt;
}

std::optional<PowerAction> TriggerAction(const TriggerInputs& in, const ProgramState& state,
                                         const toolkit::DateTime& now) {
  // A restart or log-in that brings the program back within the scheduled
  // minute must not fire the same action again.
  if (sameMinute(now, state.StartedAt)) return std::nullopt;
  // A stored time that could not be read holds no time: nothing may fire.
  if (state.ScheduledHourText.size() != 2 || state.ScheduledMinuteText.size() != 2) {
    return std::nullopt;
  }
  const std::string timeNow = toolkit::formatDateTime(now, "hh:mm");
  const std::string scheduled = state.ScheduledHourText + ":" + state.ScheduledMinuteText;
  if (timeNow != scheduled) return std::nullopt;
  const bool today = in.everyDay || (in.oneDate && toolkit::formatDateTime(now, "dd/mm/yyyy") ==
                                                       state.ScheduledDateText);
  if (!today) return std::nullopt;
  if (state.ForceFlag != kTrue && state.ForceFlag != kFalse) return std::nullopt;
  if (!NtFamily(state.WindowsVersion) && !Win9xFamily(state.WindowsVersion)) return std::nullopt;
  return SelectedAction(in);
}

std::optional<PowerAction> TriggerCheck(const TriggerInputs& in, const ProgramState& state,
                                        PowerActions& power, const toolkit::DateTime& now) {
  const std::optional<PowerAction> action = TriggerAction(in, state, now);
  if (action) power.Request(*action, state.WindowsVersion, state.ForceFlag);
  return action;
}

}  // namespace vodivuri::engine
