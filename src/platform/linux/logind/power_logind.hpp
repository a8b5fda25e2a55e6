// Power requests on Linux: logind on the system bus, with the desktop's
// session manager asked first when the request is not forced.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>

#include "platform/power.hpp"
#include "platform/services.hpp"

struct sd_bus;

namespace vodivuri::platform::linux_os {

struct LogindTimeouts {
  // Longest wait for any reply from logind or a bus daemon.
  std::chrono::microseconds call = std::chrono::seconds(5);
  // How long a session manager may take to refuse. GNOME answers Shutdown and
  // Reboot only when the session has ended, so silence means "under way".
  std::chrono::microseconds sessionManager = std::chrono::seconds(2);
};

class LogindPower : public Power {
 public:
  // `clock` tells the minute in which a request is made.
  explicit LogindPower(Clock& clock, LogindTimeouts timeouts = {});

  // logind checks the caller's right itself (polkit) on every request, so
  // there is nothing to enable beforehand.
  void enableShutdownPrivilege() override {}

  // Asks once per flags and minute; a repeat in the same minute returns the
  // first answer without asking again.
  bool requestExit(std::uint32_t flags) override;

 private:
  enum class Action { PowerOff, Reboot, EndSession };
  enum class Outcome { Done, Failed, Absent };

  bool perform(std::uint32_t flags);
  Outcome askSessionManager(Action action);
  bool askLogind(Action action);
  std::optional<std::string> ownSessionId(::sd_bus* system);
  void logOnce(const std::string& message);

  Clock& clock_;
  LogindTimeouts timeouts_;
  std::optional<toolkit::DateTime> minute_;
  std::map<std::uint32_t, bool> answered_;  // flags asked in minute_, and the answer
  std::set<std::string> logged_;
};

}  // namespace vodivuri::platform::linux_os
