// When a host's timer should next tick: whole-second timers on the wall-clock
// second, a few milliseconds after it, so every timer shares one wake-up.
#pragma once

#include <cstdint>

namespace vodivuri::toolkit {

// How far past the second a whole-second timer ticks: enough for the clock
// read in the tick to be in the new second.
inline constexpr int kTickOffsetMilliseconds = 5;

// Milliseconds from `nowMilliseconds` (since the epoch, wall clock) to a
// timer's next tick. Whole-minute intervals land `kTickOffsetMilliseconds`
// after a minute begins, other whole-second ones after a second begins;
// others just wait their interval.
int nextTickDelay(std::int64_t nowMilliseconds, int intervalMilliseconds);

}  // namespace vodivuri::toolkit
