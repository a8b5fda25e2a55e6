// Power on Windows: the shutdown privilege of the process's token, and
// ExitWindowsEx with the given flags.
#pragma once

#include "platform/power.hpp"

namespace vodivuri::platform::win32 {

class Win32Power : public Power {
 public:
  // OpenProcessToken, LookupPrivilegeValueA("SeShutdownPrivilege"),
  // AdjustTokenPrivileges; the token is closed again. Failures are reported
  // once each and otherwise ignored.
  void enableShutdownPrivilege() override;
  // ExitWindowsEx(flags, 0); false (and reported once) when refused.
  bool requestExit(std::uint32_t flags) override;
};

}  // namespace vodivuri::platform::win32
