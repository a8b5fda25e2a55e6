#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/linux/logind/power_logind.hpp"
#include "platform/logind/logind_fixture.hpp"

namespace vodivuri::testing {
namespace {

using platform::linux_os::LogindPower;
using platform::linux_os::LogindTimeouts;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr const char* kGnome = "org.gnome.SessionManager";
constexpr const char* kGnomePath = "/org/gnome/SessionManager";

// logind on the system bus, and GNOME's session manager on a session bus.
class SessionManagerTest : public LogindSuite {
 protected:
  static void SetUpTestSuite() {
    LogindSuite::SetUpTestSuite();
    sessionBus_ = std::make_unique<PrivateBus>();
    gnome_ = std::make_unique<MockServer>(*sessionBus_, false, kGnome,
                                          std::vector<std::string>{kGnome, kGnomePath, kGnome});
    session_ = std::make_unique<BusClient>(sessionBus_->address());
    addGnomeMethods();
  }
  static void TearDownTestSuite() {
    session_.reset();
    gnome_.reset();
    sessionBus_.reset();
    LogindSuite::TearDownTestSuite();
  }
  void SetUp() override {
    LogindSuite::SetUp();
    sessionEnv_.emplace("DBUS_SESSION_BUS_ADDRESS", sessionBus_->address());
    session_->clearCalls(kGnome, kGnomePath);
  }

  static void addGnomeMethods(const std::string& shutdownCode = "") {
    session_->addMethod(kGnome, kGnomePath, kGnome, "Shutdown", "", "", shutdownCode);
    session_->addMethod(kGnome, kGnomePath, kGnome, "Reboot", "", "", "");
    session_->addMethod(kGnome, kGnomePath, kGnome, "Logout", "u", "", "");
  }
  static std::vector<std::string> gnomeCalls() { return session_->calls(kGnome, kGnomePath); }

  static inline std::unique_ptr<PrivateBus> sessionBus_;
  static inline std::unique_ptr<MockServer> gnome_;
  static inline std::unique_ptr<BusClient> session_;
};

TEST_F(SessionManagerTest, UnforcedRequestsGoToTheSessionManagerOnly) {
  LogindPower power(clock);
  for (std::uint32_t flags : {8u, 1u, 2u, 0u}) EXPECT_TRUE(power.requestExit(flags)) << flags;
  EXPECT_THAT(gnomeCalls(), ElementsAre("Shutdown", "Shutdown", "Reboot", "Logout 1"));
  EXPECT_THAT(logindCalls(), IsEmpty());
}

TEST_F(SessionManagerTest, ForcedRequestsNeverGoToTheSessionManager) {
  LogindPower power(clock);
  for (std::uint32_t flags : {12u, 5u, 6u, 4u}) EXPECT_TRUE(power.requestExit(flags)) << flags;
  EXPECT_THAT(gnomeCalls(), IsEmpty());
  EXPECT_THAT(logindCalls(), ElementsAre("PowerOff false", "PowerOff false", "Reboot false",
                                         "TerminateSession c7"));
}

TEST_F(SessionManagerTest, RefusalFallsBackToLogindAndIsLoggedOnce) {
  addGnomeMethods(raising("org.gnome.SessionManager.NotInRunning",
                          "Shutdown interface is only "
                          "available during the Running "
                          "phase"));
  LogindPower power(clock);
  ::testing::internal::CaptureStderr();
  EXPECT_TRUE(power.requestExit(8));
  clock.at.minute += 1;
  EXPECT_TRUE(power.requestExit(8));
  const std::string log = ::testing::internal::GetCapturedStderr();
  addGnomeMethods();

  EXPECT_EQ(log,
            "vodivuri: org.gnome.SessionManager.Shutdown failed: Shutdown interface is only "
            "available during the Running phase\n");
  EXPECT_THAT(gnomeCalls(), ElementsAre("Shutdown", "Shutdown"));
  EXPECT_THAT(logindCalls(), ElementsAre("PowerOff false", "PowerOff false"));
}

TEST_F(SessionManagerTest, SilentManagerIsEndingTheSessionSoLogindIsNotAsked) {
  // GNOME answers Shutdown only once the session is over.
  addGnomeMethods("import time; time.sleep(0.5)");
  LogindTimeouts timeouts;
  timeouts.sessionManager = std::chrono::milliseconds(100);
  LogindPower power(clock, timeouts);
  ::testing::internal::CaptureStderr();
  EXPECT_TRUE(power.requestExit(8));
  const std::string log = ::testing::internal::GetCapturedStderr();
  addGnomeMethods();

  EXPECT_EQ(log, "");
  EXPECT_THAT(gnomeCalls(), ElementsAre("Shutdown"));
  EXPECT_THAT(logindCalls(), IsEmpty());
}

TEST_F(SessionManagerTest, WithoutSessionManagerLogindIsAsked) {
  TempFolder folder;
  const std::vector<std::optional<std::string>> sessionBuses{
      systemAddress(),  // a bus where no session manager runs
      std::string("disabled:"), "unix:path=" + folder / "none", std::nullopt};
  for (const auto& address : sessionBuses) {
    SCOPED_TRACE(address.value_or("(unset)"));
    ScopedEnv bus("DBUS_SESSION_BUS_ADDRESS", address);
    ScopedEnv runtime("XDG_RUNTIME_DIR", folder.path());
    client_->clearCalls(kLogindName, kLogindPath);
    LogindPower power(clock);
    ::testing::internal::CaptureStderr();
    EXPECT_TRUE(power.requestExit(2));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_THAT(logindCalls(), ElementsAre("Reboot false"));
  }
  EXPECT_THAT(gnomeCalls(), IsEmpty());
}

// KDE's and Xfce's session managers, each alone on a session bus.
struct Desktop {
  std::string name, path, interface;
  std::vector<std::pair<std::string, std::string>> methods;  // name, input signature
  std::vector<std::string> expected;                         // for flags 8, 1, 2, 0
};

TEST_F(SessionManagerTest, KdeAndXfceGetTheirOwnMethods) {
  const std::vector<Desktop> desktops{
      {"org.kde.Shutdown",
       "/Shutdown",
       "org.kde.Shutdown",
       {{"logoutAndShutdown", ""}, {"logoutAndReboot", ""}, {"logout", ""}},
       {"logoutAndShutdown", "logoutAndShutdown", "logoutAndReboot", "logout"}},
      {"org.xfce.SessionManager",
       "/org/xfce/SessionManager",
       "org.xfce.Session.Manager",
       {{"Shutdown", "b"}, {"Restart", "b"}, {"Logout", "bb"}},
       {"Shutdown true", "Shutdown true", "Restart true", "Logout false true"}},
  };
  for (const Desktop& desktop : desktops) {
    SCOPED_TRACE(desktop.name);
    PrivateBus bus;
    MockServer manager(bus, false, desktop.name, {desktop.name, desktop.path, desktop.interface});
    BusClient client(bus.address());
    for (const auto& [method, signature] : desktop.methods) {
      client.addMethod(desktop.name, desktop.path, desktop.interface, method, signature, "", "");
    }
    client.clearCalls(desktop.name, desktop.path);
    ScopedEnv session("DBUS_SESSION_BUS_ADDRESS", bus.address());
    client_->clearCalls(kLogindName, kLogindPath);

    LogindPower power(clock);
    for (std::uint32_t flags : {8u, 1u, 2u, 0u}) EXPECT_TRUE(power.requestExit(flags)) << flags;
    EXPECT_THAT(client.calls(desktop.name, desktop.path),
                ElementsAre(desktop.expected[0], desktop.expected[1], desktop.expected[2],
                            desktop.expected[3]));
    EXPECT_THAT(logindCalls(), IsEmpty());
  }
}

}  // namespace
}  // namespace vodivuri::testing
