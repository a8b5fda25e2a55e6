// The model's timers as SetTimer timers of the host's window: WM_TIMER is
// dispatched by every loop, so they tick under modal windows, message boxes
// and popup menus alike.
#include <cstdio>

#include "frontend/win32/win32_host.hpp"

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
  if (SetTimer(hostWindow_, id, static_cast<UINT>(timer.interval()), nullptr) == 0) {
    std::fprintf(stderr, "vodivuri: SetTimer falló (error %lu)\n", GetLastError());
    return;
  }
  timers_[&timer] = id;
  timerIds_[id] = &timer;
}

void Win32Host::timerFired(UINT_PTR id) {
  const auto it = timerIds_.find(id);
  if (it == timerIds_.end()) {
    KillTimer(hostWindow_, id);
    return;
  }
  if (!quitting_) it->second->tick();
}

void Win32Host::stopTimers() {
  for (const auto& [timer, id] : timers_) KillTimer(hostWindow_, id);
  timers_.clear();
  timerIds_.clear();
}

}  // namespace vodivuri::win32
