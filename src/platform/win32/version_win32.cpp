#include "platform/win32/version_win32.hpp"

#include <windows.h>

#include "platform/win32/errors_win32.hpp"

namespace vodivuri::platform::win32 {

static_assert(sizeof(OSVERSIONINFOA) == 148, "the version record every Windows accepts");

std::optional<VersionRecord> Win32Version::query() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (!::GetVersionExA(&info)) {
    reportOnce("GetVersionExA",
               "cannot read the Windows version: " + systemMessage(GetLastError()));
    return std::nullopt;
  }
  return VersionRecord{info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion};
}

}  // namespace vodivuri::platform::win32
