// The model's timers as SetTimer timers of the host's window: WM_TIMER is
// dispatched by every loop, so they tick under modal windows, message boxes
// and popup menus alike. Each is set again after its tick, so whole-second
// timers stay on the wall-clock second and share one wake-up.
#include <cstdio>

#include "frontend/win32/win32_host.hpp"
#include "toolkit/timing.hpp"

namespace {

// Milliseconds since the Unix epoch, from the system clock.
std::int64_t wallClockMilliseconds() {
  // GetSystemTimeAsFileTime is not documented for NT 4.0; these two are everywhere.
  SYSTEMTIME utc;
  GetSystemTime(&utc);
  FILETIME now;
  SystemTimeToFileTime(&utc, &now);
  const std::int64_t ticks =
      (static_cast<std::int64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  return ticks / 10000 - 11644473600000LL;  // 100 ns since 1601
}

}  // namespace

namespace vodivuri::win32 {

void Win32Host::forgetTimer(const toolkit::Timer& timer) {
  const auto it = timers_.find(&timer);
  if (it == timers_.end()) return;
  KillTimer(hostWindow_, it->second);
  timerIds_.erase(it->second);
  timers_.erase(it);
}

void Win32Host::timerChanged(toolkit::Timer& timer) {
  // The countdown starts afresh on every change.
  forgetTimer(timer);
  if (quitting_ || !timer.enabled() || !timer.form().loaded() || timer.interval() <= 0) return;
  const UINT_PTR id = nextTimerId_++;
  timers_[&timer] = id;
  timerIds_[id] = &timer;
  scheduleTick(timer, id);
}

void Win32Host::scheduleTick(toolkit::Timer& timer, UINT_PTR id) {
  const int delay = toolkit::nextTickDelay(wallClockMilliseconds(), timer.interval());
  if (SetTimer(hostWindow_, id, static_cast<UINT>(delay), nullptr) == 0) {
    std::fprintf(stderr, "vodivuri: SetTimer falló (error %lu)\n", GetLastError());
    forgetTimer(timer);
  }
}

void Win32Host::timerFired(UINT_PTR id) {
  const auto it = timerIds_.find(id);
  if (it == timerIds_.end()) {
    KillTimer(hostWindow_, id);
    return;
  }
  if (quitting_) return;
  toolkit::Timer& timer = *it->second;
  timer.tick();
  // Unless the tick changed the timer (which set it afresh), the next tick
  // lands on the next second again.
  const auto still = timerIds_.find(id);
  if (still != timerIds_.end() && still->second == &timer) scheduleTick(timer, id);
}

// SetTimer counts on the tick count, which a change of the clock or a suspend
// leaves behind the wall clock: every running timer ticks at once, and its
// next tick is then set on the wall clock again.
void Win32Host::clockChanged() {
  if (quitting_) return;
  for (const auto& [timer, id] : timers_) SetTimer(hostWindow_, id, USER_TIMER_MINIMUM, nullptr);
}

void Win32Host::stopTimers() {
  for (const auto& [timer, id] : timers_) KillTimer(hostWindow_, id);
  timers_.clear();
  timerIds_.clear();
}

}  // namespace vodivuri::win32
