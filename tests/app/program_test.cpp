#include "app/program.hpp"

#include <gtest/gtest.h>

#include "frontend/testhost/test_host.hpp"
#include "support/program_doubles.hpp"

namespace vodivuri::app {
namespace {

using platform::RegistryRoot;
using toolkit::MessageAnswer;

// The whole program on the test host, driven as a user would.
class ProgramTest : public ::testing::Test, protected testing::ProgramDoubles {
 protected:
  testhost::TestHost host{clock};
  Program program{services(host)};
  mainwindow::frmTransparente& main = program.frmTransparente;

  void SetUp() override {
    host.answer(MessageAnswer::No);
    program.start();
    host.trayMessage(mainwindow::kLeftDoubleClick);
  }

  // The next clock tick restores the menu entries and shows the main window.
  void expectRestoredAfterTick() {
    EXPECT_FALSE(main.mnuAyuda.enabled());
    host.advanceSeconds(1);
    EXPECT_TRUE(main.mnuMax.enabled());
    EXPECT_TRUE(main.mnuAyuda.enabled());
    EXPECT_TRUE(main.mnuAcercaDe.enabled());
    EXPECT_TRUE(main.visible());
  }
};

TEST_F(ProgramTest, PickingADayInTheCalendarSchedulesIt) {
  main.chApagar.userClick();
  main.opSelFecha.userClick();
  calendar::Calen& calen = program.Calen;
  host.whenModal("Calen", [&](toolkit::Form&) {
    EXPECT_EQ(calen.LabelMonth.caption(), "Diciembre");
    calen.LabelMonthClick();
    calen.cmdMesAdelante.userClick();
    calen.cmdMesAdelante.userClick();
    calen.LabelYear.userClick();
    calen.cmdAñoAtras.userClick();
    EXPECT_EQ(calen.LabelYear.caption(), "2026");
    calen.cmdAñoAdelante.userClick();
    EXPECT_EQ(calen.LabelMonth.caption(), "Febrero");
    EXPECT_EQ(calen.LabelYear.caption(), "2027");
    host.advanceSeconds(1);  // the main window's timers go on meanwhile
    for (int k = 1; k <= 42; ++k) {
      if (calen.LabelDay(k).caption() == "07") {
        calen.LabelDay(k).userClick();
        break;
      }
    }
  });
  main.cmdCalendario.userClick();
  EXPECT_FALSE(calen.loaded());
  EXPECT_EQ(main.lblCalen.caption(), "domingo, 7 de febrero de 2027");
  EXPECT_EQ(registry.text(RegistryRoot::CurrentUser, engine::kSettingsKey, "FechaProgramada"),
            "07/02/2027");
  EXPECT_EQ(program.state.CalendarDate, (toolkit::Date{2027, 2, 7}));
  EXPECT_EQ(program.state.ScheduledDateText, "07/02/2027");
  expectRestoredAfterTick();

  // The picked date fires at the scheduled 00:00, and not the day before.
  clock.set({{2027, 2, 6}, 0, 0, 0});
  host.advanceSeconds(60);
  EXPECT_TRUE(power.requests.empty());
  clock.set({{2027, 2, 6}, 23, 59, 59});
  host.advanceSeconds(1);
  ASSERT_EQ(power.requests.size(), 1u);
  EXPECT_EQ(power.requests[0].flags, 8u);
}

TEST_F(ProgramTest, TheCalendarReopensWhereTheUserLastLooked) {
  main.chReSes.userClick();
  main.opSelFecha.userClick();
  calendar::Calen& calen = program.Calen;
  host.whenModal("Calen", [&](toolkit::Form& f) {
    calen.LabelMonth.userClick();
    for (int i = 0; i < 3; ++i) calen.cmdMesAdelante.userClick();
    calen.cmdCerrar.userClick();
    EXPECT_FALSE(f.loaded());
  });
  main.cmdCalendario.userClick();
  EXPECT_EQ(program.state.CalendarDate.month, 3);
  EXPECT_EQ(program.state.CalendarDate.year, 2027);
  EXPECT_EQ(registry.text(RegistryRoot::CurrentUser, engine::kSettingsKey, "FechaProgramada"),
            "07/12/2026");
  expectRestoredAfterTick();
  host.whenModal("Calen", [&](toolkit::Form& f) {
    EXPECT_EQ(calen.LabelMonth.caption(), "Marzo");
    f.userKeyDown(toolkit::kKeyEscape);
  });
  main.cmdCalendario.userClick();
  expectRestoredAfterTick();
}

TEST_F(ProgramTest, AboutOpensTheLinkAndClosesOnEscape) {
  host.whenModal("frmAcercaDe", [&](toolkit::Form& f) {
    program.frmAcercaDe.lblVinc.userClick();
    EXPECT_TRUE(f.loaded());
    f.userKeyDown(toolkit::kKeyEscape);
  });
  host.choose("mnuAcercaDe");
  host.trayMessage(mainwindow::kRightButtonDown);
  ASSERT_EQ(shell.opened.size(), 1u);
  EXPECT_EQ(shell.opened[0], info::homePageAddress());
  expectRestoredAfterTick();
}

TEST_F(ProgramTest, HelpLeafsThroughFourPagesAndAlwaysOpensAtTheFirst) {
  info::frmAyuda& help = program.frmAyuda;
  host.whenModal("frmAyuda", [&](toolkit::Form& f) {
    EXPECT_EQ(help.CurrentPage, 1);
    help.lblSiguiente(0).userClick();
    help.lblSiguiente(1).userClick();
    help.lblSiguiente(2).userClick();
    EXPECT_EQ(help.CurrentPage, 4);
    EXPECT_TRUE(help.fr1(4).visible());
    EXPECT_FALSE(help.fr1(1).visible());
    f.userKeyDown(toolkit::kKeyEscape);
  });
  main.mnuAyudaClick();
  expectRestoredAfterTick();
  host.whenModal("frmAyuda", [&](toolkit::Form& f) {
    EXPECT_EQ(help.CurrentPage, 1);
    EXPECT_TRUE(help.fr1(1).visible());
    f.userKeyDown(toolkit::kKeyEscape);
  });
  // From the toolbar this time.
  main.pTools.userMouseMove(215 + 750 * 4 + 1, 0);
  main.pTools.userClick();
  expectRestoredAfterTick();
}

// A copy started while this one runs asks it to show its window: what a
// double-click on the tray icon does, and nothing before the window is loaded.
TEST_F(ProgramTest, ALaterCopysRequestShowsTheWindowAsTheTrayIconDoes) {
  host.choose("mnuMax");  // "Minimizar"
  host.trayMessage(mainwindow::kRightButtonDown);
  ASSERT_FALSE(main.visible());
  EXPECT_EQ(main.mnuMax.caption(), "Maximizar");
  ASSERT_TRUE(instance.requestShow());
  EXPECT_TRUE(main.visible());
  EXPECT_EQ(main.mnuMax.caption(), "Minimizar");
  EXPECT_TRUE(main.Timer2.enabled());   // its clock runs again for the user
  ASSERT_TRUE(instance.requestShow());  // already shown: stays so
  EXPECT_TRUE(main.visible());
  EXPECT_TRUE(power.requests.empty());
}

TEST(ProgramRequests, ARequestBeforeTheStartOrAfterTheProgramRunsNothing) {
  testing::ProgramDoubles doubles;
  testhost::TestHost host{doubles.clock};
  {
    Program program{doubles.services(host)};
    ASSERT_TRUE(doubles.instance.requestShow());
    // Not loaded: no start-up ran, no claim, no settings read.
    EXPECT_FALSE(program.frmTransparente.loaded());
    EXPECT_EQ(doubles.instance.claims, 0);
    EXPECT_TRUE(doubles.registry.writes.empty());
  }
  EXPECT_FALSE(doubles.instance.requestShow());
}

// A later copy's command line travels as one line and comes back as one.
TEST_F(ProgramTest, ALaterCopysCommandLineIsCarriedOutAndAnswered) {
  EXPECT_EQ(instance.requestOrder({"--cerrar-sesion", "23:59", "--siempre"}),
            "respuesta 0 Programado: cerrar la sesión a las 23:59, todos los días");
  EXPECT_EQ(main.chReSes.value(), 1);
  EXPECT_EQ(instance.requestOrder({"--estado"}),
            "respuesta 0 Programado: cerrar la sesión a las 23:59, todos los días");
  EXPECT_EQ(instance.requestOrder({"--apagar", "24:00"}),
            "respuesta 2 hora no válida «24:00»: use HH:MM, de 00:00 a 23:59");
  EXPECT_EQ(instance.requestOrder({"--simulate"}), "respuesta 2 opción desconocida «--simulate»");
  EXPECT_EQ(instance.requestOrder({}), "respuesta 2 no se ha pedido nada");
  EXPECT_EQ(main.chReSes.value(), 1) << "refused orders change nothing";
  EXPECT_EQ(instance.requestOrder({"--cancelar"}),
            "respuesta 0 Programación cancelada: no hay nada programado");
  EXPECT_EQ(instance.requestOrder({"--estado"}), "respuesta 1 No hay nada programado");
  EXPECT_TRUE(power.requests.empty());
}

TEST(InstanceRequest, OrdersAndAnswersKeepTheirWordsAndRefuseWhatCouldSplitThem) {
  const std::string line = platform::orderRequest({"--apagar", "23:45", "--fecha", "24/12/2026"});
  EXPECT_EQ(line,
            "orden\x1f--apagar\x1f"
            "23:45\x1f--fecha\x1f"
            "24/12/2026");
  std::vector<std::string> seen;
  const std::string answer =
      platform::answerInstanceRequest(line, {}, [&](const std::vector<std::string>& words) {
        seen = words;
        return platform::OrderAnswer{1, "dos\nlíneas"};
      });
  EXPECT_EQ(seen, (std::vector<std::string>{"--apagar", "23:45", "--fecha", "24/12/2026"}));
  EXPECT_EQ(answer, "respuesta 1 dos líneas");
  EXPECT_EQ(platform::orderAnswer(answer), (platform::OrderAnswer{1, "dos líneas"}));
  EXPECT_EQ(platform::orderAnswer("ok"), std::nullopt);
  EXPECT_EQ(platform::orderAnswer("respuesta 7 x"), std::nullopt);
  EXPECT_EQ(platform::orderRequest({"a\nmostrar"}), "");
  EXPECT_EQ(platform::orderRequest({std::string(300, 'x')}), "");
  EXPECT_EQ(platform::answerInstanceRequest("ordenes", {}, {}), "error: petición desconocida");
  EXPECT_EQ(platform::answerInstanceRequest(line, {}, {}),
            "error: la programación todavía no se puede cambiar");
}

}  // namespace
}  // namespace vodivuri::app
