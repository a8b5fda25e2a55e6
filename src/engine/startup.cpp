#include "engine/startup.hpp"

#include <cmath>

#include "engine/diagnostics.hpp"
#include "engine/run_at_startup.hpp"

namespace vodivuri::engine {

using toolkit::formatDateTime;

bool firstStartPosition(int screenWidth, int& left, int& top) {
  switch (screenWidth) {
    case 1024:
      left = 4770;
      top = 3255;
      return true;
    case 800:
      left = 3090;
      top = 1995;
      return true;
    case 640:
      left = 1965;
      top = 885;
      return true;
    default:
      return false;
  }
}

std::optional<std::string> normaliseTimeField(const std::string& stored, int limit) {
  if (stored.empty() || stored.size() > 2) return std::nullopt;
  int value = 0;
  for (const char c : stored) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (value > limit) return std::nullopt;
  return toolkit::formatNumber(value, "00");
}

namespace {

// A stored window edge, or empty when it is missing or not a number.
std::optional<int> edge(SettingsStore& store, const char* name) {
  const auto number = toolkit::parseNumber(store.readSetting(name));
  if (!number || std::fabs(*number) > 1e7) return std::nullopt;
  return static_cast<int>(std::nearbyint(*number));
}

// A stored text as a log line may show it: short, printable, its length told.
std::string describeStored(const std::string& stored) {
  if (stored.empty()) return "vacío";
  std::string shown = "\"";
  for (std::size_t i = 0; i < stored.size() && i < 16; ++i) {
    const auto c = static_cast<unsigned char>(stored[i]);
    if (c >= 0x20 && c < 0x7f && c != '"' && c != '\\') {
      shown += static_cast<char>(c);
    } else {
      static const char* digits = "0123456789abcdef";
      shown += "\\x";
      shown += digits[c >> 4];
      shown += digits[c & 15];
    }
  }
  shown += stored.size() > 16 ? "\"…" : "\"";
  return shown + ", " + std::to_string(stored.size()) + " bytes";
}

void restoreTimeField(SettingsStore& store, const char* name, int limit, std::string& field,
                      toolkit::Label& readOut) {
  const std::string stored = store.readSetting(name);
  if (const std::optional<std::string> time = normaliseTimeField(stored, limit)) {
    field = *time;
    readOut.setCaption(*time);
    return;
  }
  field.clear();
  readOut.setCaption(kNoTimeReadOut);
  logOnce(std::string("time:") + name, std::string("el valor guardado «") + name + "» (" +
                                           describeStored(stored) +
                                           ") no es una hora válida: la acción no se ejecutará "
                                           "hasta que se ajuste la hora");
}

void firstStart(const StartupServices& s, ProgramState& state, StartupWindow& w,
                const toolkit::DateTime& now) {
  SettingsStore& store = s.store;
  store.CreateNewKey(kSettingsKey, platform::RegistryRoot::CurrentUser);
  const std::string today = formatDateTime(now, kShortDate);
  store.writeSetting("CreateValue", today);
  store.writeSetting("ApagarSistema", "False");
  store.writeSetting("ReiniciarSistema", "False");
  store.writeSetting("ReiniciarSesion", "False");
  store.writeSetting("FechaProgramada", today);
  store.writeSetting("Siempre", "True");
  store.writeSetting("Hora", "00");
  store.writeSetting("Minutos", "00");
  store.writeSetting("Inicio", "False");
  store.writeSetting("Forzar", "False");
  state.ScheduledHourText = "00";
  state.ScheduledMinuteText = "00";
  w.txtHora.setCaption("00");
  w.txtMin.setCaption("00");

  int left = 0, top = 0;
  if (firstStartPosition(state.ScreenWidth, left, top)) {
    store.SetValue(kSettingsKey, "Left", static_cast<std::int16_t>(left), platform::kRegSz);
    store.SetValue(kSettingsKey, "Top", static_cast<std::int16_t>(top), platform::kRegSz);
  }

  const auto answer =
      toolkit::messageBox(s.host, "Desea que esta aplicación se ejecute\nal inicio de windows?",
                          kTitle, toolkit::MessageButtons::YesNo, toolkit::MessageIcon::Question);
  if (answer == toolkit::MessageAnswer::Yes) {
    writeRunEntry(store, s.instance, s.autostart, state);
    store.writeSetting("Inicio", "True");
    w.mnuSi.setChecked(true);
    w.mnuNo.setChecked(false);
  } else {
    w.mnuSi.setChecked(false);
    w.mnuNo.setChecked(true);
  }
}

void restore(const StartupServices& s, ProgramState& state, StartupWindow& w) {
  SettingsStore& store = s.store;
  if (const auto left = edge(store, "Left")) w.form.setLeft(*left);
  if (const auto top = edge(store, "Top")) w.form.setTop(*top);

  state.InicioText = store.readSetting("Inicio");
  if (state.InicioText == "True") {
    // Follows the program if it has moved.
    writeRunEntry(store, s.instance, s.autostart, state);
    w.mnuSi.setChecked(true);
    w.mnuNo.setChecked(false);
  } else if (state.InicioText == "False") {
    w.mnuSi.setChecked(false);
    w.mnuNo.setChecked(true);
  }

  state.ForzarText = store.readSetting("Forzar");
  if (state.ForzarText == "True") {
    w.chForzar.setValue(1);
    state.ForceFlag = kTrue;
  } else if (state.ForzarText == "False") {
    w.chForzar.setValue(0);
    state.ForceFlag = kFalse;
  }

  state.ApagarSistemaText = store.readSetting("ApagarSistema");
  if (state.ApagarSistemaText == "True") w.chApagar.setValue(1);
  state.ReiniciarSistemaText = store.readSetting("ReiniciarSistema");
  if (state.ReiniciarSistemaText == "True") w.chReSist.setValue(1);
  state.ReiniciarSesionText = store.readSetting("ReiniciarSesion");
  if (state.ReiniciarSesionText == "True") w.chReSes.setValue(1);

  state.SiempreText = store.readSetting("Siempre");
  if (state.SiempreText == "True") {
    w.opSiempre.select();
    w.lblCalen.setCaption("");
  }
  w.ShowScheduledDate();

  // The time shown is the time that fires; a damaged one never fires and
  // stays stored as it is until the user sets a time.
  restoreTimeField(store, "Hora", 23, state.ScheduledHourText, w.txtHora);
  restoreTimeField(store, "Minutos", 59, state.ScheduledMinuteText, w.txtMin);

  const bool scheduled = state.ApagarSistemaText == "True" ||
                         state.ReiniciarSistemaText == "True" ||
                         state.ReiniciarSesionText == "True";
  const bool nt = NtFamily(state.WindowsVersion);
  if (!scheduled) {
    w.lblCalen.setCaption("");
    w.lblHora.setEnabled(false);
    w.lblMin.setEnabled(false);
    w.txtHora.setEnabled(false);
    w.txtMin.setEnabled(false);
    w.cmdCalendario.setEnabled(false);
    if (nt) {
      w.chForzar.setEnabled(false);
      w.lblForzar.setEnabled(false);
    }
  } else {
    w.Timer1.setEnabled(true);
    if (nt) {
      w.chForzar.setEnabled(true);
      w.lblForzar.setEnabled(true);
    }
  }
}

}  // namespace

bool RunStartup(const StartupServices& s, ProgramState& state, StartupWindow& w) {
  if (!s.instance.claimSingleInstance()) return false;
  state.ScreenWidth = static_cast<std::int16_t>(s.host.screen().widthPixels);
  const toolkit::DateTime now = s.clock.now();
  state.StartedAt = now;
  state.CalendarDate = now.date;
  w.AddTrayIcon();
  w.Label1.setCaption(formatDateTime(now, kLongDate));
  w.Label2.setCaption(formatDateTime(now, kClockTime));
  state.WindowsVersion = GetWindowsVersionName(s.version);
  state.CreateValueText = s.store.readSetting("CreateValue");
  if (state.CreateValueText.empty()) {
    firstStart(s, state, w, now);
  } else {
    restore(s, state, w);
  }
  return true;
}

}  // namespace vodivuri::engine
