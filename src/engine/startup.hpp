// Start-up: single instance, clock labels, version, then either the
// first-start defaults or the restore of every stored choice into the window.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "engine/power_actions.hpp"
#include "engine/program_state.hpp"
#include "engine/settings_store.hpp"
#include "platform/services.hpp"
#include "toolkit/form.hpp"

namespace vodivuri::engine {

// The services start-up uses.
struct StartupServices {
  toolkit::Host& host;
  SettingsStore& store;
  platform::VersionInfo& version;
  platform::Clock& clock;
  platform::Instance& instance;
  platform::Autostart& autostart;
};

// The parts of the main window start-up sets.
struct StartupWindow {
  toolkit::Form& form;
  toolkit::Label& Label1;
  toolkit::Label& Label2;
  toolkit::Label& txtHora;
  toolkit::Label& txtMin;
  toolkit::Label& lblHora;
  toolkit::Label& lblMin;
  toolkit::Label& lblCalen;
  toolkit::Label& lblForzar;
  toolkit::CheckBox& chForzar;
  toolkit::CheckBox& chApagar;
  toolkit::CheckBox& chReSist;
  toolkit::CheckBox& chReSes;
  toolkit::OptionButton& opSiempre;
  toolkit::Button& cmdCalendario;
  toolkit::MenuEntry& mnuSi;
  toolkit::MenuEntry& mnuNo;
  toolkit::Timer& Timer1;
  std::function<void()> AddTrayIcon;
  std::function<void()> ShowScheduledDate;
};

inline constexpr const char* kLongDate = "dddd, d \\d\\e mmmm \\d\\e yyyy";
inline constexpr const char* kClockTime = "hh : mm :ss";
inline constexpr const char* kShortDate = "dd/mm/yyyy";

// First-start window place (twips) for a screen width in pixels; false for
// widths without one.
bool firstStartPosition(int screenWidth, int& left, int& top);

// The read-out of a stored hour or minute that holds no time.
inline constexpr const char* kNoTimeReadOut = "--";

// A stored hour or minute as the trigger and the read-out use it: one or two
// ASCII digits within 0..limit become two digits; anything else is no time.
std::optional<std::string> normaliseTimeField(const std::string& stored, int limit);

// Runs start-up; false when another instance runs and the program must end.
bool RunStartup(const StartupServices& services, ProgramState& state, StartupWindow& window);

}  // namespace vodivuri::engine
