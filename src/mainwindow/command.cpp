// Schedules asked for from outside the window (the command line, another
// copy of the program), carried out through the handlers a user's clicks run.
#include "engine/schedule_request.hpp"
#include "engine/startup.hpp"
#include "engine/warning.hpp"
#include "mainwindow/frm_transparente.hpp"

namespace vodivuri::mainwindow {

namespace {

using engine::ScheduleRequest;
using toolkit::Date;
using toolkit::DateTime;

std::string two(int n) {
  return toolkit::formatNumber(n, "00");
}

}  // namespace

CheckBox& frmTransparente::actionBox(engine::PowerAction action) {
  switch (action) {
    case engine::PowerAction::PowerOff:
      return chApagar;
    case engine::PowerAction::Restart:
      return chReSist;
    case engine::PowerAction::EndSession:
      break;
  }
  return chReSes;
}

RequestResult frmTransparente::CarryOut(const ScheduleRequest& request) {
  switch (request.kind) {
    case ScheduleRequest::Kind::Status: {
      const std::string summary = ScheduleSummary();
      return {summary.empty() ? 1 : 0, summary.empty() ? "No hay nada programado" : summary};
    }
    case ScheduleRequest::Kind::Cancel:
      for (CheckBox* box : {&chApagar, &chReSist, &chReSes}) {
        if (box->value() == 1) box->setValue(0);
      }
      return {0, "Programación cancelada: no hay nada programado"};
    case ScheduleRequest::Kind::Schedule:
      break;
  }
  const DateTime now = s_.clock.now();
  const DateTime thisMinute{now.date, now.hour, now.minute, 0};
  DateTime when{now.date, request.hour, request.minute, 0};
  std::optional<Date> date = request.date;
  if (request.inMinutes) {
    when = engine::minutesLater(now, *request.inMinutes);
    date = when.date;
  } else if (date) {
    when.date = *date;
  } else if (!request.everyDay) {
    // The next time the clock shows it: today, or tomorrow once it has gone by.
    if (when <= thisMinute) when.date = toolkit::addDays(now.date, 1);
    date = when.date;
  }
  if (date && when <= thisMinute) {
    return {2, "la fecha y la hora indicadas ya han pasado: " +
                   toolkit::formatDate(when.date, "dd/mm/yyyy") + " " + two(when.hour) + ":" +
                   two(when.minute)};
  }

  actionBox(request.action).setValue(1);
  setTime(when.hour, when.minute);
  if (date) {
    s_.state.CalendarDate = *date;
    s_.store.SetValue(engine::kSettingsKey, "FechaProgramada",
                      toolkit::formatDate(*date, "dd/mm/yyyy"), platform::kRegSz);
    if (opSelFecha.selected()) {
      opSelFechaClick();  // the date changed under the same option
    } else {
      opSelFecha.select();
    }
  } else {
    opSiempre.select();
  }
  chForzar.setValue(request.force ? 1 : 0);
  return {0, ScheduleSummary()};
}

void frmTransparente::setTime(int hour, int minute) {
  HourValue = static_cast<std::int16_t>(hour);
  MinuteValue = static_cast<std::int16_t>(minute);
  txtHora.setCaption(two(hour));
  txtMin.setCaption(two(minute));
  s_.state.ScheduledHourText = txtHora.caption();
  s_.state.ScheduledMinuteText = txtMin.caption();
  storeTime();
}

std::string frmTransparente::ScheduleSummary() {
  engine::ScheduleFacts facts;
  facts.action = engine::SelectedAction(triggerInputs());
  facts.hour = txtHora.caption();
  facts.minute = txtMin.caption();
  facts.everyDay = opSiempre.selected();
  facts.dateText = s_.state.ScheduledDateText;
  facts.forced = chForzar.value() == 1;
  return engine::describeSchedule(facts);
}

}  // namespace vodivuri::mainwindow
