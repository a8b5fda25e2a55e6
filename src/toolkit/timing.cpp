#include "toolkit/timing.hpp"

namespace vodivuri::toolkit {

int nextTickDelay(std::int64_t nowMilliseconds, int intervalMilliseconds) {
  if (intervalMilliseconds <= 0 || intervalMilliseconds % 1000 != 0) return intervalMilliseconds;
  // Local time is whole minutes away from the epoch's, so its minutes begin
  // where these do.
  const int unit = intervalMilliseconds % 60000 == 0 ? 60000 : 1000;
  const auto into = static_cast<int>(((nowMilliseconds % unit) + unit) % unit);
  return unit - into + kTickOffsetMilliseconds + intervalMilliseconds - unit;
}

}  // namespace vodivuri::toolkit
