// The whole program over a host and a set of back ends: the shared state, the
// settings store, the power rules and the four windows, wired together.
#pragma once

#include "calendar/calen.hpp"
#include "engine/power_actions.hpp"
#include "engine/program_state.hpp"
#include "engine/settings_store.hpp"
#include "info/about.hpp"
#include "info/help.hpp"
#include "mainwindow/frm_transparente.hpp"
#include "platform/power.hpp"
#include "platform/registry.hpp"
#include "platform/services.hpp"

namespace vodivuri::app {

struct Services {
  toolkit::Host& host;
  platform::Registry& registry;
  platform::VersionInfo& version;
  platform::Power& power;
  platform::Clock& clock;
  platform::Instance& instance;
  platform::Autostart& autostart;
  platform::Shell& shell;
};

class Program {
 public:
  explicit Program(const Services& services);
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  // Loads and shows the start-up window; it hides itself on activation.
  void start();
  // What a double-click on the tray icon does, for a copy started later that
  // asks this one to show itself.
  void showMainWindow();
  // A command line's schedule options, carried out by the main window: from a
  // copy started later, or given to this one at its start.
  platform::OrderAnswer carryOut(const std::vector<std::string>& words);

  engine::ProgramState state;
  engine::SettingsStore store;
  engine::PowerActions power;
  mainwindow::frmTransparente frmTransparente;
  calendar::Calen Calen;
  info::frmAcercaDe frmAcercaDe;
  info::frmAyuda frmAyuda;

 private:
  toolkit::Host& host_;
  platform::Instance& instance_;
};

}  // namespace vodivuri::app
