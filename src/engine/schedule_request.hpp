// A schedule asked for from the command line (schedule, cancel, ask what is
// scheduled), read from the words a user typed; the window carries it out.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/power_actions.hpp"
#include "engine/settings_store.hpp"
#include "toolkit/dates.hpp"

namespace vodivuri::engine {

struct ScheduleRequest {
  enum class Kind { Schedule, Cancel, Status };
  Kind kind = Kind::Status;
  PowerAction action = PowerAction::PowerOff;
  // The clock time, or, with inMinutes, that many minutes from now.
  int hour = 0;
  int minute = 0;
  std::optional<int> inMinutes;
  std::optional<toolkit::Date> date;  // one date
  bool everyDay = false;              // neither: the next time the clock shows hour:minute
  bool force = false;
  friend bool operator==(const ScheduleRequest&, const ScheduleRequest&) = default;
};

// What the words ask for; `error` is one line in Spanish when they cannot be
// carried out as typed.
struct ParsedRequest {
  std::optional<ScheduleRequest> request;
  std::string error;
};

// The schedule options among `words` (other options are the caller's: they
// are left in `rest`, in order). No schedule option at all: no request.
ParsedRequest parseScheduleRequest(const std::vector<std::string>& words,
                                   std::vector<std::string>& rest);

// The words that ask for `request` again, for another copy of the program.
std::vector<std::string> requestWords(const ScheduleRequest& request);

// What is scheduled, as the window or the stored settings hold it.
struct ScheduleFacts {
  std::optional<PowerAction> action;  // none: nothing armed
  std::string hour, minute;           // "hh", "mm" as shown
  bool everyDay = false;
  std::string dateText;  // "dd/mm/yyyy"
  bool forced = false;
};

// "Programado: apagar el sistema a las 23:45, el jueves, 24 de diciembre de
// 2026, forzado"; empty when nothing is armed.
std::string describeSchedule(const ScheduleFacts& facts);

// The facts as the stored settings hold them, for a question asked while no
// copy runs.
ScheduleFacts storedSchedule(SettingsStore& store);

// The options, as the usage text lists them.
extern const char* const kScheduleUsage;

}  // namespace vodivuri::engine
