#include <gtest/gtest.h>

#include "engine/power_actions.hpp"
#include "platform/testing/doubles.hpp"

namespace vodivuri::engine {
namespace {

using platform::VersionRecord;
using platform::testing::RecordingPower;
using platform::testing::ScriptedVersion;
using Request = RecordingPower::Request;

std::string nameOf(VersionRecord record) {
  ScriptedVersion version(record);
  return GetWindowsVersionName(version);
}

TEST(LaterNt, NamedByNumbersAndInTheNtFamily) {
  EXPECT_EQ(nameOf({2, 6, 0}), "Windows NT 6.0");
  EXPECT_EQ(nameOf({2, 6, 1}), "Windows NT 6.1");
  EXPECT_EQ(nameOf({2, 6, 2}), "Windows NT 6.2");
  EXPECT_EQ(nameOf({2, 6, 3}), "Windows NT 6.3");
  EXPECT_EQ(nameOf({2, 10, 0}), "Windows NT 10.0");
  // Every NT record from NT 3 on gets the NT rules; below it nothing changed.
  for (std::uint32_t major = 0; major <= 40; ++major) {
    for (std::uint32_t minor : {0u, 1u, 2u, 10u, 51u, 90u}) {
      const std::string name = nameOf({2, major, minor});
      EXPECT_EQ(NtFamily(name), major >= 3) << major << "." << minor << " " << name;
      EXPECT_FALSE(Win9xFamily(name)) << name;
    }
  }
  EXPECT_EQ(nameOf({2, 2, 0}), "");
  EXPECT_TRUE(NtFamily(nameOf({2, 4294967295u, 4294967295u})));
}

TEST(LaterNt, TheNinexRowsAndOtherPlatformsKeepTheirNames) {
  EXPECT_EQ(nameOf({1, 6, 1}), "");
  EXPECT_EQ(nameOf({1, 4, 3}), "");
  EXPECT_EQ(nameOf({3, 6, 1}), "Failed");
  EXPECT_EQ(nameOf({0, 10, 0}), "Failed");
}

TEST(LaterNt, OnlyTheExactFormCounts) {
  for (const char* n :
       {"Windows NT 5.1", "Windows NT 5.2", "Windows NT 2.0", "Windows NT 6", "Windows NT 6.",
        "Windows NT .1", "Windows NT 06.1", "Windows NT 6.01", "windows nt 6.1", "Windows NT 6.1 ",
        " Windows NT 6.1", "Windows NT 6.1.7601", "Windows NT -6.1", "Windows NT +6.1",
        "Windows NT 6,1", "Windows NT 99999999999.0", "Windows NT  6.1", "Windows NT"}) {
    EXPECT_FALSE(NtFamily(n)) << n;
  }
}

TEST(LaterNt, PowerRequestsFollowTheNtRules) {
  ScriptedVersion win8(VersionRecord{2, 6, 2});
  RecordingPower power;
  PowerActions actions(win8, power);
  const std::string name = GetWindowsVersionName(win8);
  actions.Request(PowerAction::PowerOff, name, kTrue);
  actions.Request(PowerAction::PowerOff, name, kFalse);
  actions.Request(PowerAction::Restart, name, kTrue);
  actions.Request(PowerAction::EndSession, name, kFalse);
  EXPECT_EQ(power.requests, (std::vector<Request>{{12, true}, {8, true}, {6, true}, {0, false}}));
}

}  // namespace
}  // namespace vodivuri::engine
