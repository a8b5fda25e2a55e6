#include "engine/power_actions.hpp"

#include <charconv>
#include <optional>
#include <string_view>

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
        // Vista and later (6.x without a manifest): still NT, so the NT rules apply.
        if (record->major >= kFirstUnlistedNtMajor) {
          return "Windows NT " + std::to_string(record->major) + "." +
                 std::to_string(record->minor);
        }
        return "";
    }
  }
  return "Failed";
}

std::int16_t IsWindowsNT(VersionInfo& version) {
  const auto record = version.query();
  return record && record->platformId == 2 ? kTrue : kFalse;
}

namespace {

// A decimal number as std::to_string writes it: digits, no leading zero.
std::optional<std::uint32_t> plainNumber(std::string_view text) {
  if (text.empty() || (text.size() > 1 && text[0] == '0')) return std::nullopt;
  std::uint32_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// "Windows NT major.minor" as GetWindowsVersionName names a later NT.
bool LaterNtName(std::string_view name) {
  constexpr std::string_view prefix = "Windows NT ";
  if (!name.starts_with(prefix)) return false;
  name.remove_prefix(prefix.size());
  const auto dot = name.find('.');
  if (dot == std::string_view::npos) return false;
  const auto major = plainNumber(name.substr(0, dot));
  return major && *major >= kFirstUnlistedNtMajor && plainNumber(name.substr(dot + 1));
}

}  // namespace

bool NtFamily(const std::string& name) {
  return name == "Windows 2000" || name == "Windows XP" || name == "Windows NT 4.0" ||
         name == "Windows NT 3.51" || LaterNtName(name);
}

bool Win9xFamily(const std::string& name) {
  return name == "Windows 98" || name == "Windows 95" || name == "Windows Mellinnium";
}

void PowerActions::EnableShutdownPrivilege() {
  power_.enableShutdownPrivilege();
}

void PowerActions::ExitDirect(std::uint32_t flags) {
  if (!power_.requestExit(flags)) {
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
                           std::int16_t force) {
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
  power.Request(action, state.WindowsVersion, kFalse);
}

}  // namespace vodivuri::engine
