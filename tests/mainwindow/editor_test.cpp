#include "fixture.hpp"

namespace vodivuri::mainwindow::testing {
namespace {

class Editor : public MainWindowTest {
 protected:
  void SetUp() override {
    firstStart();
    host.trayMessage(kLeftDoubleClick);  // the window is shown for the user
  }
};

TEST_F(Editor, SwitchingActionsKeepsTheScheduleArmed) {
  w().chApagar.userClick();
  ASSERT_TRUE(w().Timer1.enabled());
  const std::size_t before = registry.writes.size();
  w().chReSist.userClick();
  EXPECT_EQ(w().chApagar.value(), 0);
  EXPECT_EQ(setting("ApagarSistema"), "False");
  EXPECT_EQ(setting("ReiniciarSistema"), "True");
  EXPECT_EQ(setting("ReiniciarSesion"), "False");
  // The unchecked box ran its own handler first, then the three in order.
  EXPECT_EQ(writesSince(before), (std::vector<std::string>{"ApagarSistema", "ApagarSistema",
                                                           "ReiniciarSistema", "ReiniciarSesion"}));
  EXPECT_TRUE(w().Timer1.enabled());
  EXPECT_TRUE(w().cmdAumMin.enabled());
  w().chReSes.userClick();
  EXPECT_EQ(w().chReSist.value(), 0);
  EXPECT_TRUE(w().Timer1.enabled());
}

TEST_F(Editor, UncheckingTheOnlyBoxDisarmsAndLocks) {
  w().chReSes.userClick();
  w().opSelFecha.userClick();
  const std::size_t before = registry.writes.size();
  w().chReSes.userClick();
  EXPECT_EQ(writesSince(before), std::vector<std::string>{"ReiniciarSesion"});
  EXPECT_FALSE(w().Timer1.enabled());
  for (toolkit::Control* c : std::initializer_list<toolkit::Control*>{
           &w().opSiempre, &w().opSelFecha, &w().Label6, &w().Label7, &w().cmdAumHora,
           &w().cmdDismHora, &w().txtHora, &w().cmdAumMin, &w().cmdDismMin, &w().txtMin,
           &w().lblHora, &w().lblMin, &w().cmdCalendario, &w().lblCalen, &w().chForzar,
           &w().lblForzar}) {
    EXPECT_FALSE(c->enabled()) << c->name();
  }
  EXPECT_EQ(w().lblCalen.caption(), "");
  EXPECT_TRUE(w().opSelFecha.selected());
  EXPECT_TRUE(w().chApagar.enabled());
}

TEST_F(Editor, TheGreyStateWritesNothingButStillRearms) {
  w().chApagar.userClick();
  const std::size_t before = registry.writes.size();
  w().chApagar.setValue(2);
  EXPECT_TRUE(writesSince(before).empty());
  EXPECT_FALSE(w().Timer1.enabled());  // grey counts as unchecked
}

TEST_F(Editor, CaptionLabelsDoNotToggle) {
  w().Label3.userClick();
  w().lblForzar.userClick();
  EXPECT_EQ(w().chApagar.value(), 0);
  EXPECT_EQ(w().chForzar.value(), 0);
}

TEST_F(Editor, ForceBoxOnWin9xNamesIsAlwaysUsable) {
  version.record = k98;
  start();
  host.trayMessage(kLeftDoubleClick);
  ASSERT_TRUE(w().chForzar.enabled());
  w().chForzar.userClick();
  EXPECT_EQ(setting("Forzar"), "True");
  EXPECT_EQ(st().ForceFlag, engine::kTrue);
  EXPECT_FALSE(w().Timer1.enabled());
  w().chForzar.userClick();
  EXPECT_EQ(setting("Forzar"), "False");
  EXPECT_EQ(st().ForceFlag, engine::kFalse);
}

TEST_F(Editor, DisarmingOnNtKeepsTheForceTick) {
  w().chApagar.userClick();
  w().chForzar.userClick();
  w().chApagar.userClick();
  EXPECT_FALSE(w().chForzar.enabled());
  EXPECT_EQ(w().chForzar.value(), 1);
  EXPECT_EQ(st().ForceFlag, engine::kTrue);
  // An immediate action goes unforced; afterwards the flag still follows the box.
  host.answer(MessageAnswer::Yes);
  w().mnuApagarClick();
  EXPECT_EQ(power.requests, (std::vector<Request>{{8, true}}));
  w().chApagar.userClick();
  w().chForzar.userClick();
  EXPECT_EQ(st().ForceFlag, engine::kFalse);
  w().chForzar.userClick();
  EXPECT_EQ(st().ForceFlag, engine::kTrue);
}

TEST_F(Editor, SpinnersWrapAndWriteBothSettings) {
  w().chApagar.userClick();
  auto press = [&](Button& b, int times = 1) {
    for (int i = 0; i < times; ++i) b.userClick();
  };
  press(w().cmdDismHora);
  EXPECT_EQ(w().txtHora.caption(), "23");
  press(w().cmdAumHora);
  EXPECT_EQ(w().txtHora.caption(), "00");
  press(w().cmdDismMin);
  EXPECT_EQ(w().txtMin.caption(), "59");
  press(w().cmdAumMin);
  EXPECT_EQ(w().txtMin.caption(), "00");
  press(w().cmdAumMin, 5);
  EXPECT_EQ(w().txtMin.caption(), "05");
  press(w().cmdAumMin);
  EXPECT_EQ(w().txtMin.caption(), "06");
  EXPECT_EQ(st().ScheduledMinuteText, "06");
  EXPECT_EQ(st().ScheduledHourText, "00");

  const std::size_t before = registry.writes.size();
  st().ScheduledMinuteText = "xx";
  press(w().cmdAumHora);
  EXPECT_EQ(writesSince(before), (std::vector<std::string>{"Hora", "Minutos"}));
  EXPECT_EQ(setting("Hora"), "01");
  EXPECT_EQ(setting("Minutos"), "06");
  EXPECT_EQ(st().ScheduledMinuteText, "xx");  // hour buttons refresh only the hour

  // The read-out is the source, even its creation caption "0".
  w().txtHora.setCaption("0");
  press(w().cmdAumHora);
  EXPECT_EQ(w().txtHora.caption(), "01");
  w().txtMin.setCaption("0");
  press(w().cmdDismMin);
  EXPECT_EQ(w().txtMin.caption(), "59");
}

TEST_F(Editor, EveryDayModeClearsAndLocksTheDate) {
  w().chApagar.userClick();
  w().opSelFecha.userClick();
  EXPECT_EQ(setting("Siempre"), "False");
  EXPECT_EQ(w().lblCalen.caption(), "lunes, 7 de diciembre de 2026");  // today counts
  EXPECT_EQ(st().ScheduledDateText, "07/12/2026");
  EXPECT_TRUE(w().cmdCalendario.enabled());
  w().opSiempre.userClick();
  EXPECT_EQ(setting("Siempre"), "True");
  EXPECT_EQ(w().lblCalen.caption(), "");
  EXPECT_FALSE(w().cmdCalendario.enabled());
  EXPECT_FALSE(w().lblCalen.enabled());
  // Disarming and arming again in every-day mode leaves the date locked.
  w().chApagar.userClick();
  w().chApagar.userClick();
  EXPECT_FALSE(w().cmdCalendario.enabled());
}

TEST_F(Editor, PastDatesAreNotShown) {
  w().chApagar.userClick();
  registry.putText(RegistryRoot::CurrentUser, engine::kSettingsKey, "FechaProgramada",
                   "06/12/2026");
  w().opSelFecha.userClick();
  EXPECT_EQ(w().lblCalen.caption(), "");
  EXPECT_TRUE(w().cmdCalendario.enabled());
  EXPECT_TRUE(w().lblCalen.enabled());
  // December of last year, seen in January: the year decides first.
  clock.set({{2027, 1, 5}, 7, 0, 0});
  registry.putText(RegistryRoot::CurrentUser, engine::kSettingsKey, "FechaProgramada",
                   "31/12/2026");
  w().ShowScheduledDate();
  EXPECT_EQ(w().lblCalen.caption(), "");
  registry.putText(RegistryRoot::CurrentUser, engine::kSettingsKey, "FechaProgramada",
                   "01/02/2027");
  w().ShowScheduledDate();
  EXPECT_EQ(w().lblCalen.caption(), "lunes, 1 de febrero de 2027");
}

TEST_F(Editor, DisarmAndArmInDateModeShowsTheDateAgain) {
  registry.putText(RegistryRoot::CurrentUser, engine::kSettingsKey, "FechaProgramada",
                   "24/12/2026");
  w().chReSist.userClick();
  w().opSelFecha.userClick();
  ASSERT_EQ(w().lblCalen.caption(), "jueves, 24 de diciembre de 2026");
  w().chReSist.userClick();
  EXPECT_EQ(w().lblCalen.caption(), "");
  EXPECT_TRUE(w().opSelFecha.selected());
  w().chReSist.userClick();
  EXPECT_EQ(w().lblCalen.caption(), "jueves, 24 de diciembre de 2026");
  EXPECT_TRUE(w().cmdCalendario.enabled());
}

TEST_F(Editor, AnExpiredOneDateScheduleStaysOneDate) {
  storeSettings({{"ApagarSistema", "True"},
                 {"Siempre", "False"},
                 {"FechaProgramada", "01/12/2026"},
                 {"Hora", "07"},
                 {"Minutos", "30"}});
  start();
  EXPECT_TRUE(w().opSelFecha.selected());
  EXPECT_FALSE(w().opSiempre.selected());
  EXPECT_EQ(w().lblCalen.caption(), "");
  EXPECT_EQ(st().ScheduledDateText, "01/12/2026");
  host.advanceSeconds(31 * 60 + 5);
  EXPECT_TRUE(power.requests.empty());
}

TEST_F(Editor, AMalformedDateNeverFires) {
  for (const char* bad : {"31/02/2026", "7/12/2026", "hoy", ""}) {
    registry = {};
    storeSettings(
        {{"ApagarSistema", "True"}, {"Siempre", "False"}, {"Hora", "07"}, {"Minutos", "30"}});
    if (*bad) {
      registry.putText(RegistryRoot::CurrentUser, engine::kSettingsKey, "FechaProgramada", bad);
    }
    clock.set({{2026, 12, 7}, 7, 0, 0});
    start();
    SCOPED_TRACE(bad);
    EXPECT_EQ(st().ScheduledDateText, "");
    EXPECT_EQ(w().lblCalen.caption(), "");
    EXPECT_TRUE(w().opSelFecha.selected());
    EXPECT_TRUE(w().cmdCalendario.enabled());
    power.requests.clear();
    host.advanceSeconds(31 * 60);
    EXPECT_TRUE(power.requests.empty());
  }
}

TEST_F(Editor, TheCalendarLocksTheMenuAndHandsItsDateBack) {
  w().chApagar.userClick();
  w().opSelFecha.userClick();
  st().CalendarDate = {2026, 12, 7};
  host.whenModal("Calen", [&](toolkit::Form& f) {
    EXPECT_EQ(calendarShownDate, (toolkit::Date{2026, 12, 7}));
    EXPECT_FALSE(w().mnuMax.enabled());
    EXPECT_FALSE(w().mnuAyuda.enabled());
    EXPECT_FALSE(w().mnuAcercaDe.enabled());
    host.advanceSeconds(2);  // the main window's timers go on
    // The user picks 9 January 2027.
    calendarShownDate = {2027, 1, 9};
    st().CalendarDate = calendarShownDate;
    store->writeSetting("FechaProgramada", "09/01/2027");
    f.unload();
  });
  w().cmdCalendario.userClick();
  EXPECT_EQ(st().CalendarDate, (toolkit::Date{2027, 1, 9}));
  EXPECT_EQ(st().ScheduledDateText, "09/01/2027");
  EXPECT_EQ(st().ChildClosed, engine::kChildJustClosed);
  // Activation came back: the window hides, and the next clock tick brings it back.
  EXPECT_FALSE(w().visible());
  host.advanceSeconds(1);
  EXPECT_TRUE(w().visible());
  EXPECT_TRUE(w().mnuMax.enabled());
  EXPECT_TRUE(w().mnuAyuda.enabled());
  EXPECT_TRUE(w().mnuAcercaDe.enabled());
  EXPECT_EQ(st().ChildClosed, 0);
}

}  // namespace
}  // namespace vodivuri::mainwindow::testing
