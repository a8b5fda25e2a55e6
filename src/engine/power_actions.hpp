// Which Windows the program runs on, and the routines that power the machine
// off, restart it or end the session, with the questions of the menu entries.
#pragma once

#include <cstdint>
#include <string>

#include "engine/program_state.hpp"
#include "platform/power.hpp"
#include "toolkit/host.hpp"

namespace vodivuri::engine {

// "Windows 95" .. "Windows XP"; "Windows NT 6.2" and the like for the NT
// versions after XP; "" for an unlisted version; "Failed" when the record
// cannot be read.
std::string GetWindowsVersionName(platform::VersionInfo& version);
// The first NT major version named by its numbers (6: Vista and later).
inline constexpr std::uint32_t kFirstUnlistedNtMajor = 6;
// -1 when the platform id is 2 (NT), read afresh from the record.
std::int16_t IsWindowsNT(platform::VersionInfo& version);
// The four NT names of the table, and "Windows NT major.minor" from 6 on.
bool NtFamily(const std::string& name);
bool Win9xFamily(const std::string& name);

enum class PowerAction { PowerOff, Restart, EndSession };

class PowerActions {
 public:
  PowerActions(platform::VersionInfo& version, platform::Power& power)
      : version_(version), power_(power) {}

  void EnableShutdownPrivilege();
  // Each is forced when `force` is non-zero.
  void PowerOffSystem(std::int16_t force);
  void RebootSystem(std::int16_t force);
  void LogOffSession(std::int16_t force);
  // The Windows 9x path: the flags go straight to the system.
  void ExitDirect(std::uint32_t flags);

  // Requests `action` as the family of `windowsVersion` wants it: NT through the
  // three routines, 9x with direct flags (1, 2, 0, +4 when forced); nothing for
  // an empty or "Failed" name.
  void Request(PowerAction action, const std::string& windowsVersion, std::int16_t force);

 private:
  platform::VersionInfo& version_;
  platform::Power& power_;
};

// The menu entries "Apagar el sistema", "Reiniciar el sistema" and
// "Reiniciar la sesión": ask, and on Yes request the action unforced.
void RunImmediateAction(PowerAction action, toolkit::Host& host, PowerActions& power,
                        const ProgramState& state);

inline constexpr const char* kTitle = "Vodivuri";

}  // namespace vodivuri::engine
