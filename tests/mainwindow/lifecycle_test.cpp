#include "fixture.hpp"

namespace vodivuri::mainwindow::testing {
namespace {

class Lifecycle : public MainWindowTest {
 protected:
  void SetUp() override { firstStart(); }
};

TEST_F(Lifecycle, TheClockTicksEverySecondAndAcrossMidnight) {
  host.trayMessage(kLeftDoubleClick);
  clock.set({{2026, 12, 7}, 23, 59, 58});
  host.advanceSeconds(1);
  EXPECT_EQ(w().Label2.caption(), "23 : 59 :59");
  EXPECT_EQ(w().Label1.caption(), "lunes, 7 de diciembre de 2026");
  host.advanceSeconds(1);
  EXPECT_EQ(w().Label2.caption(), "00 : 00 :00");
  EXPECT_EQ(w().Label1.caption(), "martes, 8 de diciembre de 2026");
}

TEST_F(Lifecycle, TheClockRunsOnlyForSomeoneWhoCanSeeIt) {
  // Hidden, nothing armed: no timer at all.
  EXPECT_FALSE(w().visible());
  EXPECT_FALSE(w().Timer1.enabled());
  EXPECT_FALSE(w().Timer2.enabled());

  // Shown: the labels are right before the first tick.
  clock.set({{2026, 12, 9}, 18, 4, 31});
  host.trayMessage(kLeftDoubleClick);
  EXPECT_TRUE(w().Timer2.enabled());
  EXPECT_EQ(w().Label2.caption(), "18 : 04 :31");
  EXPECT_EQ(w().Label1.caption(), "miércoles, 9 de diciembre de 2026");
  host.advanceSeconds(1);
  EXPECT_EQ(w().Label2.caption(), "18 : 04 :32");

  host.choose("mnuMax");  // "Minimizar"
  host.trayMessage(kRightButtonDown);
  EXPECT_FALSE(w().Timer2.enabled());

  // Armed and hidden: the trigger ticks, the clock does not.
  w().chApagar.setValue(1);
  EXPECT_TRUE(w().Timer1.enabled());
  EXPECT_FALSE(w().Timer2.enabled());

  // About opened from the tray while hidden: back within a second of closing,
  // menu entries unlocked, and quiet again once hidden.
  host.whenModal("frmAcercaDe", [](toolkit::Form& f) { f.unload(); });
  host.choose("mnuAcercaDe");
  host.trayMessage(kRightButtonDown);
  EXPECT_FALSE(w().visible());
  EXPECT_TRUE(w().Timer2.enabled());
  EXPECT_FALSE(w().mnuAyuda.enabled());
  host.advanceSeconds(1);
  EXPECT_TRUE(w().visible());
  EXPECT_TRUE(w().mnuAyuda.enabled());
  EXPECT_TRUE(w().Timer2.enabled());
  w().userRequestClose();
  EXPECT_FALSE(w().Timer2.enabled());
}

TEST_F(Lifecycle, TheCloseBoxOnlyHides) {
  host.trayMessage(kLeftDoubleClick);
  w().userRequestClose();
  EXPECT_TRUE(w().loaded());
  EXPECT_FALSE(w().visible());
  EXPECT_EQ(w().mnuMax.caption(), "Maximizar");
  host.choose("mnuMax");
  host.trayMessage(kRightButtonDown);
  EXPECT_TRUE(w().visible());
  EXPECT_EQ(w().mnuMax.caption(), "Minimizar");
}

TEST_F(Lifecycle, ExitAsksAndOnYesLetsGo) {
  w().setLeft(1234);
  w().setTop(567);
  host.answer(MessageAnswer::No);
  w().mnuSalirClick();
  EXPECT_EQ(
      host.messages.back(),
      (toolkit::MessageRequest{"Seguro que quiere cerrar esta aplicación?", "Vodivuri",
                               toolkit::MessageButtons::YesNo, toolkit::MessageIcon::Question}));
  EXPECT_FALSE(host.quitted());
  EXPECT_TRUE(host.tray);
  EXPECT_EQ(setting("Left"), "4770");

  host.answer(MessageAnswer::Yes);
  host.choose("mnuSalir");
  host.trayMessage(kRightButtonDown);
  EXPECT_TRUE(host.quitted());
  EXPECT_FALSE(host.tray);
  EXPECT_EQ(setting("Left"), "1234");
  EXPECT_EQ(setting("Top"), "567");
  EXPECT_EQ(host.events.back(), "tray remove");
}

TEST_F(Lifecycle, TheEndOfTheSessionIsNotRefused) {
  w().setLeft(100);
  w().sessionEnding();
  EXPECT_TRUE(host.quitted());
  EXPECT_FALSE(host.tray);
  EXPECT_EQ(setting("Left"), "100");
  EXPECT_TRUE(host.messages.size() == 1);  // only the first-start question
}

TEST_F(Lifecycle, TrayMessagesAtAnyDensity) {
  for (int tpp : {15, 12}) {
    host.setScreen({.widthPixels = 1024, .twipsPerPixelX = tpp, .twipsPerPixelY = tpp});
    host.popups.clear();
    host.trayMessage(kRightButtonDown);
    ASSERT_EQ(host.popups.size(), 1u) << tpp;
    EXPECT_EQ(host.popups[0].menu, "mnuOpciones");
    EXPECT_EQ(host.popups[0].defaultEntry, "mnuMax");
  }
  // Moves, single clicks, releases, other buttons: nothing.
  for (int message : {0x200, 0x201, 0x202, 0x205, 0x206, 0x207, 0x208, 0x209}) {
    host.trayMessage(message);
  }
  EXPECT_EQ(host.popups.size(), 1u);
  EXPECT_FALSE(w().visible());
  // Halves of a pixel go to the even neighbour: 515.5 is 516.
  w().Receptor.userMouseMove(515.5 * 12, 0);
  EXPECT_EQ(host.popups.size(), 2u);
}

TEST_F(Lifecycle, TheIconComesBackWhenTheTaskbarRestarts) {
  host.recreateTrayArea();
  ASSERT_TRUE(host.tray);
  EXPECT_EQ(host.tray->tooltip, "Vodivuri");
  host.trayMessage(kRightButtonDown);
  EXPECT_EQ(host.popups.size(), 1u);
}

TEST_F(Lifecycle, WithoutANotificationAreaEveryHidingMinimises) {
  host.setTrayAvailable(false);
  start();
  // The first activation: on the taskbar, not gone.
  EXPECT_TRUE(w().visible());
  EXPECT_TRUE(w().minimised());
  EXPECT_EQ(host.events.back(), "minimised frmTransparente");

  const auto minimisedBy = [&](const std::function<void()>& action) {
    w().show();
    EXPECT_FALSE(w().minimised());
    host.events.clear();
    action();
    EXPECT_TRUE(w().visible());
    EXPECT_TRUE(w().minimised());
    EXPECT_EQ(host.events, std::vector<std::string>{"minimised frmTransparente"});
  };
  minimisedBy([&] { w().userRequestClose(); });
  minimisedBy([&] {
    w().pTools_MouseMove(215 + 750 * 2 + 10, 100);  // "Ocultar"
    w().pTools_Click();
  });
  minimisedBy([&] {
    w().mnuMax.setCaption("Minimizar");
    w().mnuMaxClick();
  });
  EXPECT_EQ(w().mnuMax.caption(), "Maximizar");

  // A secondary window closes: minimised on the return, restored at the next tick.
  host.whenModal("frmAcercaDe", [](toolkit::Form& f) { f.unload(); });
  w().mnuAcercaDeClick();
  EXPECT_TRUE(w().minimised());
  host.advanceSeconds(1);
  EXPECT_FALSE(w().minimised());
  EXPECT_EQ(host.events.back(), "shown frmTransparente");

  // The exit command still ends the program.
  host.answer(MessageAnswer::Yes);
  w().mnuSalirClick();
  EXPECT_TRUE(host.quitted());
}

TEST_F(Lifecycle, DoubleClickShowsAndMaxToggles) {
  host.trayMessage(kLeftDoubleClick);
  EXPECT_TRUE(w().visible());
  EXPECT_EQ(w().mnuMax.caption(), "Minimizar");
  // Shown already, perhaps under other windows: it comes to the front.
  host.trayMessage(kLeftDoubleClick);
  EXPECT_TRUE(w().visible());
  EXPECT_EQ(w().mnuMax.caption(), "Minimizar");
  EXPECT_EQ(host.events.back(), "raised frmTransparente");
  w().mnuMaxClick();
  EXPECT_FALSE(w().visible());
  EXPECT_EQ(w().mnuMax.caption(), "Maximizar");
  w().mnuMaxClick();
  EXPECT_TRUE(w().visible());
  // "Maximizar" while shown (a secondary window's return showed it) raises it too.
  w().mnuMax.setCaption("Maximizar");
  w().mnuMaxClick();
  EXPECT_EQ(host.events.back(), "raised frmTransparente");
}

TEST_F(Lifecycle, ADisabledMaxEntryStillShowsGreyed) {
  w().mnuMax.setEnabled(false);
  host.choose("mnuMax");
  host.trayMessage(kRightButtonDown);
  const auto& entries = host.popups.back().entries;
  const auto max = std::find_if(entries.begin(), entries.end(),
                                [](const auto& e) { return e.name == "mnuMax"; });
  ASSERT_NE(max, entries.end());
  EXPECT_FALSE(max->enabled);
  EXPECT_FALSE(w().visible());  // a greyed entry cannot be chosen
}

TEST_F(Lifecycle, ThePopupMenuTree) {
  host.trayMessage(kRightButtonDown);
  std::vector<std::string> shown;
  for (const auto& e : host.popups.back().entries) shown.push_back(e.caption);
  EXPECT_EQ(shown, (std::vector<std::string>{"Apagar el sistema", "Reiniciar el sistema",
                                             "Reiniciar la sesión", "-",
                                             "Ejecutar al iniciar windows", "Si", "No", "Maximizar",
                                             "-", "Ayuda", "Acerca de...", "-", "Salir"}));
}

class Toolbar : public MainWindowTest {
 protected:
  void SetUp() override {
    firstStart();
    host.trayMessage(kLeftDoubleClick);
  }
  void hover(double x) { w().pTools.userMouseMove(x, 100); }
};

TEST_F(Toolbar, SlotBorders) {
  const std::pair<double, int> borders[] = {{0, 0},     {214, 0},  {215, 1},  {964, 1},
                                            {964.5, 2}, {965, 2},  {4714, 6}, {4715, 7},
                                            {5464, 7},  {5465, 8}, {5714, 8}};
  for (const auto& [x, slot] : borders) EXPECT_EQ(frmTransparente::SlotAt(x), slot) << x;
}

TEST_F(Toolbar, HoverRaisesTheButtonAndShowsItsTip) {
  const char* tips[] = {"Ejecutar al iniciar windows",
                        "No ejecutar al iniciar windows",
                        "Ocultar el formulario",
                        "Cerrar la aplicación",
                        "Ayuda",
                        "Acerca de Vodivuri"};
  for (int k = 1; k <= 6; ++k) {
    hover(215 + 750 * (k - 1) + 10);
    EXPECT_EQ(w().HoverButton, k);
    EXPECT_EQ(w().imRaised.left(), 215 + 750 * (k - 1));
    EXPECT_EQ(w().imRaised.picture(), w().imToolsAt(k).picture());
    EXPECT_EQ(w().pTools.tooltip(), tips[k - 1]);
  }
  for (double x : {4715.0, 5465.0, 100.0}) {
    hover(x);
    EXPECT_EQ(w().imRaised.picture(), "") << x;
    EXPECT_EQ(w().pTools.tooltip(), "") << x;
  }
}

TEST_F(Toolbar, MovingWithinAButtonChangesNothing) {
  hover(300);
  w().pTools.setTooltip("marca");
  hover(900);
  EXPECT_EQ(w().pTools.tooltip(), "marca");
  // The bare window clears the hover but keeps the tip.
  w().userMouseMove(10, 800);
  EXPECT_EQ(w().HoverButton, 0);
  EXPECT_EQ(w().imRaised.picture(), "");
  EXPECT_EQ(w().pTools.tooltip(), "marca");
}

TEST_F(Toolbar, AClickWithoutHoverDoesNothing) {
  host.answer(MessageAnswer::Ok);
  hover(1000);
  w().pTools.userClick();  // slot 2
  EXPECT_EQ(host.messages.back().text, "Esta aplicación no se ejecutará al inicio de windows");
  const std::size_t writes = registry.writes.size();
  const std::size_t messages = host.messages.size();
  w().pTools.userClick();
  EXPECT_EQ(registry.writes.size(), writes);
  EXPECT_EQ(host.messages.size(), messages);
}

TEST_F(Toolbar, StartupButtonsRegisterThenTell) {
  host.answer(MessageAnswer::Ok);
  hover(300);
  w().pTools.userClick();
  EXPECT_EQ(
      host.messages.back(),
      (toolkit::MessageRequest{"Esta aplicación se ejecutará al inicio de windows", "Vodivuri",
                               toolkit::MessageButtons::Ok, toolkit::MessageIcon::Information}));
  EXPECT_EQ(registry.text(RegistryRoot::CurrentUser, engine::kRunKey, engine::kRunValue),
            "\"" + instance.path + "\"");
  EXPECT_EQ(setting("Inicio"), "True");
  EXPECT_TRUE(w().mnuSi.checked());
  EXPECT_FALSE(w().mnuNo.checked());
  EXPECT_EQ(w().HoverButton, 0);

  host.answer(MessageAnswer::Ok);
  hover(1000);
  w().pTools.userClick();
  EXPECT_EQ(registry.text(RegistryRoot::CurrentUser, engine::kRunKey, engine::kRunValue), "");
  EXPECT_EQ(autostart.mirrored.back(), "");
  EXPECT_EQ(setting("Inicio"), "False");
  EXPECT_TRUE(w().mnuNo.checked());
  EXPECT_FALSE(w().mnuSi.checked());

  // The menu entries themselves say nothing.
  const std::size_t messages = host.messages.size();
  w().mnuSiClick();
  EXPECT_EQ(host.messages.size(), messages);
}

TEST_F(Toolbar, HideAndExitButtons) {
  hover(1800);
  w().pTools.userClick();
  EXPECT_FALSE(w().visible());
  EXPECT_EQ(w().mnuMax.caption(), "Maximizar");
  host.trayMessage(kLeftDoubleClick);
  host.answer(MessageAnswer::No);
  hover(2500);
  w().pTools.userClick();
  EXPECT_FALSE(host.quitted());
  EXPECT_EQ(w().HoverButton, 0);
  EXPECT_EQ(w().imRaised.picture(), "");
}

TEST_F(Toolbar, HelpAndAboutLockTheMenuWhileOpen) {
  for (const auto& [x, name] :
       std::vector<std::pair<double, const char*>>{{3300, "frmAyuda"}, {4000, "frmAcercaDe"}}) {
    host.whenModal(name, [&](toolkit::Form& f) {
      EXPECT_FALSE(w().mnuMax.enabled());
      EXPECT_FALSE(w().mnuAyuda.enabled());
      EXPECT_FALSE(w().mnuAcercaDe.enabled());
      f.userKeyDown(toolkit::kKeyEscape);
      f.unload();
    });
    hover(x);
    w().pTools.userClick();
    EXPECT_FALSE(w().mnuAyuda.enabled()) << name;
    host.advanceSeconds(1);
    EXPECT_TRUE(w().mnuAyuda.enabled()) << name;
    EXPECT_TRUE(w().mnuMax.enabled());
    EXPECT_TRUE(w().visible());
  }
  // From the tray menu while the window is hidden: shown by the clock afterwards.
  w().mnuMaxClick();
  ASSERT_FALSE(w().visible());
  host.whenModal("frmAyuda", [](toolkit::Form& f) { f.unload(); });
  host.choose("mnuAyuda");
  host.trayMessage(kRightButtonDown);
  EXPECT_FALSE(w().visible());
  host.advanceSeconds(1);
  EXPECT_TRUE(w().visible());
  EXPECT_EQ(w().mnuMax.caption(), "Maximizar");
}

}  // namespace
}  // namespace vodivuri::mainwindow::testing
