#include "fixture.hpp"

namespace vodivuri::mainwindow::testing {
namespace {

using engine::kSettingsKey;

TEST_F(MainWindowTest, FirstStartWritesTheDefaultsInOrderAndAsks) {
  firstStart(MessageAnswer::No);
  EXPECT_EQ(registry.writtenNames(),
            (std::vector<std::string>{"CreateValue", "ApagarSistema", "ReiniciarSistema",
                                      "ReiniciarSesion", "FechaProgramada", "Siempre", "Hora",
                                      "Minutos", "Inicio", "Forzar", "Left", "Top"}));
  EXPECT_EQ(setting("CreateValue"), "07/12/2026");
  EXPECT_EQ(setting("FechaProgramada"), "07/12/2026");
  EXPECT_EQ(setting("Siempre"), "True");
  EXPECT_EQ(setting("Hora"), "00");
  EXPECT_EQ(setting("Forzar"), "False");
  EXPECT_EQ(setting("Left"), "4770");
  EXPECT_EQ(setting("Top"), "3255");
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0],
            (toolkit::MessageRequest{"Desea que esta aplicación se ejecute\nal inicio de windows?",
                                     "Vodivuri", toolkit::MessageButtons::YesNo,
                                     toolkit::MessageIcon::Question}));
  // No: nothing registered, "No" ticked.
  EXPECT_EQ(setting("Inicio"), "False");
  EXPECT_EQ(registry.value(RegistryRoot::CurrentUser, engine::kRunKey, engine::kRunValue),
            std::nullopt);
  EXPECT_FALSE(w().mnuSi.checked());
  EXPECT_TRUE(w().mnuNo.checked());
  // Not armed, but the window still opens where it is laid out.
  EXPECT_FALSE(w().Timer1.enabled());
  EXPECT_EQ(w().txtHora.caption(), "00");
  EXPECT_EQ(w().left(), 4815);
  EXPECT_EQ(st().ScheduledDateText, "");
  EXPECT_EQ(st().CalendarDate, (toolkit::Date{2026, 12, 7}));
  EXPECT_EQ(registry.openHandles(), 0);
}

TEST_F(MainWindowTest, FirstStartPositionsByScreenWidth) {
  for (const auto& [width, left, top] : std::vector<std::tuple<int, const char*, const char*>>{
           {800, "3090", "1995"}, {640, "1965", "885"}}) {
    registry = {};
    host.setScreen({.widthPixels = width});
    firstStart();
    EXPECT_EQ(setting("Left"), left);
    EXPECT_EQ(setting("Top"), top);
  }
  registry = {};
  host.setScreen({.widthPixels = 1280});
  firstStart();
  EXPECT_EQ(setting("Left"), std::nullopt);
  EXPECT_EQ(setting("Top"), std::nullopt);
  // The next start keeps the laid-out place when the edges are missing.
  start();
  EXPECT_EQ(w().left(), 4815);
  EXPECT_EQ(w().top(), 3690);
}

TEST_F(MainWindowTest, YesRegistersTheRunningProgramQuoted) {
  instance.path = "C:\\Mis programas\\Apagador.exe";
  instance.folder = "C:\\Mis programas";
  firstStart(MessageAnswer::Yes);
  EXPECT_EQ(registry.text(RegistryRoot::CurrentUser, engine::kRunKey, engine::kRunValue),
            "\"C:\\Mis programas\\Apagador.exe\"");
  EXPECT_FALSE(registry.hasKey(RegistryRoot::LocalMachine, engine::kRunKey));
  EXPECT_EQ(autostart.mirrored, std::vector<std::string>{"\"C:\\Mis programas\\Apagador.exe\""});
  EXPECT_EQ(st().AppPath, "C:\\Mis programas");
  EXPECT_EQ(setting("Inicio"), "True");
  EXPECT_TRUE(w().mnuSi.checked());
  EXPECT_FALSE(w().mnuNo.checked());
}

TEST_F(MainWindowTest, TheProgramComesUpAsAnIconOnly) {
  firstStart();
  EXPECT_FALSE(w().visible());
  EXPECT_TRUE(w().loaded());
  ASSERT_TRUE(host.tray);
  EXPECT_EQ(host.tray->tooltip, "Vodivuri");
  EXPECT_EQ(host.tray->receiver, &w().Receptor);
  EXPECT_EQ(w().TrayIconData.cbSize, 88u);
  EXPECT_EQ(w().TrayIconData.uFlags, 7u);
  EXPECT_EQ(w().TrayIconData.uCallbackMessage, 0x200u);
  EXPECT_EQ(w().TrayIconData.szTip[9], ' ');  // blank padding after the NUL
  EXPECT_EQ(w().Label1.caption(), "lunes, 7 de diciembre de 2026");
  EXPECT_EQ(w().Label2.caption(), "07 : 00 :00");
  EXPECT_EQ(w().mnuMax.caption(), "Maximizar");
}

TEST_F(MainWindowTest, ASecondInstanceEndsWithoutTouchingAnything) {
  instance.anotherRunning = true;
  start();
  EXPECT_TRUE(host.quitted());
  EXPECT_TRUE(registry.writes.empty());
  EXPECT_FALSE(host.tray);
  EXPECT_TRUE(host.messages.empty());
  EXPECT_FALSE(w().loaded());
}

TEST_F(MainWindowTest, RestoreOfEachStoredAction) {
  struct Case {
    const char* setting;
    CheckBox& (*box)(frmTransparente&);
  };
  const Case cases[] = {
      {"ApagarSistema", [](frmTransparente& f) -> CheckBox& { return f.chApagar; }},
      {"ReiniciarSistema", [](frmTransparente& f) -> CheckBox& { return f.chReSist; }},
      {"ReiniciarSesion", [](frmTransparente& f) -> CheckBox& { return f.chReSes; }},
  };
  for (const Case& c : cases) {
    registry = {};
    std::map<std::string, std::string> stored{{"ApagarSistema", "False"},
                                              {"ReiniciarSistema", "False"},
                                              {"ReiniciarSesion", "False"},
                                              {"Siempre", "True"},
                                              {"Hora", "07"},
                                              {"Minutos", "30"},
                                              {"Forzar", "False"}};
    stored[c.setting] = "True";
    storeSettings(stored);
    start();
    SCOPED_TRACE(c.setting);
    EXPECT_EQ(c.box(w()).value(), 1);
    EXPECT_EQ(w().chApagar.value() + w().chReSist.value() + w().chReSes.value(), 1);
    EXPECT_TRUE(w().Timer1.enabled());
    EXPECT_TRUE(w().chForzar.enabled());
    EXPECT_TRUE(w().txtHora.enabled());
    EXPECT_TRUE(w().cmdAumHora.enabled());
    EXPECT_EQ(w().txtHora.caption(), "07");
    EXPECT_EQ(st().ScheduledMinuteText, "30");
    // The click handler ran: all three action settings rewritten, same values.
    const auto names = registry.writtenNames();
    EXPECT_EQ(std::count(names.begin(), names.end(), "ApagarSistema"), 1);
    EXPECT_EQ(std::count(names.begin(), names.end(), "ReiniciarSesion"), 1);
    EXPECT_EQ(setting(c.setting), "True");
  }
}

TEST_F(MainWindowTest, NothingScheduledLocksTheForceBoxOnlyOnNt) {
  storeSettings({{"ApagarSistema", "False"},
                 {"ReiniciarSistema", "False"},
                 {"ReiniciarSesion", "False"},
                 {"Siempre", "True"},
                 {"Forzar", "True"}});
  version.record = k98;
  start();
  EXPECT_TRUE(w().chForzar.enabled());
  EXPECT_TRUE(w().lblForzar.enabled());
  EXPECT_FALSE(w().txtHora.enabled());
  EXPECT_FALSE(w().lblHora.enabled());
  EXPECT_FALSE(w().cmdCalendario.enabled());
  EXPECT_FALSE(w().Timer1.enabled());
  version.record = kXp;
  start();
  EXPECT_FALSE(w().chForzar.enabled());
  EXPECT_FALSE(w().lblForzar.enabled());
  EXPECT_EQ(w().chForzar.value(), 1);
  EXPECT_EQ(st().ForceFlag, engine::kTrue);
}

TEST_F(MainWindowTest, AMissingSettingDoesNotInheritThePreviousRead) {
  // "Forzar" is read right before "ApagarSistema"; a missing action must stay unchosen.
  storeSettings({{"Forzar", "True"}, {"Siempre", "True"}, {"Hora", "07"}, {"Minutos", "30"}});
  start();
  EXPECT_EQ(st().ForzarText, "True");
  EXPECT_EQ(st().ApagarSistemaText, "");
  EXPECT_EQ(w().chApagar.value(), 0);
  EXPECT_FALSE(w().Timer1.enabled());
  EXPECT_EQ(setting("ApagarSistema"), std::nullopt);
}

TEST_F(MainWindowTest, TheShownTimeIsTheTimeThatFires) {
  storeSettings({{"ApagarSistema", "True"}, {"Siempre", "True"}, {"Hora", "7"}, {"Minutos", "5"}});
  start();
  EXPECT_EQ(w().txtHora.caption(), "07");
  EXPECT_EQ(st().ScheduledHourText, "07");
  EXPECT_EQ(st().ScheduledMinuteText, "05");
  EXPECT_EQ(setting("Hora"), "7");  // not rewritten until the user changes it
}

TEST_F(MainWindowTest, ADamagedStoredTimeNeverFiresAndShowsNoTime) {
  const std::string megabyte(1 << 20, '0');
  for (const std::string& bad : {std::string("x"), std::string("24"), std::string("-1"),
                                 std::string(" 7"), std::string("007"), megabyte}) {
    storeSettings(
        {{"ApagarSistema", "True"}, {"Siempre", "True"}, {"Hora", bad}, {"Minutos", "05"}});
    start();
    EXPECT_EQ(w().txtHora.caption(), "--") << bad.substr(0, 8);
    EXPECT_EQ(w().txtMin.caption(), "05");
    EXPECT_EQ(setting("Hora"), bad) << "kept until the user sets a time";
    for (int hour : {0, 7, 23}) {
      clock.set(DateTime{{2026, 12, 8}, hour, 5, 1});
      w().Timer1Tick();
    }
    EXPECT_TRUE(power.requests.empty()) << bad.substr(0, 8);
  }

  // A minute of "60" does not become hh:00.
  storeSettings(
      {{"ApagarSistema", "True"}, {"Siempre", "True"}, {"Hora", "07"}, {"Minutos", "60"}});
  start();
  EXPECT_EQ(w().txtMin.caption(), "--");
  clock.set(DateTime{{2026, 12, 8}, 7, 0, 30});
  w().Timer1Tick();
  EXPECT_TRUE(power.requests.empty());

  // A spinner press counts from 0 and sets a time that fires.
  w().cmdAumMin.onClick();
  EXPECT_EQ(w().txtMin.caption(), "01");
  EXPECT_EQ(setting("Minutos"), "01");
  EXPECT_EQ(setting("Hora"), "07");
  clock.set(DateTime{{2026, 12, 8}, 7, 1, 30});
  w().Timer1Tick();
  EXPECT_EQ(power.requests.size(), 1u);

  storeSettings({{"Hora", "--"}, {"Minutos", "--"}});
  start();
  w().cmdDismHora.onClick();
  EXPECT_EQ(w().txtHora.caption(), "23");
}

TEST_F(MainWindowTest, StoredPositionAndRunEntryAreRestored) {
  storeSettings({{"Left", "1000"}, {"Top", "2000"}, {"Inicio", "True"}});
  instance.path = "/opt/nuevo/vodivuri";
  instance.folder = "/opt/nuevo";
  start();
  EXPECT_EQ(w().left(), 1000);
  EXPECT_EQ(w().top(), 2000);
  EXPECT_EQ(registry.text(RegistryRoot::CurrentUser, engine::kRunKey, engine::kRunValue),
            "\"/opt/nuevo/vodivuri\"");
  EXPECT_TRUE(w().mnuSi.checked());
  EXPECT_FALSE(w().mnuNo.checked());

  registry.putText(RegistryRoot::CurrentUser, kSettingsKey, "Left", "izquierda");
  registry.putText(RegistryRoot::CurrentUser, kSettingsKey, "Inicio", "Quizás");
  start();
  EXPECT_EQ(w().left(), 4815);
  // Neither text: both entries as laid out.
  EXPECT_TRUE(w().mnuSi.checked());
  EXPECT_TRUE(w().mnuNo.checked());
}

TEST_F(MainWindowTest, EveryChoiceComesBackAfterARestart) {
  firstStart(MessageAnswer::Yes);
  w().chReSist.setValue(1);
  w().chForzar.setValue(1);
  for (int i = 0; i < 7; ++i) w().cmdAumHora.onClick();
  for (int i = 0; i < 30; ++i) w().cmdDismMin.onClick();
  w().opSelFecha.select();
  registry.putText(RegistryRoot::CurrentUser, kSettingsKey, "FechaProgramada", "24/12/2026");
  w().setLeft(1500);
  w().setTop(1200);
  host.answer(MessageAnswer::Yes);
  w().mnuSalirClick();
  ASSERT_TRUE(host.quitted());

  start();
  EXPECT_EQ(w().chReSist.value(), 1);
  EXPECT_EQ(w().chApagar.value(), 0);
  EXPECT_EQ(w().chForzar.value(), 1);
  EXPECT_EQ(st().ForceFlag, engine::kTrue);
  EXPECT_EQ(w().txtHora.caption(), "07");
  EXPECT_EQ(w().txtMin.caption(), "30");
  EXPECT_TRUE(w().opSelFecha.selected());
  EXPECT_EQ(st().ScheduledDateText, "24/12/2026");
  EXPECT_EQ(w().lblCalen.caption(), "jueves, 24 de diciembre de 2026");
  EXPECT_TRUE(w().cmdCalendario.enabled());
  EXPECT_EQ(w().left(), 1500);
  EXPECT_EQ(w().top(), 1200);
  EXPECT_TRUE(w().mnuSi.checked());
  EXPECT_EQ(st().WindowsVersion, "Windows XP");
  EXPECT_EQ(st().InicioText, "True");
  EXPECT_EQ(st().ReiniciarSistemaText, "True");
  EXPECT_EQ(st().SiempreText, "False");
  EXPECT_EQ(st().ScreenWidth, 1024);
}

}  // namespace
}  // namespace vodivuri::mainwindow::testing
