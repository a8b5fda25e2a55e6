#include "toolkit/timing.hpp"

#include <gtest/gtest.h>

namespace vodivuri::toolkit {
namespace {

TEST(Timing, WholeSecondTimersTickJustAfterTheSecond) {
  const std::int64_t second = 1'796'800'000'000;  // a whole second
  // Enabled at any phase, the first tick lands 5 ms into the next second...
  EXPECT_EQ(nextTickDelay(second + 400, 1000), 605);
  EXPECT_EQ(nextTickDelay(second + 990, 1000), 15);
  // ...and a tick that ran at that moment, or late, keeps the phase.
  EXPECT_EQ(nextTickDelay(second + 5, 1000), 1000);
  EXPECT_EQ(nextTickDelay(second + 37, 1000), 968);
  // A tick a hair early waits for the next second's.
  EXPECT_EQ(nextTickDelay(second + 2, 1000), 1003);
  EXPECT_EQ(nextTickDelay(second + 999, 2000), 1006);
  EXPECT_EQ(nextTickDelay(second + 5, 2000), 2000);
}

TEST(Timing, WholeMinuteTimersTickJustAfterTheMinute) {
  const std::int64_t minute = 1'796'000'000'000 - 1'796'000'000'000 % 60000;
  EXPECT_EQ(nextTickDelay(minute, 60000), 60005);  // just at it: the next one
  EXPECT_EQ(nextTickDelay(minute + 4, 60000), 60001);
  EXPECT_EQ(nextTickDelay(minute + 59'999, 60000), 6);
  EXPECT_EQ(nextTickDelay(minute + 30'000, 120000), 90005);
  EXPECT_EQ(nextTickDelay(minute + 30'000, 90000), 90005) << "not whole minutes: by the second";
}

TEST(Timing, OtherIntervalsJustWait) {
  EXPECT_EQ(nextTickDelay(123, 250), 250);
  EXPECT_EQ(nextTickDelay(123, 0), 0);
  EXPECT_EQ(nextTickDelay(-1, 1000), 6);  // before the epoch too
}

}  // namespace
}  // namespace vodivuri::toolkit
