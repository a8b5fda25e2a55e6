// The schedule editor of the main window: action and force boxes, arming,
// the time spinners and the date mode.
#include "engine/startup.hpp"
#include "mainwindow/frm_transparente.hpp"

namespace vodivuri::mainwindow {

// ---- action and force boxes ----

void frmTransparente::actionBoxChanged(CheckBox& self, CheckBox& firstOther, CheckBox& secondOther,
                                       const char* ownSetting, const char* apagar,
                                       const char* reiniciarSistema, const char* reiniciarSesion) {
  if (self.value() == 1) {
    firstOther.setValue(0);
    secondOther.setValue(0);
    s_.store.writeSetting("ApagarSistema", apagar);
    s_.store.writeSetting("ReiniciarSistema", reiniciarSistema);
    s_.store.writeSetting("ReiniciarSesion", reiniciarSesion);
  } else if (self.value() == 0) {
    s_.store.writeSetting(ownSetting, "False");
  }
  UpdateArming();
}

void frmTransparente::chApagarClick() {
  actionBoxChanged(chApagar, chReSes, chReSist, "ApagarSistema", "True", "False", "False");
}

void frmTransparente::chReSesClick() {
  actionBoxChanged(chReSes, chApagar, chReSist, "ReiniciarSesion", "False", "False", "True");
}

void frmTransparente::chReSistClick() {
  actionBoxChanged(chReSist, chApagar, chReSes, "ReiniciarSistema", "False", "True", "False");
}

void frmTransparente::chForzarClick() {
  if (chForzar.value() == 0) {
    s_.store.writeSetting("Forzar", "False");
    s_.state.ForceFlag = engine::kFalse;
  } else if (chForzar.value() == 1) {
    s_.store.writeSetting("Forzar", "True");
    s_.state.ForceFlag = engine::kTrue;
  }
}

// ---- arming ----

void frmTransparente::UpdateArming() {
  const bool armed = chApagar.value() == 1 || chReSes.value() == 1 || chReSist.value() == 1;
  const bool nt = engine::NtFamily(s_.state.WindowsVersion);
  toolkit::Control* const editor[] = {&opSiempre,  &opSelFecha,  &Label6,  &Label7,
                                      &cmdAumHora, &cmdDismHora, &txtHora, &cmdAumMin,
                                      &cmdDismMin, &txtMin,      &lblHora, &lblMin};
  if (armed) {
    for (toolkit::Control* c : editor) c->setEnabled(true);
    Timer1.setEnabled(true);
    if (nt) {
      chForzar.setEnabled(true);
      lblForzar.setEnabled(true);
    }
    if (opSelFecha.selected()) ShowScheduledDate();
  } else {
    lblCalen.setCaption("");
    for (toolkit::Control* c : editor) c->setEnabled(false);
    Timer1.setEnabled(false);
    if (nt) {
      chForzar.setEnabled(false);
      lblForzar.setEnabled(false);
    }
  }
  if (armed && !opSiempre.selected()) {
    cmdCalendario.setEnabled(true);
    lblCalen.setEnabled(true);
  } else if (!armed) {
    cmdCalendario.setEnabled(false);
    lblCalen.setEnabled(false);
  }
}

// ---- time spinners ----

void frmTransparente::spin(Label& readOut, std::int16_t& field, int step, int limit,
                           std::string& triggerCopy) {
  // The read-out is the source; the field is only a working value.
  const long current = toolkit::parseInteger(readOut.caption()).value_or(0);
  field = static_cast<std::int16_t>(current + step);
  if (step > 0 && field == limit + 1) field = 0;
  if (step < 0 && field < 0) field = static_cast<std::int16_t>(limit);
  readOut.setCaption(toolkit::formatNumber(field, "00"));
  storeTime();
  triggerCopy = readOut.caption();
}

// The read-outs as they now read: saved, and heard on the arrows.
void frmTransparente::storeTime() {
  s_.store.writeSetting("Hora", txtHora.caption());
  s_.store.writeSetting("Minutos", txtMin.caption());
  describeArrows();
}

// The value is heard on the arrow buttons, which keep the focus while it changes.
void frmTransparente::describeArrows() {
  for (Button* b : {&cmdAumHora, &cmdDismHora})
    b->setAccessibleDescription(txtHora.accessibleName());
  for (Button* b : {&cmdAumMin, &cmdDismMin}) b->setAccessibleDescription(txtMin.accessibleName());
}

bool frmTransparente::spinKey(const toolkit::KeyPress& key, Button& up, Button& down) {
  if (key.key == toolkit::Key::Up) {
    up.userClick();
  } else if (key.key == toolkit::Key::Down) {
    down.userClick();
  } else {
    return false;
  }
  return true;
}

void frmTransparente::cmdAumHoraClick() {
  spin(txtHora, HourValue, +1, 23, s_.state.ScheduledHourText);
}
void frmTransparente::cmdDismHoraClick() {
  spin(txtHora, HourValue, -1, 23, s_.state.ScheduledHourText);
}
void frmTransparente::cmdAumMinClick() {
  spin(txtMin, MinuteValue, +1, 59, s_.state.ScheduledMinuteText);
}
void frmTransparente::cmdDismMinClick() {
  spin(txtMin, MinuteValue, -1, 59, s_.state.ScheduledMinuteText);
}

// ---- date mode ----

void frmTransparente::opSelFechaClick() {
  if (!opSelFecha.selected()) return;
  s_.store.writeSetting("Siempre", "False");
  ShowScheduledDate();
  cmdCalendario.setEnabled(true);
  lblCalen.setEnabled(true);
}

void frmTransparente::opSiempreClick() {
  if (!opSiempre.selected()) return;
  cmdCalendario.setEnabled(false);
  lblCalen.setEnabled(false);
  s_.store.writeSetting("Siempre", "True");
  lblCalen.setCaption("");
}

void frmTransparente::ShowScheduledDate() {
  engine::ProgramState& st = s_.state;
  st.SiempreText = s_.store.readSetting("Siempre");
  st.ScheduledDateText = s_.store.readSetting("FechaProgramada");
  const auto date = toolkit::parseDayMonthYear(st.ScheduledDateText);
  if (!date) {
    // Missing or malformed: it matches no day and shows nothing.
    st.ScheduledDateText.clear();
    ScheduledDay = 0;
  } else {
    ScheduledDay = static_cast<std::int16_t>(date->day);
  }
  if (st.SiempreText != "False") return;
  if (!date) {
    opSelFecha.select();
    lblCalen.setCaption("");
    return;
  }
  const std::string monthText = st.ScheduledDateText.substr(3, 2);
  const std::string yearText = st.ScheduledDateText.substr(6, 4);
  const toolkit::DateTime now = s_.clock.now();
  const std::string thisYear = toolkit::formatDateTime(now, "yyyy");
  const std::string thisMonth = toolkit::formatDateTime(now, "mm");
  const bool pending =
      yearText > thisYear || (yearText == thisYear && monthText > thisMonth) ||
      (yearText == thisYear && monthText == thisMonth && ScheduledDay >= now.date.day);
  // A past date keeps the one-date mode: it never fires until a new date is
  // picked, rather than turning into an every-day schedule.
  opSelFecha.select();
  if (pending) lblCalen.setCaption(toolkit::formatDate(*date, engine::kLongDate));
}

void frmTransparente::lockMenuEntries() {
  mnuMax.setEnabled(false);
  mnuAyuda.setEnabled(false);
  mnuAcercaDe.setEnabled(false);
}

void frmTransparente::cmdCalendarioClick() {
  lockMenuEntries();
  if (windows_.calendar == nullptr || windows_.calendarShownDate == nullptr) return;
  *windows_.calendarShownDate = s_.state.CalendarDate;
  windows_.calendar->showModal(*this);
  s_.state.CalendarDate = *windows_.calendarShownDate;
  ShowScheduledDate();
  awaitChildClosed();
}

}  // namespace vodivuri::mainwindow
