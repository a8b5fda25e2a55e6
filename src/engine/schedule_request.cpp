#include "engine/schedule_request.hpp"

#include <string_view>

#include "engine/startup.hpp"
#include "engine/trigger.hpp"

namespace vodivuri::engine {

const char* const kScheduleUsage =
    "  --apagar HH:MM        programa el apagado a esa hora\n"
    "  --reiniciar HH:MM     programa el reinicio del sistema\n"
    "  --cerrar-sesion HH:MM programa el cierre de la sesión\n"
    "      --fecha DD/MM/AAAA  ese día solamente\n"
    "      --siempre           todos los días\n"
    "                          (sin ninguna de las dos: la próxima vez que el reloj\n"
    "                          marque esa hora, hoy o mañana)\n"
    "      --en MINUTOS        en lugar de HH:MM: dentro de tantos minutos, una vez\n"
    "      --forzar            cierra los programas aunque tengan cambios sin guardar\n"
    "  --cancelar            desarma la programación\n"
    "  --estado              muestra lo programado (estado 0) o que no hay nada (estado 1)\n";

namespace {

constexpr int kMostMinutes = 366 * 24 * 60;

std::optional<int> number(std::string_view text, std::size_t digits) {
  if (text.size() != digits) return std::nullopt;
  int n = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    n = n * 10 + (c - '0');
  }
  return n;
}

bool isTime(std::string_view text, int& hour, int& minute) {
  if (text.size() != 5 || text[2] != ':') return false;
  const auto h = number(text.substr(0, 2), 2), m = number(text.substr(3, 2), 2);
  if (!h || !m || *h > 23 || *m > 59) return false;
  hour = *h;
  minute = *m;
  return true;
}

std::optional<toolkit::Date> dateOf(std::string_view text) {
  if (text.size() != 10 || text[2] != '/' || text[5] != '/') return std::nullopt;
  const auto d = number(text.substr(0, 2), 2), m = number(text.substr(3, 2), 2),
             y = number(text.substr(6, 4), 4);
  if (!d || !m || !y) return std::nullopt;
  const toolkit::Date date{*y, *m, *d};
  if (!toolkit::isValidDate(date)) return std::nullopt;
  return date;
}

std::optional<PowerAction> actionOf(std::string_view word) {
  if (word == "--apagar") return PowerAction::PowerOff;
  if (word == "--reiniciar") return PowerAction::Restart;
  if (word == "--cerrar-sesion") return PowerAction::EndSession;
  return std::nullopt;
}

std::string two(int n) {
  return toolkit::formatNumber(n, "00");
}

ParsedRequest refused(std::string why) {
  return {std::nullopt, std::move(why)};
}

}  // namespace

ParsedRequest parseScheduleRequest(const std::vector<std::string>& words,
                                   std::vector<std::string>& rest) {
  ScheduleRequest r;
  int actions = 0, kinds = 0;
  bool timeGiven = false, dateGiven = false, schedulingOption = false;
  for (std::size_t i = 0; i < words.size(); ++i) {
    const std::string& word = words[i];
    const bool hasValue = i + 1 < words.size() && !words[i + 1].starts_with("--");
    if (const auto action = actionOf(word)) {
      ++actions;
      r.action = *action;
      if (hasValue) {
        const std::string& value = words[++i];
        if (!isTime(value, r.hour, r.minute)) {
          return refused("hora no válida «" + value + "»: use HH:MM, de 00:00 a 23:59");
        }
        timeGiven = true;
      }
    } else if (word == "--fecha") {
      if (!hasValue) return refused("falta la fecha tras --fecha (DD/MM/AAAA)");
      const std::string& value = words[++i];
      r.date = dateOf(value);
      if (!r.date) return refused("fecha no válida «" + value + "»: use DD/MM/AAAA");
      dateGiven = schedulingOption = true;
    } else if (word == "--en") {
      if (!hasValue) return refused("faltan los minutos tras --en");
      const std::string& value = words[++i];
      const auto n = value.size() <= 6 ? number(value, value.size()) : std::nullopt;
      if (!n || *n < 1 || *n > kMostMinutes) {
        return refused("minutos no válidos «" + value + "»: de 1 a " +
                       std::to_string(kMostMinutes));
      }
      r.inMinutes = *n;
      schedulingOption = true;
    } else if (word == "--siempre") {
      r.everyDay = schedulingOption = true;
    } else if (word == "--forzar") {
      r.force = schedulingOption = true;
    } else if (word == "--cancelar") {
      r.kind = ScheduleRequest::Kind::Cancel;
      ++kinds;
    } else if (word == "--estado") {
      r.kind = ScheduleRequest::Kind::Status;
      ++kinds;
    } else {
      rest.push_back(word);
    }
  }
  if (actions == 0 && kinds == 0 && !schedulingOption) return {};
  if (actions + kinds > 1) {
    return refused(actions > 1 ? "indique una sola acción: --apagar, --reiniciar o --cerrar-sesion"
                               : "--cancelar y --estado van solos, sin acción ni otra orden");
  }
  if (kinds == 1) {
    if (schedulingOption) return refused("--cancelar y --estado no admiten más opciones");
    return {r, {}};
  }
  if (actions == 0) {
    return refused("falta la acción: --apagar, --reiniciar o --cerrar-sesion");
  }
  r.kind = ScheduleRequest::Kind::Schedule;
  if (timeGiven == r.inMinutes.has_value()) {
    return refused(timeGiven ? "indique la hora o --en MINUTOS, no las dos"
                             : "falta la hora (HH:MM) o --en MINUTOS");
  }
  if (dateGiven && r.everyDay) return refused("indique --fecha o --siempre, no las dos");
  if (r.inMinutes && (dateGiven || r.everyDay)) {
    return refused("--en programa una sola vez: no admite --fecha ni --siempre");
  }
  return {r, {}};
}

std::string describeSchedule(const ScheduleFacts& f) {
  if (!f.action) return {};
  const char* action = *f.action == PowerAction::PowerOff  ? "apagar el sistema"
                       : *f.action == PowerAction::Restart ? "reiniciar el sistema"
                                                           : "cerrar la sesión";
  std::string text = std::string("Programado: ") + action + " a las " + f.hour + ":" + f.minute;
  if (f.everyDay) {
    text += ", todos los días";
  } else if (const auto date = toolkit::parseDayMonthYear(f.dateText)) {
    text += ", el " + toolkit::formatDate(*date, kLongDate);
  } else {
    text += ", sin fecha elegida (no se hará)";
  }
  if (f.forced) text += ", forzado";
  return text;
}

ScheduleFacts storedSchedule(SettingsStore& store) {
  ScheduleFacts f;
  TriggerInputs boxes;
  boxes.shutdown = store.readSetting("ApagarSistema") == "True" ? 1 : 0;
  boxes.restart = store.readSetting("ReiniciarSistema") == "True" ? 1 : 0;
  boxes.endSession = store.readSetting("ReiniciarSesion") == "True" ? 1 : 0;
  f.action = SelectedAction(boxes);
  f.hour = store.readSetting("Hora");
  f.minute = store.readSetting("Minutos");
  f.everyDay = store.readSetting("Siempre") != "False";
  f.dateText = store.readSetting("FechaProgramada");
  f.forced = store.readSetting("Forzar") == "True";
  return f;
}

std::vector<std::string> requestWords(const ScheduleRequest& r) {
  switch (r.kind) {
    case ScheduleRequest::Kind::Cancel:
      return {"--cancelar"};
    case ScheduleRequest::Kind::Status:
      return {"--estado"};
    case ScheduleRequest::Kind::Schedule:
      break;
  }
  std::vector<std::string> words{r.action == PowerAction::PowerOff  ? "--apagar"
                                 : r.action == PowerAction::Restart ? "--reiniciar"
                                                                    : "--cerrar-sesion"};
  if (r.inMinutes) {
    words.insert(words.end(), {"--en", std::to_string(*r.inMinutes)});
  } else {
    words.push_back(two(r.hour) + ":" + two(r.minute));
  }
  if (r.date) {
    words.insert(words.end(), {"--fecha", two(r.date->day) + "/" + two(r.date->month) + "/" +
                                              toolkit::formatNumber(r.date->year, "0000")});
  }
  if (r.everyDay) words.push_back("--siempre");
  if (r.force) words.push_back("--forzar");
  return words;
}

}  // namespace vodivuri::engine
