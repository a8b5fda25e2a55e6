#include "toolkit/timing.hpp"

namespace vodivuri::toolkit {

int nextTickDelay(std::int64_t nowMilliseconds, int intervalMilliseconds) {
  if (intervalMilliseconds <= 0 || intervalMilliseconds % 1000 != 0) return intervalMilliseconds;
  const auto intoSecond = static_cast<int>(((nowMilliseconds % 1000) + 1000) % 1000);
  return 1000 - intoSecond + kTickOffsetMilliseconds + intervalMilliseconds - 1000;
}

}  // namespace vodivuri::toolkit
