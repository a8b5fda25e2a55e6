#include "engine/power_actions.hpp"

#include <gtest/gtest.h>

#include "frontend/testhost/test_host.hpp"

namespace vodivuri::engine {
namespace {

using platform::VersionRecord;
using platform::testing::RecordingPower;
using platform::testing::ScriptedVersion;
using Request = RecordingPower::Request;

TEST(VersionName, EveryRowOfTheTable) {
  struct Row {
    std::optional<VersionRecord> record;
    const char* name;
  };
  const Row rows[] = {
      {VersionRecord{1, 4, 0}, "Windows 95"},
      {VersionRecord{1, 4, 10}, "Windows 98"},
      {VersionRecord{1, 4, 90}, "Windows Mellinnium"},
      {VersionRecord{1, 4, 3}, ""},
      {VersionRecord{2, 3, 51}, "Windows NT 3.51"},
      {VersionRecord{2, 4, 0}, "Windows NT 4.0"},
      {VersionRecord{2, 5, 0}, "Windows 2000"},
      {VersionRecord{2, 5, 1}, "Windows XP"},
      {VersionRecord{2, 5, 2}, "Windows XP"},
      {VersionRecord{2, 6, 1}, "Windows NT 6.1"},
      {VersionRecord{0, 3, 1}, "Failed"},
      {VersionRecord{3, 10, 0}, "Failed"},
      {std::nullopt, "Failed"},
  };
  for (const Row& r : rows) {
    ScriptedVersion v(r.record);
    EXPECT_EQ(GetWindowsVersionName(v), r.name);
  }
}

TEST(VersionName, FamiliesByExactName) {
  for (const char* n : {"Windows 2000", "Windows XP", "Windows NT 4.0", "Windows NT 3.51"}) {
    EXPECT_TRUE(NtFamily(n)) << n;
    EXPECT_FALSE(Win9xFamily(n)) << n;
  }
  for (const char* n : {"Windows 98", "Windows 95", "Windows Mellinnium"}) {
    EXPECT_TRUE(Win9xFamily(n)) << n;
    EXPECT_FALSE(NtFamily(n)) << n;
  }
  for (const char* n : {"", "Failed", "windows xp", "Windows Millennium"}) {
    EXPECT_FALSE(NtFamily(n)) << n;
    EXPECT_FALSE(Win9xFamily(n)) << n;
  }
}

TEST(PowerRoutines, FlagsAndPrivilegeStep) {
  ScriptedVersion nt(VersionRecord{2, 5, 1});
  RecordingPower power;
  PowerActions actions(nt, power);
  actions.PowerOffSystem(kFalse);
  actions.PowerOffSystem(kTrue);
  actions.RebootSystem(kFalse);
  actions.RebootSystem(kTrue);
  actions.LogOffSession(kFalse);
  actions.LogOffSession(kTrue);
  EXPECT_EQ(
      power.requests,
      (std::vector<Request>{{8, true}, {12, true}, {2, true}, {6, true}, {0, false}, {4, false}}));
}

TEST(PowerRoutines, PrivilegeStepFollowsThePlatformIdNotTheName) {
  ScriptedVersion nt6(VersionRecord{2, 6, 1});
  ScriptedVersion w98(VersionRecord{1, 4, 10});
  RecordingPower power;
  PowerActions(nt6, power).PowerOffSystem(kFalse);
  PowerActions(w98, power).RebootSystem(kTrue);
  EXPECT_EQ(power.requests, (std::vector<Request>{{8, true}, {6, false}}));
}

class Immediate : public ::testing::Test {
 protected:
  std::vector<Request> run(PowerAction action, const char* versionName,
                           toolkit::MessageAnswer answer) {
    platform::testing::FakeClock clock;
    testhost::TestHost host(clock);
    ScriptedVersion version(std::string(versionName).rfind("Windows 9", 0) == 0
                                ? VersionRecord{1, 4, 10}
                                : VersionRecord{2, 5, 1});
    RecordingPower power;
    PowerActions actions(version, power);
    ProgramState state;
    state.WindowsVersion = versionName;
    state.ForceFlag = kTrue;
    host.answer(answer);
    RunImmediateAction(action, host, actions, state);
    EXPECT_EQ(state.ForceFlag, kTrue);  // left alone
    lastQuestion = host.messages.at(0);
    return power.requests;
  }
  toolkit::MessageRequest lastQuestion;
};

TEST_F(Immediate, NtRequestsUnforcedActionsAfterYes) {
  EXPECT_EQ(run(PowerAction::PowerOff, "Windows XP", toolkit::MessageAnswer::Yes),
            (std::vector<Request>{{8, true}}));
  EXPECT_EQ(lastQuestion, (toolkit::MessageRequest{"Seguro que quiere apagar el sistema?",
                                                   "Vodivuri", toolkit::MessageButtons::YesNo,
                                                   toolkit::MessageIcon::Question}));
  EXPECT_EQ(run(PowerAction::Restart, "Windows 2000", toolkit::MessageAnswer::Yes),
            (std::vector<Request>{{2, true}}));
  EXPECT_EQ(lastQuestion.text, "Seguro que quiere reiniciar el sistema?");
  EXPECT_EQ(run(PowerAction::EndSession, "Windows NT 4.0", toolkit::MessageAnswer::Yes),
            (std::vector<Request>{{0, false}}));
  EXPECT_EQ(lastQuestion.text, "Seguro que quiere reiniciar la sesión?");
}

TEST_F(Immediate, Win9xRequestsDirectFlags) {
  EXPECT_EQ(run(PowerAction::PowerOff, "Windows 98", toolkit::MessageAnswer::Yes),
            (std::vector<Request>{{1, false}}));
  EXPECT_EQ(run(PowerAction::Restart, "Windows 95", toolkit::MessageAnswer::Yes),
            (std::vector<Request>{{2, false}}));
  EXPECT_EQ(run(PowerAction::EndSession, "Windows 98", toolkit::MessageAnswer::Yes),
            (std::vector<Request>{{0, false}}));
}

TEST_F(Immediate, NoOrAnUnknownVersionRequestsNothing) {
  EXPECT_TRUE(run(PowerAction::PowerOff, "Windows XP", toolkit::MessageAnswer::No).empty());
  EXPECT_TRUE(run(PowerAction::PowerOff, "Failed", toolkit::MessageAnswer::Yes).empty());
  EXPECT_TRUE(run(PowerAction::Restart, "", toolkit::MessageAnswer::Yes).empty());
}

}  // namespace
}  // namespace vodivuri::engine
