// The version record on Linux: NT 5.1 unless VODIVURI_OS_VERSION emulates another.
#pragma once

#include <optional>
#include <string_view>

#include "platform/power.hpp"

namespace vodivuri::platform::linux_os {

class EnvVersion : public VersionInfo {
 public:
  // Reads VODIVURI_OS_VERSION ("platform.major.minor", e.g. "1.4.10") on every
  // query; a malformed value is reported once and the default used.
  std::optional<VersionRecord> query() override;

  static constexpr VersionRecord kDefault{2, 5, 1};

 private:
  bool reported_ = false;
};

// Three decimal numbers separated by dots; empty when it is not that.
std::optional<VersionRecord> parseVersion(std::string_view text);

}  // namespace vodivuri::platform::linux_os
