#include "fixture.hpp"

namespace vodivuri::mainwindow::testing {
namespace {

class Trigger : public MainWindowTest {
 protected:
  // A schedule at 07:30 restored at 07:00 on 7 December 2026.
  void schedule(const char* action, const VersionRecord& v, bool forced,
                const char* date = nullptr) {
    registry = {};
    power.requests.clear();
    version.record = v;
    clock.set({{2026, 12, 7}, 7, 0, 0});
    std::map<std::string, std::string> stored{{"ApagarSistema", "False"},
                                              {"ReiniciarSistema", "False"},
                                              {"ReiniciarSesion", "False"},
                                              {"Hora", "07"},
                                              {"Minutos", "30"},
                                              {"Forzar", forced ? "True" : "False"},
                                              {"Siempre", date ? "False" : "True"},
                                              {"FechaProgramada", date ? date : "07/12/2026"}};
    stored[action] = "True";
    storeSettings(stored);
    start();
    ASSERT_TRUE(w().Timer1.enabled());
  }
  // Runs the clock to `when` and returns what was requested meanwhile. Long
  // stretches jump to the last minute before `when` (nothing is due in them).
  std::vector<Request> until(const DateTime& when) {
    power.requests.clear();
    if (secondsTo(when) > 120) {
      const long jump = secondsTo(when) - 60;
      platform::testing::FakeClock probe(clock.now());
      probe.advanceMilliseconds(jump * 1000);
      clock.set(probe.now());
      host.clockChanged();
    }
    host.advanceSeconds(secondsTo(when));
    return power.requests;
  }
  long secondsTo(const DateTime& when) {
    return (toolkit::toDayNumber(when.date) - toolkit::toDayNumber(clock.now().date)) * 86400 +
           (when.hour - clock.now().hour) * 3600L + (when.minute - clock.now().minute) * 60L +
           (when.second - clock.now().second);
  }
};

TEST_F(Trigger, EveryDayFiresOnEveryTickOfTheMinuteAndNoLonger) {
  schedule("ApagarSistema", kXp, false);
  EXPECT_TRUE(until({{2026, 12, 7}, 7, 29, 59}).empty());
  const auto inMinute = until({{2026, 12, 7}, 7, 30, 59});
  ASSERT_EQ(inMinute.size(), 60u);
  for (const Request& r : inMinute) EXPECT_EQ(r, (Request{8, true}));
  EXPECT_TRUE(until({{2026, 12, 8}, 7, 29, 59}).empty());
  EXPECT_EQ(until({{2026, 12, 8}, 7, 30, 0}), (std::vector<Request>{{8, true}}));
}

TEST_F(Trigger, ForceDecidesOnEveryFamilyAndInBothModes) {
  struct Case {
    const char* action;
    VersionRecord version;
    bool forced;
    const char* date;
    Request expected;
  };
  const Case cases[] = {
      {"ApagarSistema", kXp, false, nullptr, {8, true}},
      {"ApagarSistema", kXp, true, nullptr, {12, true}},
      {"ReiniciarSistema", k2000, false, nullptr, {2, true}},
      {"ReiniciarSistema", k2000, true, "07/12/2026", {6, true}},
      {"ReiniciarSesion", kXp, false, "07/12/2026", {0, false}},
      {"ReiniciarSesion", kXp, true, nullptr, {4, false}},
      {"ApagarSistema", k98, false, nullptr, {1, false}},
      {"ApagarSistema", k98, true, nullptr, {5, false}},
      {"ApagarSistema", k98, true, "07/12/2026", {5, false}},
      {"ReiniciarSistema", k98, false, "07/12/2026", {2, false}},
      {"ReiniciarSistema", k98, true, nullptr, {6, false}},
      {"ReiniciarSesion", k98, false, nullptr, {0, false}},
      {"ReiniciarSesion", k98, true, "07/12/2026", {4, false}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.action) + (c.forced ? " forced" : "") + (c.date ? " date" : ""));
    schedule(c.action, c.version, c.forced, c.date);
    const auto r = until({{2026, 12, 7}, 7, 30, 0});
    EXPECT_EQ(r, std::vector<Request>{c.expected});
  }
}

TEST_F(Trigger, OneDateFiresOnlyOnItsDate) {
  schedule("ApagarSistema", kXp, false, "08/12/2026");
  EXPECT_TRUE(w().opSelFecha.selected());
  EXPECT_FALSE(w().opSiempre.selected());
  EXPECT_EQ(st().ScheduledDateText, "08/12/2026");
  EXPECT_TRUE(until({{2026, 12, 7}, 7, 31, 0}).empty());  // the day before
  EXPECT_TRUE(until({{2026, 12, 8}, 7, 29, 59}).empty());
  EXPECT_EQ(until({{2026, 12, 8}, 7, 30, 1}).size(), 2u);
  EXPECT_EQ(until({{2026, 12, 8}, 7, 31, 0}).size(), 58u);
  EXPECT_TRUE(until({{2026, 12, 9}, 7, 31, 0}).empty());  // the day after
}

TEST_F(Trigger, UnknownVersionsNeverRequestAnything) {
  schedule("ApagarSistema", VersionRecord{1, 4, 3}, true);
  EXPECT_EQ(st().WindowsVersion, "");
  EXPECT_TRUE(until({{2026, 12, 7}, 7, 31, 0}).empty());
  schedule("ApagarSistema", VersionRecord{7, 0, 0}, true);
  EXPECT_EQ(st().WindowsVersion, "Failed");
  EXPECT_TRUE(until({{2026, 12, 7}, 7, 31, 0}).empty());
}

TEST_F(Trigger, WindowsAfterXpFollowTheNtRules) {
  schedule("ApagarSistema", VersionRecord{2, 10, 0}, true);
  EXPECT_EQ(st().WindowsVersion, "Windows NT 10.0");
  EXPECT_TRUE(w().chForzar.enabled());
  EXPECT_EQ(until({{2026, 12, 7}, 7, 30, 0}), (std::vector<Request>{{12, true}}));
}

TEST_F(Trigger, NothingFiresInTheMinuteTheProgramStarted) {
  // A restart at 07:30 brings the program back within the same minute.
  schedule("ReiniciarSistema", kXp, false);
  clock.set({{2026, 12, 7}, 7, 30, 10});
  start();
  EXPECT_TRUE(until({{2026, 12, 7}, 7, 31, 0}).empty());
  EXPECT_EQ(until({{2026, 12, 8}, 7, 30, 0}), (std::vector<Request>{{2, true}}));
}

TEST_F(Trigger, TheImmediateRestartLeavesTheScheduledForceAlone) {
  schedule("ReiniciarSistema", k2000, true);
  host.answer(MessageAnswer::Yes);
  w().mnuReSistClick();
  EXPECT_EQ(power.requests, (std::vector<Request>{{2, true}}));  // unforced at once
  EXPECT_EQ(st().ForceFlag, engine::kTrue);
  EXPECT_EQ(until({{2026, 12, 7}, 7, 30, 0}), (std::vector<Request>{{6, true}}));
}

TEST_F(Trigger, ClockJumpsAndSuspendsIntoTheMinuteStillFire) {
  schedule("ApagarSistema", kXp, false);
  // The clock is set forward into the minute (a time change).
  host.advanceSeconds(3);
  power.requests.clear();
  clock.set({{2026, 12, 7}, 7, 30, 40});
  host.clockChanged();
  EXPECT_EQ(power.requests, (std::vector<Request>{{8, true}}));

  // A suspend from 07:10 that ends at 07:30:58: the first tick after resuming fires.
  schedule("ApagarSistema", kXp, false);
  clock.set({{2026, 12, 7}, 7, 10, 0});
  host.clockChanged();
  power.requests.clear();
  clock.set({{2026, 12, 7}, 7, 30, 58});
  host.clockChanged();
  EXPECT_EQ(power.requests, (std::vector<Request>{{8, true}}));
  // Jumped past the minute: nothing is caught up.
  clock.set({{2026, 12, 7}, 7, 45, 0});
  host.clockChanged();
  power.requests.clear();
  host.advanceSeconds(5);
  EXPECT_TRUE(power.requests.empty());
}

TEST_F(Trigger, AMatchingTickWithNoActionDoesNothing) {
  schedule("ApagarSistema", kXp, false);
  w().chApagar.setValue(0);
  w().Timer1.setEnabled(true);  // as if the timer were left on
  EXPECT_TRUE(until({{2026, 12, 7}, 7, 30, 5}).empty());
}

TEST_F(Trigger, AScriptedUserSetsUpAShutdown) {
  firstStart();
  clock.set({{2026, 12, 7}, 7, 5, 0});
  // The user opens the window from the tray and edits the schedule.
  host.trayMessage(kLeftDoubleClick);
  ASSERT_TRUE(w().visible());
  w().chApagar.userClick();
  for (int i = 0; i < 7; ++i) w().cmdAumHora.userClick();
  for (int i = 0; i < 30; ++i) w().cmdDismMin.userClick();
  w().opSiempre.userClick();
  EXPECT_EQ(w().txtHora.caption(), "07");
  EXPECT_EQ(w().txtMin.caption(), "30");
  EXPECT_EQ(setting("ApagarSistema"), "True");
  EXPECT_EQ(setting("Hora"), "07");
  EXPECT_EQ(setting("Minutos"), "30");
  EXPECT_TRUE(until({{2026, 12, 7}, 7, 29, 59}).empty());
  EXPECT_EQ(until({{2026, 12, 7}, 7, 30, 59}).size(), 60u);
  EXPECT_TRUE(until({{2026, 12, 7}, 7, 31, 59}).empty());
}

TEST_F(Trigger, HiddenAndArmedItWakesOnceAMinuteAndEverySecondOfTheFiringMinute) {
  schedule("ApagarSistema", kXp, false);
  ASSERT_FALSE(w().visible());
  int ticks = 0;
  const std::function<void()> check = w().Timer1.onTick;
  w().Timer1.onTick = [&] {
    ++ticks;
    check();
  };
  host.advanceSeconds(30 * 60 - 1);  // 07:00:00 to 07:29:59, second by second
  EXPECT_EQ(ticks, 29);
  EXPECT_FALSE(w().Timer2.enabled());
  EXPECT_TRUE(power.requests.empty());
  host.advance(1000);  // to 07:30:00.000: the check runs at the minute's first instant
  EXPECT_EQ(power.requests.size(), 1u);
  host.advanceSeconds(60);
  EXPECT_EQ(power.requests.size(), 60u);
  ticks = 0;
  host.advanceSeconds(3600);
  EXPECT_EQ(ticks, 60);
  EXPECT_EQ(power.requests.size(), 60u);
  // Shown, it checks with the clock's every second.
  host.trayMessage(kLeftDoubleClick);
  ticks = 0;
  host.advanceSeconds(10);
  EXPECT_EQ(ticks, 10);
}

}  // namespace
}  // namespace vodivuri::mainwindow::testing
