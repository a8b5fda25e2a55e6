// Schedules asked for from outside the window, carried out as clicks would.
#include "fixture.hpp"

namespace vodivuri::mainwindow::testing {
namespace {

using engine::ScheduleRequest;

ScheduleRequest schedule(engine::PowerAction action, int hour, int minute) {
  ScheduleRequest r;
  r.kind = ScheduleRequest::Kind::Schedule;
  r.action = action;
  r.hour = hour;
  r.minute = minute;
  return r;
}

class Command : public MainWindowTest {
 protected:
  void SetUp() override { firstStart(); }  // 7 December 2026, 07:00
  RequestResult status() { return w().CarryOut({}); }
};

TEST_F(Command, ADateScheduleIsSavedShownAndArmedAsByHand) {
  ScheduleRequest r = schedule(engine::PowerAction::Restart, 23, 45);
  r.date = toolkit::Date{2026, 12, 24};
  r.force = true;
  const RequestResult result = w().CarryOut(r);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.text,
            "Programado: reiniciar el sistema a las 23:45, el jueves, 24 de diciembre de 2026, "
            "forzado");
  EXPECT_EQ(w().chReSist.value(), 1);
  EXPECT_TRUE(w().Timer1.enabled());
  EXPECT_EQ(w().txtHora.caption(), "23");
  EXPECT_EQ(w().txtMin.caption(), "45");
  EXPECT_TRUE(w().opSelFecha.selected());
  EXPECT_EQ(w().lblCalen.caption(), "jueves, 24 de diciembre de 2026");
  EXPECT_EQ(setting("ReiniciarSistema"), "True");
  EXPECT_EQ(setting("Hora"), "23");
  EXPECT_EQ(setting("Minutos"), "45");
  EXPECT_EQ(setting("Siempre"), "False");
  EXPECT_EQ(setting("FechaProgramada"), "24/12/2026");
  EXPECT_EQ(setting("Forzar"), "True");
  EXPECT_EQ(st().ScheduledHourText, "23");
  EXPECT_EQ(st().ScheduledDateText, "24/12/2026");
  EXPECT_EQ(status().status, 0);
}

TEST_F(Command, AnotherScheduleReplacesTheFirstAndCancelDisarms) {
  ScheduleRequest first = schedule(engine::PowerAction::PowerOff, 22, 0);
  first.everyDay = true;
  first.force = true;
  w().CarryOut(first);
  EXPECT_EQ(status().text, "Programado: apagar el sistema a las 22:00, todos los días, forzado");
  EXPECT_EQ(setting("Siempre"), "True");
  w().CarryOut(schedule(engine::PowerAction::EndSession, 6, 30));  // no date: the next 06:30
  EXPECT_EQ(w().chApagar.value(), 0);
  EXPECT_EQ(w().chForzar.value(), 0);
  EXPECT_EQ(status().text,
            "Programado: cerrar la sesión a las 06:30, el martes, 8 de diciembre de 2026");
  ScheduleRequest cancel;
  cancel.kind = ScheduleRequest::Kind::Cancel;
  EXPECT_EQ(w().CarryOut(cancel).status, 0);
  EXPECT_FALSE(w().Timer1.enabled());
  EXPECT_EQ(setting("ReiniciarSesion"), "False");
  EXPECT_EQ(status().status, 1);
  EXPECT_EQ(status().text, "No hay nada programado");
}

TEST_F(Command, MinutesFromNowCrossMidnightAsOneDate) {
  clock.set({{2026, 12, 31}, 23, 50, 30});
  ScheduleRequest r = schedule(engine::PowerAction::PowerOff, 0, 0);
  r.inMinutes = 15;
  EXPECT_EQ(w().CarryOut(r).text,
            "Programado: apagar el sistema a las 00:05, el viernes, 1 de enero de 2027");
  EXPECT_EQ(setting("FechaProgramada"), "01/01/2027");
}

TEST_F(Command, APastMomentIsRefusedAndNothingChanges) {
  const std::size_t before = registry.writes.size();
  ScheduleRequest r = schedule(engine::PowerAction::PowerOff, 7, 0);
  r.date = toolkit::Date{2026, 12, 7};  // this very minute
  RequestResult result = w().CarryOut(r);
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.text, "la fecha y la hora indicadas ya han pasado: 07/12/2026 07:00");
  r.date = toolkit::Date{2025, 12, 24};
  EXPECT_EQ(w().CarryOut(r).status, 2);
  EXPECT_EQ(registry.writes.size(), before);
  EXPECT_EQ(w().chApagar.value(), 0);
  // Every day has no past: it fires tomorrow.
  r.date.reset();
  r.everyDay = true;
  EXPECT_EQ(w().CarryOut(r).status, 0);
}

}  // namespace
}  // namespace vodivuri::mainwindow::testing
