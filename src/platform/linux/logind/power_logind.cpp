// How each exit flag value is carried out:
//
// flags    session manager, unforced only        logind (forced, or no manager,
//          (the first of these names owned)      or the manager refused)
// 8, 1     GNOME Shutdown()                       PowerOff(false)
//  (12, 5) KDE   logoutAndShutdown()
//          Xfce  Shutdown(true)
// 2        GNOME Reboot()                         Reboot(false)
//  (6)     KDE   logoutAndReboot()
//          Xfce  Restart(true)
// 0        GNOME Logout(1)  (no confirmation)     TerminateSession(own session)
//  (4)     KDE   logout()
//          Xfce  Logout(false, true)
//
// Forced requests (4 set) go to logind only. The own session is
// $XDG_SESSION_ID, else logind's GetSessionByPID(getpid()).Id, else
// sd_pid_get_session(). Other flag values are refused.
#include "platform/linux/logind/power_logind.hpp"

#include <systemd/sd-login.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <functional>
#include <string_view>

#include "platform/linux/files_linux.hpp"
#include "platform/linux/logind/sd_bus_owner.hpp"

namespace vodivuri::platform::linux_os {

namespace {

constexpr const char* kLogind = "org.freedesktop.login1";
constexpr const char* kLogindPath = "/org/freedesktop/login1";
constexpr const char* kLogindManager = "org.freedesktop.login1.Manager";

struct Call {
  const char* member;
  const char* signature;  // "", "u", "b" or "bb"
  std::array<std::uint32_t, 2> args;
};

struct SessionManager {
  const char* name;
  const char* path;
  const char* interface;
  Call powerOff;
  Call reboot;
  Call endSession;
};

constexpr std::array<SessionManager, 3> kSessionManagers{{
    {"org.gnome.SessionManager",
     "/org/gnome/SessionManager",
     "org.gnome.SessionManager",
     {"Shutdown", "", {}},
     {"Reboot", "", {}},
     {"Logout", "u", {1, 0}}},
    {"org.kde.Shutdown",
     "/Shutdown",
     "org.kde.Shutdown",
     {"logoutAndShutdown", "", {}},
     {"logoutAndReboot", "", {}},
     {"logout", "", {}}},
    {"org.xfce.SessionManager",
     "/org/xfce/SessionManager",
     "org.xfce.Session.Manager",
     {"Shutdown", "b", {1, 0}},
     {"Restart", "b", {1, 0}},
     {"Logout", "bb", {0, 1}}},
}};

using Appender = std::function<int(sd_bus_message*)>;

int callMethod(sd_bus* bus, const char* destination, const char* path, const char* interface,
               const char* member, std::chrono::microseconds timeout, const Appender& append,
               BusError& error, MessagePtr& reply) {
  sd_bus_message* raw = nullptr;
  int r = sd_bus_message_new_method_call(bus, &raw, destination, path, interface, member);
  MessagePtr call(raw);
  if (r >= 0 && append) r = append(call.get());
  if (r < 0) return sd_bus_error_set_errno(error.get(), r);
  raw = nullptr;
  r = sd_bus_call(bus, call.get(), static_cast<std::uint64_t>(timeout.count()), error.get(), &raw);
  reply.reset(raw);
  return r;
}

// The D-Bus error's own message, or the errno text when there is none.
std::string errorText(int r, BusError& error) {
  if (!error.isSet()) sd_bus_error_set_errno(error.get(), r);
  return error.message();
}

BusPtr openBus(bool system, std::chrono::microseconds timeout, int& r) {
  sd_bus* raw = nullptr;
  r = system ? sd_bus_open_system(&raw) : sd_bus_open_user(&raw);
  BusPtr bus(raw);
  if (r >= 0)
    r = sd_bus_set_method_call_timeout(bus.get(), static_cast<std::uint64_t>(timeout.count()));
  if (r < 0) bus.reset();
  return bus;
}

bool sessionBusDisabled() {
  const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
  return address != nullptr && std::string_view(address).starts_with("disabled:");
}

}  // namespace

LogindPower::LogindPower(Clock& clock, LogindTimeouts timeouts)
    : clock_(clock), timeouts_(timeouts) {}

bool LogindPower::requestExit(std::uint32_t flags) {
  return send(flags, false);
}

bool LogindPower::requestConfirmedExit(std::uint32_t flags) {
  return send(flags, true);
}

bool LogindPower::send(std::uint32_t flags, bool always) {
  toolkit::DateTime minute = clock_.now();
  minute.second = 0;
  if (minute_ != minute) {
    minute_ = minute;
    accepted_.clear();
  }
  // Accepted (or still under way at a silent session manager): asking again
  // would only stack another request on it.
  if (!always && accepted_.contains(flags)) return true;
  const bool done = perform(flags);
  if (done) accepted_.insert(flags);
  return done;
}

bool LogindPower::perform(std::uint32_t flags) {
  Action action;
  switch (flags & ~kExitForce) {
    case kExitPowerOff:
    case kExitShutdown:
      action = Action::PowerOff;
      break;
    case kExitReboot:
      action = Action::Reboot;
      break;
    case kExitLogOff:
      action = Action::EndSession;
      break;
    default:
      logOnce("not asking the system to exit with the unknown flags " + std::to_string(flags));
      return false;
  }
  if ((flags & kExitForce) == 0 && askSessionManager(action) == Outcome::Done) return true;
  return askLogind(action);
}

LogindPower::Outcome LogindPower::askSessionManager(Action action) {
  if (sessionBusDisabled()) return Outcome::Absent;
  int r = 0;
  BusPtr bus = openBus(false, timeouts_.call, r);
  if (!bus) {
    // No session bus at all just means no session manager.
    if (r != -ENOENT && r != -ENOMEDIUM && r != -ECONNREFUSED) {
      logOnce(withErrno("cannot connect to the session bus", -r));
    }
    return Outcome::Absent;
  }
  for (const SessionManager& manager : kSessionManagers) {
    BusError error;
    MessagePtr reply;
    r = callMethod(
        bus.get(), "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
        "NameHasOwner", timeouts_.call,
        [&](sd_bus_message* m) { return sd_bus_message_append(m, "s", manager.name); }, error,
        reply);
    int owned = 0;
    if (r >= 0) r = sd_bus_message_read(reply.get(), "b", &owned);
    if (r < 0) {
      logOnce("cannot look for a session manager on the session bus: " + errorText(r, error));
      return Outcome::Absent;
    }
    if (!owned) continue;

    const Call& call = action == Action::PowerOff ? manager.powerOff
                       : action == Action::Reboot ? manager.reboot
                                                  : manager.endSession;
    BusError callError;
    r = callMethod(
        bus.get(), manager.name, manager.path, manager.interface, call.member,
        timeouts_.sessionManager,
        [&](sd_bus_message* m) {
          int rr = 0;
          for (std::size_t i = 0; call.signature[i] != '\0' && rr >= 0; ++i) {
            if (call.signature[i] == 'b') {
              const int value = call.args[i] != 0;
              rr = sd_bus_message_append_basic(m, 'b', &value);
            } else {
              rr = sd_bus_message_append_basic(m, 'u', &call.args[i]);
            }
          }
          return rr;
        },
        callError, reply);
    // A manager that keeps silent is ending the session; asking logind now
    // would cut short the applications saving their work.
    if (r >= 0 || r == -ETIMEDOUT || callError.hasName(SD_BUS_ERROR_NO_REPLY)) {
      return Outcome::Done;
    }
    logOnce(std::string(manager.name) + "." + call.member + " failed: " + errorText(r, callError));
    return Outcome::Failed;
  }
  return Outcome::Absent;
}

bool LogindPower::askLogind(Action action) {
  int r = 0;
  BusPtr bus = openBus(true, timeouts_.call, r);
  if (!bus) {
    logOnce(withErrno("cannot connect to the system bus", -r));
    return false;
  }
  const char* member = "PowerOff";
  Appender append = [](sd_bus_message* m) { return sd_bus_message_append(m, "b", 0); };
  std::string session;
  if (action == Action::Reboot) {
    member = "Reboot";
  } else if (action == Action::EndSession) {
    const auto id = ownSessionId(bus.get());
    if (!id) return false;
    session = *id;
    member = "TerminateSession";
    append = [&session](sd_bus_message* m) {
      return sd_bus_message_append(m, "s", session.c_str());
    };
  }
  BusError error;
  MessagePtr reply;
  r = callMethod(bus.get(), kLogind, kLogindPath, kLogindManager, member, timeouts_.call, append,
                 error, reply);
  if (r < 0) {
    logOnce(std::string("logind ") + member + " failed: " + errorText(r, error));
    return false;
  }
  return true;
}

std::optional<std::string> LogindPower::ownSessionId(sd_bus* system) {
  if (const char* id = std::getenv("XDG_SESSION_ID"); id != nullptr && id[0] != '\0') return id;

  BusError error;
  MessagePtr reply;
  int r = callMethod(
      system, kLogind, kLogindPath, kLogindManager, "GetSessionByPID", timeouts_.call,
      [](sd_bus_message* m) {
        return sd_bus_message_append(m, "u", static_cast<std::uint32_t>(::getpid()));
      },
      error, reply);
  const char* path = nullptr;
  if (r >= 0) r = sd_bus_message_read(reply.get(), "o", &path);
  if (r >= 0) {
    char* raw = nullptr;
    r = sd_bus_get_property_string(system, kLogind, path, "org.freedesktop.login1.Session", "Id",
                                   error.get(), &raw);
    MallocText id(raw);
    if (r >= 0 && id && id.get()[0] != '\0') return std::string(id.get());
    if (r >= 0) r = -ENXIO;
  }
  const std::string why = errorText(r, error);

  // logind may be unreachable while the process's cgroup still names the session.
  char* raw = nullptr;
  if (sd_pid_get_session(0, &raw) >= 0) {
    MallocText id(raw);
    if (id && id.get()[0] != '\0') return std::string(id.get());
  }
  logOnce("cannot tell which session to end: " + why);
  return std::nullopt;
}

void LogindPower::logOnce(const std::string& message) {
  if (logged_.insert(message).second) reportError(message);
}

}  // namespace vodivuri::platform::linux_os
