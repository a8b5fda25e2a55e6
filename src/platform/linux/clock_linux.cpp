#include "platform/linux/clock_linux.hpp"

#include <ctime>

namespace vodivuri::platform::linux_os {

toolkit::DateTime SystemClock::now() {
  const std::time_t seconds = std::time(nullptr);
  // localtime_r need not notice a changed TZ; tzset makes it.
  ::tzset();
  std::tm local{};
  if (::localtime_r(&seconds, &local) == nullptr) return {{1970, 1, 1}, 0, 0, 0};
  // A leap second (60) is shown as the last second of its minute.
  return {{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday},
          local.tm_hour,
          local.tm_min,
          local.tm_sec > 59 ? 59 : local.tm_sec};
}

}  // namespace vodivuri::platform::linux_os
