// The command line of Vodivuri.exe: its options and the texts it answers with.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/schedule_request.hpp"

namespace vodivuri::app::win32 {

struct Options {
  bool simulate = false;
  bool help = false;
  bool version = false;
  std::optional<engine::ScheduleRequest> request;  // a schedule, cancel or question
  std::string error;                               // empty when the command line is valid
};

// `args` are the arguments after the program's name, in UTF-8.
Options parseOptions(const std::vector<std::string>& args);

// What --help shows; `simulateLog` is where --simulate writes.
std::string usageText(const std::string& simulateLog);
// What a bad command line shows before the program ends with status 2.
std::string errorText(const Options& options);
inline constexpr const char* kVersionText = "Vodivuri 1.0";
inline constexpr int kBadUsageStatus = 2;

// The file --simulate writes to: the first folder that is set of the user's
// local application data, the roaming one (Windows before Vista has only
// that) and the program's own folder, with "\Vodivuri\simulate.log" (the
// program folder gets the file name alone).
std::string simulateLogPath(const std::string& localAppData, const std::string& appData,
                            const std::string& programFolder);

}  // namespace vodivuri::app::win32
