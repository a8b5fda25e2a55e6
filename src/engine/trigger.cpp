#include "engine/trigger.hpp"

namespace vodivuri::engine {

namespace {

bool sameMinute(const toolkit::DateTime& a, const toolkit::DateTime& b) {
  return a.date == b.date && a.hour == b.hour && a.minute == b.minute;
}

void takeAction(const TriggerInputs& in, const ProgramState& state, PowerActions& power) {
  PowerAction action;
  if (in.shutdown == 1)
    action = PowerAction::PowerOff;
  else if (in.restart == 1)
    action = PowerAction::Restart;
  else if (in.endSession == 1)
    action = PowerAction::EndSession;
  else
    return;
  if (state.ForceFlag != kTrue && state.ForceFlag != kFalse) return;
  power.Request(action, state.WindowsVersion, state.ForceFlag);
}

}  // namespace

void TriggerCheck(const TriggerInputs& in, const ProgramState& state, PowerActions& power,
                  const toolkit::DateTime& now) {
  // A restart or log-in that brings the program back within the scheduled
  // minute must not fire the same action again.
  if (sameMinute(now, state.StartedAt)) return;
  // A stored time that could not be read holds no time: nothing may fire.
  if (state.ScheduledHourText.size() != 2 || state.ScheduledMinuteText.size() != 2) return;
  const std::string timeNow = toolkit::formatDateTime(now, "hh:mm");
  const std::string scheduled = state.ScheduledHourText + ":" + state.ScheduledMinuteText;
  if (in.everyDay && timeNow == scheduled) takeAction(in, state, power);
  if (in.oneDate && toolkit::formatDateTime(now, "dd/mm/yyyy") == state.ScheduledDateText &&
      timeNow == scheduled) {
    takeAction(in, state, power);
  }
}

}  // namespace vodivuri::engine
