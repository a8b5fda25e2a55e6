#include "platform/linux/version_linux.hpp"

#include <charconv>
#include <cstdlib>
#include <string>

#include "platform/linux/files_linux.hpp"

namespace vodivuri::platform::linux_os {

std::optional<VersionRecord> parseVersion(std::string_view text) {
  std::uint32_t parts[3] = {};
  for (int i = 0; i < 3; ++i) {
    const auto end = i < 2 ? text.find('.') : text.size();
    if (end == std::string_view::npos || end == 0) return std::nullopt;
    const std::string_view digits = text.substr(0, end);
    // from_chars alone would accept no sign but would stop at a blank.
    if (digits.find_first_not_of("0123456789") != std::string_view::npos) return std::nullopt;
    const auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), parts[i]);
    if (ec != std::errc() || ptr != digits.data() + digits.size()) return std::nullopt;
    text.remove_prefix(i < 2 ? end + 1 : end);
  }
  return VersionRecord{parts[0], parts[1], parts[2]};
}

std::optional<VersionRecord> EnvVersion::query() {
  const char* value = std::getenv("VODIVURI_OS_VERSION");
  // Unset or empty ("VODIVURI_OS_VERSION= prog") means no emulation.
  if (value == nullptr || *value == '\0') return kDefault;
  if (const auto record = parseVersion(value)) return record;
  if (!reported_) {
    reported_ = true;
    reportError(std::string("VODIVURI_OS_VERSION=\"") + value +
                "\" is not platform.major.minor (for example 1.4.10); using 2.5.1");
  }
  return kDefault;
}

}  // namespace vodivuri::platform::linux_os
