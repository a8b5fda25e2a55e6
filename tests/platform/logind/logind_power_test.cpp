#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <systemd/sd-login.h>
#include <unistd.h>

#include <cstdlib>

#include "engine/power_actions.hpp"
#include "platform/linux/logind/power_logind.hpp"
#include "platform/logind/logind_fixture.hpp"
#include "platform/testing/doubles.hpp"

namespace vodivuri::testing {
namespace {

using platform::linux_os::LogindPower;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

class LogindPowerTest : public LogindSuite {};

TEST_F(LogindPowerTest, EachFlagValueReachesLogindWithItsMethodAndArguments) {
  const std::vector<std::pair<std::uint32_t, std::string>> cases{
      {8, "PowerOff false"},      {12, "PowerOff false"},    {1, "PowerOff false"},
      {5, "PowerOff false"},      {2, "Reboot false"},       {6, "Reboot false"},
      {0, "TerminateSession c7"}, {4, "TerminateSession c7"}};
  for (const auto& [flags, expected] : cases) {
    SCOPED_TRACE(flags);
    LogindPower power(clock);
    client_->clearCalls(kLogindName, kLogindPath);
    EXPECT_TRUE(power.requestExit(flags));
    EXPECT_THAT(logindCalls(), ElementsAre(expected));
  }
}

TEST_F(LogindPowerTest, PrivilegeStepAndUnknownFlagsAskNothing) {
  LogindPower power(clock);
  ::testing::internal::CaptureStderr();
  power.enableShutdownPrivilege();
  EXPECT_FALSE(power.requestExit(3));
  EXPECT_FALSE(power.requestExit(16));
  const std::string log = ::testing::internal::GetCapturedStderr();
  EXPECT_THAT(logindCalls(), IsEmpty());
  EXPECT_EQ(log,
            "vodivuri: not asking the system to exit with the unknown flags 3\n"
            "vodivuri: not asking the system to exit with the unknown flags 16\n");
}

TEST_F(LogindPowerTest, OneRequestPerFlagsAndMinute) {
  LogindPower power(clock);
  clock.at = {{2026, 12, 8}, 7, 30, 0};
  EXPECT_TRUE(power.requestExit(12));
  for (int second = 1; second < 60; second += 20) {
    clock.at.second = second;
    EXPECT_TRUE(power.requestExit(12));
  }
  // Other flags in the same minute are a request of their own.
  EXPECT_TRUE(power.requestExit(2));
  EXPECT_TRUE(power.requestExit(12));
  EXPECT_THAT(logindCalls(), ElementsAre("PowerOff false", "Reboot false"));

  clock.at = {{2026, 12, 8}, 7, 31, 0};
  EXPECT_TRUE(power.requestExit(12));
  // The same hour and minute on another day is another minute too.
  clock.at = {{2026, 12, 9}, 7, 31, 0};
  EXPECT_TRUE(power.requestExit(12));
  EXPECT_THAT(logindCalls(),
              ElementsAre("PowerOff false", "Reboot false", "PowerOff false", "PowerOff false"));
}

TEST_F(LogindPowerTest, ARefusedRequestIsAskedAgainOnTheNextTickUntilAccepted) {
  // An inhibitor says no at first, then lets go.
  addLogindMethod("PowerOff", "b", "",
                  raising("org.freedesktop.DBus.Error.AccessDenied", "Not allowed to power off"));
  LogindPower power(clock);
  clock.at = {{2026, 12, 8}, 7, 30, 0};
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(power.requestExit(12));
  clock.at.second = 1;
  EXPECT_FALSE(power.requestExit(12));
  const std::string log = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(log, "vodivuri: logind PowerOff failed: Not allowed to power off\n");
  EXPECT_THAT(logindCalls(), ElementsAre("PowerOff false", "PowerOff false"));

  addLogindMethod("PowerOff", "b", "", "");
  clock.at.second = 2;
  EXPECT_TRUE(power.requestExit(12));
  // Accepted: the rest of the minute sends nothing more.
  for (int second = 3; second < 60; second += 14) {
    clock.at.second = second;
    EXPECT_TRUE(power.requestExit(12));
  }
  EXPECT_THAT(logindCalls(), ElementsAre("PowerOff false", "PowerOff false", "PowerOff false"));
}

TEST_F(LogindPowerTest, ARequestThatFailedAtFirstSucceedsOnALaterTick) {
  // The first PowerOff fails (logind busy), the next ones go through.
  addLogindMethod("PowerOff", "b", "",
                  "self.power_off_calls = getattr(self, 'power_off_calls', 0) + 1\n"
                  "if self.power_off_calls == 1:\n"
                  "    raise dbus.exceptions.DBusException('Busy', "
                  "name='org.freedesktop.DBus.Error.Failed')");
  LogindPower power(clock);
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(power.requestExit(8));
  clock.at.second += 1;
  EXPECT_TRUE(power.requestExit(8));
  clock.at.second += 1;
  EXPECT_TRUE(power.requestExit(8));
  ::testing::internal::GetCapturedStderr();
  addLogindMethod("PowerOff", "b", "", "");
  EXPECT_THAT(logindCalls(), ElementsAre("PowerOff false", "PowerOff false"));
}

TEST_F(LogindPowerTest, ConfirmedActionsAreAlwaysSent) {
  LogindPower power(clock);
  clock.at = {{2026, 12, 8}, 7, 30, 10};
  EXPECT_TRUE(power.requestConfirmedExit(12));
  clock.at.second = 40;
  // The user asks again in the same minute: the request goes out again.
  EXPECT_TRUE(power.requestConfirmedExit(12));
  // A scheduled tick of that minute does not repeat what was accepted.
  EXPECT_TRUE(power.requestExit(12));
  EXPECT_THAT(logindCalls(), ElementsAre("PowerOff false", "PowerOff false"));

  // Through the power routines, as the menu entries reach the back end.
  vodivuri::platform::testing::ScriptedVersion xp;
  engine::PowerActions actions(xp, power);
  actions.Request(engine::PowerAction::PowerOff, "Windows XP", engine::kTrue, true);
  actions.Request(engine::PowerAction::PowerOff, "Windows XP", engine::kTrue, true);
  actions.Request(engine::PowerAction::PowerOff, "Windows XP", engine::kTrue);
  EXPECT_THAT(logindCalls(),
              ElementsAre("PowerOff false", "PowerOff false", "PowerOff false", "PowerOff false"));
}

TEST_F(LogindPowerTest, MissingBusOrLogindIsLoggedOnceAndReportedAsFailure) {
  TempFolder folder;
  LogindPower power(clock);
  {
    ScopedEnv noBus("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=" + folder / "none");
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(power.requestExit(12));
    clock.at.minute += 1;
    EXPECT_FALSE(power.requestExit(12));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "vodivuri: cannot connect to the system bus: No such file or directory\n");
  }
  {
    // A bus where nobody owns logind's name.
    PrivateBus empty;
    ScopedEnv noLogind("DBUS_SYSTEM_BUS_ADDRESS", empty.address());
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(power.requestExit(6));
    clock.at.minute += 1;
    EXPECT_FALSE(power.requestExit(6));
    const std::string log = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(countLines(log), 1u) << log;
    EXPECT_NE(log.find("vodivuri: logind Reboot failed: "), std::string::npos) << log;
    EXPECT_NE(log.find("org.freedesktop.login1"), std::string::npos) << log;
  }
}

TEST_F(LogindPowerTest, WithoutXdgSessionIdTheSessionOfTheProcessEnds) {
  ScopedEnv noId("XDG_SESSION_ID", std::nullopt);
  // logind answers GetSessionByPID with the path of a session whose Id is c9.
  client_->callMock(kLogindName, kLogindPath, "AddSession", "ssusb", "c9", "seat0", 1000u, "user",
                    1);
  addLogindMethod("GetSessionByPID", "u", "o",
                  "ret = dbus.ObjectPath('/org/freedesktop/login1/session/c9')");
  client_->clearCalls(kLogindName, kLogindPath);
  LogindPower power(clock);
  EXPECT_TRUE(power.requestExit(4));
  std::vector<std::string> calls;
  for (const auto& call : logindCalls()) {
    if (call.starts_with("GetSessionByPID") || call.starts_with("TerminateSession")) {
      calls.push_back(call);
    }
  }
  EXPECT_THAT(calls,
              ElementsAre("GetSessionByPID " + std::to_string(::getpid()), "TerminateSession c9"));
}

TEST_F(LogindPowerTest, NoSessionFoundEndsNothing) {
  ScopedEnv noId("XDG_SESSION_ID", "");
  addLogindMethod("GetSessionByPID", "u", "o",
                  raising("org.freedesktop.login1.NoSessionForPID",
                          "PID does not belong to any known session"));
  client_->clearCalls(kLogindName, kLogindPath);
  // Where the test itself runs in a login session, the cgroup names it.
  char* raw = nullptr;
  const bool inSession = sd_pid_get_session(0, &raw) >= 0;
  const std::string own = inSession ? raw : "";
  std::free(raw);

  LogindPower power(clock);
  ::testing::internal::CaptureStderr();
  const bool done = power.requestExit(0);
  const std::string log = ::testing::internal::GetCapturedStderr();
  if (inSession) {
    EXPECT_TRUE(done);
    EXPECT_THAT(logindCalls(), ElementsAre("GetSessionByPID " + std::to_string(::getpid()),
                                           "TerminateSession " + own));
  } else {
    EXPECT_FALSE(done);
    EXPECT_THAT(logindCalls(), ElementsAre("GetSessionByPID " + std::to_string(::getpid())));
    EXPECT_EQ(log,
              "vodivuri: cannot tell which session to end: PID does not belong to any known "
              "session\n");
  }
}

}  // namespace
}  // namespace vodivuri::testing
