#include "fixture.hpp"

namespace vodivuri::mainwindow::testing {
namespace {

using Notification = testhost::TestHost::Notification;

constexpr const char* kTail = ". Para evitarlo, desmarque la acción en la ventana de Vodivuri.";

class Warning : public MainWindowTest {
 protected:
  // An armed schedule at hh:mm, every day or on `date`, started at 06:00 of 7 December.
  void schedule(const char* action, const char* hour, const char* minute,
                const char* date = nullptr, VersionRecord record = kXp) {
    version.record = record;
    clock.set({{2026, 12, 7}, 6, 0, 0});
    std::map<std::string, std::string> stored{{"ApagarSistema", "False"},
                                              {"ReiniciarSistema", "False"},
                                              {"ReiniciarSesion", "False"},
                                              {"Forzar", "False"},
                                              {"Siempre", date ? "False" : "True"},
                                              {"FechaProgramada", date ? date : "07/12/2026"},
                                              {"Hora", hour},
                                              {"Minutos", minute}};
    stored[action] = "True";
    storeSettings(stored);
    host.notifications.clear();
    start();
  }
  // Lets the clock run second by second to `when`.
  void runTo(const DateTime& when) {
    const long seconds =
        (toolkit::toDayNumber(when.date) - toolkit::toDayNumber(clock.now().date)) * 86400 +
        (when.hour - clock.now().hour) * 3600L + (when.minute - clock.now().minute) * 60L +
        (when.second - clock.now().second);
    if (seconds > 300) {  // nothing happens until the last minutes
      platform::testing::FakeClock probe(clock.now());
      probe.advanceMilliseconds((seconds - 180) * 1000);
      clock.set(probe.now());
      host.clockChanged();
      return runTo(when);
    }
    host.advanceSeconds(seconds);
  }
};

TEST_F(Warning, AMinuteAheadForEachActionOnce) {
  const struct {
    const char* action;
    const char* text;
  } cases[] = {{"ApagarSistema", "El sistema se apagará a las 07:30"},
               {"ReiniciarSistema", "El sistema se reiniciará a las 07:30"},
               {"ReiniciarSesion", "La sesión se cerrará a las 07:30"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.action);
    schedule(c.action, "07", "30");
    runTo({{2026, 12, 7}, 7, 28, 59});
    EXPECT_TRUE(host.notifications.empty());
    runTo({{2026, 12, 7}, 7, 29, 0});
    EXPECT_EQ(host.notifications,
              (std::vector<Notification>{{"Vodivuri", std::string(c.text) + kTail}}));
    runTo({{2026, 12, 7}, 7, 31, 0});  // the rest of the minute and the firing itself
    EXPECT_EQ(host.notifications.size(), 1u);
    EXPECT_FALSE(power.requests.empty());
  }
}

TEST_F(Warning, TenMinutesAheadFirstThenAMinuteAhead) {
  schedule("ApagarSistema", "07", "30");
  runTo({{2026, 12, 7}, 7, 19, 59});
  EXPECT_TRUE(host.notifications.empty());
  runTo({{2026, 12, 7}, 7, 20, 0});
  EXPECT_EQ(host.notifications,
            (std::vector<Notification>{
                {"Vodivuri", std::string("El sistema se apagará a las 07:30") + kTail}}));
  runTo({{2026, 12, 7}, 7, 20, 59});
  runTo({{2026, 12, 7}, 7, 28, 59});
  EXPECT_EQ(host.notifications.size(), 1u) << "once in its minute";
  runTo({{2026, 12, 7}, 7, 29, 0});
  EXPECT_EQ(host.notifications.size(), 2u);
  EXPECT_EQ(host.notifications[1], host.notifications[0]);
}

TEST_F(Warning, NoTenMinuteWarningWhenStartedAfterIt) {
  schedule("ReiniciarSistema", "06", "10");  // started at 06:00:00, the warning's own minute
  runTo({{2026, 12, 7}, 6, 8, 59});
  EXPECT_TRUE(host.notifications.empty());
  runTo({{2026, 12, 7}, 6, 9, 0});
  EXPECT_EQ(host.notifications.size(), 1u);
  // Disarmed between the two: the second never comes.
  schedule("ApagarSistema", "07", "30");
  runTo({{2026, 12, 7}, 7, 20, 0});
  ASSERT_EQ(host.notifications.size(), 1u);
  host.trayMessage(kLeftDoubleClick);
  w().chApagar.userClick();
  runTo({{2026, 12, 7}, 7, 31, 0});
  EXPECT_EQ(host.notifications.size(), 1u);
  EXPECT_TRUE(power.requests.empty());
}

TEST_F(Warning, ItsCancelButtonDisarmsAsUntickingDoes) {
  schedule("ReiniciarSesion", "07", "30");
  runTo({{2026, 12, 7}, 7, 29, 5});
  ASSERT_EQ(host.notifications.size(), 1u);
  host.trayMessage(toolkit::kTrayNotificationCancel);
  EXPECT_EQ(w().chReSes.value(), 0);
  EXPECT_FALSE(w().Timer1.enabled());
  EXPECT_EQ(setting("ReiniciarSesion"), "False");
  EXPECT_FALSE(w().visible()) << "the window stays as it was";
  runTo({{2026, 12, 7}, 7, 31, 0});
  EXPECT_TRUE(power.requests.empty());
}

TEST_F(Warning, EveryDayAgainTomorrowAndAcrossMidnight) {
  schedule("ApagarSistema", "00", "00");
  runTo({{2026, 12, 7}, 23, 59, 0});
  ASSERT_EQ(host.notifications.size(), 1u);
  EXPECT_EQ(host.notifications[0].text, std::string("El sistema se apagará a las 00:00") + kTail);
  runTo({{2026, 12, 8}, 23, 59, 30});
  EXPECT_EQ(host.notifications.size(), 2u);
}

TEST_F(Warning, DateModeOnlyTheDayBeforeAMidnightDate) {
  schedule("ReiniciarSistema", "00", "00", "09/12/2026");
  ASSERT_TRUE(w().opSelFecha.selected());
  runTo({{2026, 12, 7}, 23, 59, 30});
  EXPECT_TRUE(host.notifications.empty());  // two days before
  runTo({{2026, 12, 8}, 23, 59, 0});
  EXPECT_EQ(host.notifications.size(), 1u);
  runTo({{2026, 12, 9}, 23, 59, 30});
  EXPECT_EQ(host.notifications.size(), 1u);  // the date has gone

  schedule("ReiniciarSesion", "07", "30", "07/12/2026");
  runTo({{2026, 12, 7}, 7, 29, 0});
  EXPECT_EQ(host.notifications.size(), 1u);
}

TEST_F(Warning, NeverForAScheduleThatWouldNotFire) {
  // Disarmed.
  schedule("ApagarSistema", "07", "30");
  host.trayMessage(kLeftDoubleClick);
  w().chApagar.userClick();
  runTo({{2026, 12, 7}, 7, 30, 30});
  // An unknown version; a damaged time; a date already past.
  schedule("ApagarSistema", "07", "30", nullptr, VersionRecord{7, 0, 0});
  runTo({{2026, 12, 7}, 7, 30, 30});
  EXPECT_TRUE(power.requests.empty()) << "unknown version";
  schedule("ApagarSistema", "x", "30");
  runTo({{2026, 12, 7}, 7, 30, 30});
  EXPECT_TRUE(power.requests.empty()) << "damaged time";
  schedule("ApagarSistema", "07", "30", "01/12/2026");
  w().opSelFecha.select();  // the past date kept in date mode
  runTo({{2026, 12, 7}, 7, 30, 30});
  EXPECT_TRUE(host.notifications.empty());
  EXPECT_TRUE(power.requests.empty());
}

TEST_F(Warning, NotWhenStartedInsideTheMinuteBefore) {
  schedule("ApagarSistema", "06", "01");  // started at 06:00:00
  runTo({{2026, 12, 7}, 6, 1, 30});
  EXPECT_TRUE(host.notifications.empty());
  EXPECT_FALSE(power.requests.empty());  // the action itself still fires
}

TEST_F(Warning, ClickingItShowsTheWindow) {
  schedule("ApagarSistema", "07", "30");
  runTo({{2026, 12, 7}, 7, 29, 1});
  ASSERT_EQ(host.notifications.size(), 1u);
  EXPECT_FALSE(w().visible());
  host.trayMessage(toolkit::kTrayNotificationClick);
  EXPECT_TRUE(w().visible());
  EXPECT_EQ(w().mnuMax.caption(), "Minimizar");
  // Unticking the action stops it.
  w().chApagar.userClick();
  runTo({{2026, 12, 7}, 7, 31, 0});
  EXPECT_TRUE(power.requests.empty());
}

}  // namespace
}  // namespace vodivuri::mainwindow::testing
