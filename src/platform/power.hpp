// The OS version record and the power requests (shutdown right, exit flags).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace vodivuri::platform {

struct VersionRecord {
  std::uint32_t platformId = 0;  // 1 Windows 9x, 2 NT
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
  friend bool operator==(const VersionRecord&, const VersionRecord&) = default;
};

class VersionInfo {
 public:
  virtual ~VersionInfo() = default;
  // Empty when the query fails.
  virtual std::optional<VersionRecord> query() = 0;
};

// Exit flags: 0 end the session, 1 shut down, 2 restart, 8 power off; +4 forced.
inline constexpr std::uint32_t kExitLogOff = 0;
inline constexpr std::uint32_t kExitShutdown = 1;
inline constexpr std::uint32_t kExitReboot = 2;
inline constexpr std::uint32_t kExitForce = 4;
inline constexpr std::uint32_t kExitPowerOff = 8;

// What an exit request asks for, in words, for the logs of simulated power.
std::string describeExitRequest(std::uint32_t flags);

class Power {
 public:
  virtual ~Power() = default;
  // Enables the process's right to shut the machine down.
  virtual void enableShutdownPrivilege() = 0;
  // Asks the system to end the session, shut down or restart; false when refused.
  // Scheduled requests come once a second while their minute lasts.
  virtual bool requestExit(std::uint32_t flags) = 0;
  // The same for an action the user has just confirmed: a back end that holds
  // back repeated scheduled requests sends this one regardless.
  virtual bool requestConfirmedExit(std::uint32_t flags) { return requestExit(flags); }
};

}  // namespace vodivuri::platform
