// The kernel's word that the wall clock was set: the clock is set to the time
// it already shows (a jump of microseconds), which needs the right to set it.
#include "platform/linux/clock_watch_linux.hpp"

#include <gtest/gtest.h>
#include <poll.h>
#include <time.h>

#include <cerrno>

namespace vodivuri::platform::linux_os {
namespace {

bool setClockToItself() {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  return ::clock_settime(CLOCK_REALTIME, &now) == 0;
}

bool readable(int fd, int ms) {
  pollfd p{fd, POLLIN, 0};
  return ::poll(&p, 1, ms) == 1;
}

TEST(ClockWatch, ASetClockIsSaidOnceAndTheWatchGoesOn) {
  ClockWatch watch;
  ASSERT_GE(watch.fd(), 0);
  EXPECT_FALSE(readable(watch.fd(), 50));
  EXPECT_FALSE(watch.changed());
  if (!setClockToItself()) GTEST_SKIP() << "no right to set the clock here (errno " << errno << ")";
  ASSERT_TRUE(readable(watch.fd(), 2000));
  EXPECT_TRUE(watch.changed());
  EXPECT_FALSE(watch.changed()) << "one change, one word";
  EXPECT_FALSE(readable(watch.fd(), 50));
  ASSERT_TRUE(setClockToItself());
  ASSERT_TRUE(readable(watch.fd(), 2000)) << "armed again for the next change";
  EXPECT_TRUE(watch.changed());
}

}  // namespace
}  // namespace vodivuri::platform::linux_os
