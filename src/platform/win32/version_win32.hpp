// The OS version record from GetVersionExA (the 148-byte OSVERSIONINFOA).
#pragma once

#include "platform/power.hpp"

namespace vodivuri::platform::win32 {

class Win32Version : public VersionInfo {
 public:
  // Empty (and reported once) when GetVersionExA fails.
  std::optional<VersionRecord> query() override;
};

}  // namespace vodivuri::platform::win32
