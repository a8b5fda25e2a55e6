#include "platform/linux/clock_watch_linux.hpp"

#include <sys/timerfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

namespace vodivuri::platform::linux_os {

// A wall-clock timer far in the future that the kernel cancels whenever the
// clock is set (a change of time, and also the end of a suspend): its read
// then fails with ECANCELED.
ClockWatch::ClockWatch() : fd_(::timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC)) {
  if (!fd_.valid()) {
    reportError(withErrno("cannot watch the clock for changes", errno));
    return;
  }
  if (!arm()) {
    reportError(withErrno("cannot watch the clock for changes", errno));
    fd_.reset();
  }
}

bool ClockWatch::arm() {
  itimerspec far{};
  far.it_value.tv_sec = 9'000'000'000;  // the year 2255, near the kernel's limit
  return ::timerfd_settime(fd_.get(), TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &far, nullptr) ==
         0;
}

bool ClockWatch::changed() {
  if (!fd_.valid()) return false;
  std::uint64_t expirations = 0;
  const ssize_t n = ::read(fd_.get(), &expirations, sizeof expirations);
  // Expired (a clock set past 2255) counts as a change too; nothing else does.
  if (n >= 0 || errno != ECANCELED) return n >= 0;
  arm();
  return true;
}

}  // namespace vodivuri::platform::linux_os
