#include "engine/power_actions.hpp"

#include "engine/diagnostics.hpp"

namespace vodivuri::engine {

using namespace platform;

std::string GetWindowsVersionName(VersionInfo& version) {
  const auto record = version.query();
  if (!record) return "Failed";
  if (record->platformId == 1) {
    switch (record->minor) {
      case 0:
        return "Windows 95";
      case 10:
        return "Windows 98";
      case 90:
        return "Windows Mellinnium";
      default:
        return "";
    }
  }
  if (record->platformId == 2) {
    switch (record->major) {
      case 3:
        return "Windows NT 3.51";
      case 4:
        return "Windows NT 4.0";
      case 5:
        return record->minor == 0 ? "Windows 2000" : "Windows XP";
      default:
        return "";
    }
  }
  return "Failed";
}

std::int16_t IsWindowsNT(VersionInfo& version) {
  const auto record = version.query();
  return record && record->platformId == 2 ? kTrue : kFalse;
}

bool NtFamily(const std::string& name) {
  return name == "Windows 2000" || name == "Windows XP" || name == "Windows NT 4.0" ||
         name == "Windows NT 3.51";
}

bool Win9xFamily(const std::string& name) {
  return name == "Windows 98" || name == "Windows 95" || name == "Windows Mellinnium";
}

void PowerActions::EnableShutdownPrivilege() {
  power_.enableShutdownPrivilege();
}

void PowerActions::ExitDirect(std::uint32_t flags) {
  const bool done = confirmed_ ? power_.requestConfirmedExit(flags) : power_.requestExit(flags);
  if (!done) {
    logOnce("exit " + std::to_string(flags),
            "the system refused the exit request with flags " + std::to_string(flags));
  }
}

void PowerActions::PowerOffSystem(std::int16_t force) {
  const std::uint32_t flags = force != 0 ? kExitPowerOff | kExitForce : kExitPowerOff;
  if (IsWindowsNT(version_) != 0) EnableShutdownPrivilege();
  ExitDirect(flags);
}

void PowerActions::RebootSystem(std::int16_t force) {
  const std::uint32_t flags = force != 0 ? kExitReboot | kExitForce : kExitReboot;
  if (IsWindowsNT(version_) != 0) EnableShutdownPrivilege();
  ExitDirect(flags);
}

void PowerActions::LogOffSession(std::int16_t force) {
  ExitDirect(force != 0 ? kExitLogOff | kExitForce : kExitLogOff);
}

void PowerActions::Request(PowerAction action, const std::string& windowsVersion,
                           std::int16_t force, bool confirmed) {
  confirmed_ = confirmed;
  if (NtFamily(windowsVersion)) {
    switch (action) {
      case PowerAction::PowerOff:
        PowerOffSystem(force);
        break;
      case PowerAction::Restart:
        RebootSystem(force);
        break;
      case PowerAction::EndSession:
        LogOffSession(force);
        break;
    }
  } else if (Win9xFamily(windowsVersion)) {
    const std::uint32_t extra = force != 0 ? kExitForce : 0;
    switch (action) {
      case PowerAction::PowerOff:
        ExitDirect(kExitShutdown | extra);
        break;
      case PowerAction::Restart:
        ExitDirect(kExitReboot | extra);
        break;
      case PowerAction::EndSession:
        ExitDirect(kExitLogOff | extra);
        break;
    }
  }
  confirmed_ = false;
}

void RunImmediateAction(PowerAction action, toolkit::Host& host, PowerActions& power,
                        const ProgramState& state) {
  const char* question = action == PowerAction::PowerOff ? "Seguro que quiere apagar el sistema?"
                         : action == PowerAction::Restart
                             ? "Seguro que quiere reiniciar el sistema?"
                             : "Seguro que quiere reiniciar la sesión?";
  const auto answer = toolkit::messageBox(host, question, kTitle, toolkit::MessageButtons::YesNo,
                                          toolkit::MessageIcon::Question);
  if (answer != toolkit::MessageAnswer::Yes) return;
  // Unforced on every family: documents with unsaved changes are not closed.
  power.Request(action, state.WindowsVersion, kFalse, true);
}

}  // namespace vodivuri::engine
