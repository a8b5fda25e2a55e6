// Small services of the operating system: clock, shell, instance, autostart.
#pragma once

#include <functional>
#include <string>

#include "platform/instance_request.hpp"
#include "toolkit/dates.hpp"

namespace vodivuri::platform {

// Local date and time.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual toolkit::DateTime now() = 0;
};

// Opens a web address in the user's browser; the outcome is not reported.
class Shell {
 public:
  virtual ~Shell() = default;
  virtual void openAddress(const std::string& address) = 0;
};

// Where the running program is, and whether it already runs for this user.
class Instance {
 public:
  virtual ~Instance() = default;
  // Full path of the running executable.
  virtual std::string executablePath() = 0;
  // The folder that holds it, without a trailing separator.
  virtual std::string programFolder() = 0;
  // Claims the single-instance lock; false when another instance holds it.
  virtual bool claimSingleInstance() = 0;
  // What a copy started later asking this one to show its window runs; called
  // from the event loop once this copy holds the claim. Empty: such requests
  // are answered with an error.
  virtual void setShowHandler(std::function<void()> show) = 0;
  // What a later copy's command line (schedule, cancel, ask) runs, the same way.
  virtual void setOrderHandler(OrderHandler order) = 0;
};

// Mirrors the run-at-start-up entry where the platform starts programs from
// something else than the registry value itself.
class Autostart {
 public:
  virtual ~Autostart() = default;
  // `command` is the entry's text; empty switches start-up off.
  virtual void mirror(const std::string& command) = 0;
};

}  // namespace vodivuri::platform
