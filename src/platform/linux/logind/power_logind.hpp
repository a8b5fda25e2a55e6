// Power requests on Linux: logind on the system bus, with the desktop's
// session manager asked first when the request is not forced.
#pragma once

#include <chrono>
#include <cstdint>
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

  // A scheduled request: sent once per flags and minute while accepted; a
  // repeat in that minute answers true without asking again, so that the
  // once-a-second schedule cannot stack dialogs. A refused or failed request
  // is asked again on the next call.
  bool requestExit(std::uint32_t flags) override;
  // Always sent; when accepted, the scheduled repeats of its minute are not.
  bool requestConfirmedExit(std::uint32_t flags) override;

 private:
  enum class Action { PowerOff, Reboot, EndSession };
  enum class Outcome { Done, Failed, Absent };

  bool send(std::uint32_t flags, bool always);
  bool perform(std::uint32_t flags);
  Outcome askSessionManager(Action action);
  bool askLogind(Action action);
  std::optional<std::string> ownSessionId(::sd_bus* system);
  void logOnce(const std::string& message);

  Clock& clock_;
  LogindTimeouts timeouts_;
  std::optional<toolkit::DateTime> minute_;
  std::set<std::uint32_t> accepted_;  // flags accepted in minute_
  std::set<std::string> logged_;
};

}  // namespace vodivuri::platform::linux_os
