// A main window on the test host with in-memory settings and recording power.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "engine/settings_store.hpp"
#include "frontend/testhost/test_host.hpp"
#include "mainwindow/frm_transparente.hpp"

namespace vodivuri::mainwindow::testing {

using platform::RegistryRoot;
using platform::VersionRecord;
using Request = platform::testing::RecordingPower::Request;
using toolkit::DateTime;
using toolkit::MessageAnswer;

inline const VersionRecord kXp{2, 5, 1};
inline const VersionRecord k2000{2, 5, 0};
inline const VersionRecord k98{1, 4, 10};

// A stand-in for a secondary window, opened modally by the main window.
struct SecondaryForm : toolkit::Form {
  SecondaryForm(toolkit::Host& host, const char* name, engine::ProgramState& state)
      : Form(host, name, {}) {
    onUnload = [&state] { state.ChildClosed = engine::kChildJustClosed; };
  }
};

class MainWindowTest : public ::testing::Test {
 protected:
  platform::testing::FakeClock clock{DateTime{{2026, 12, 7}, 7, 0, 0}};
  testhost::TestHost host{clock};
  platform::testing::MemoryRegistry registry;
  platform::testing::ScriptedVersion version{kXp};
  platform::testing::RecordingPower power;
  platform::testing::ScriptedInstance instance;
  platform::testing::RecordingAutostart autostart;
  engine::PowerActions actions{version, power};

  // Per run of the program.
  std::unique_ptr<engine::ProgramState> state;
  std::unique_ptr<engine::SettingsStore> store;
  std::unique_ptr<SecondaryForm> calendar, about, help;
  toolkit::Date calendarShownDate;
  std::unique_ptr<frmTransparente> main;

  engine::ProgramState& st() { return *state; }
  frmTransparente& w() { return *main; }

  // Starts the program: load, first showing, activation.
  void start() {
    main.reset();
    calendar.reset();
    about.reset();
    help.reset();
    state = std::make_unique<engine::ProgramState>();
    store = std::make_unique<engine::SettingsStore>(registry, *state);
    main = std::make_unique<frmTransparente>(
        MainWindowServices{host, *state, *store, version, actions, clock, instance, autostart});
    calendar = std::make_unique<SecondaryForm>(host, "Calen", *state);
    about = std::make_unique<SecondaryForm>(host, "frmAcercaDe", *state);
    help = std::make_unique<SecondaryForm>(host, "frmAyuda", *state);
    main->attach({calendar.get(), &calendarShownDate, about.get(), help.get()});
    main->show();
  }

  // A first start answered Yes or No, then a second start.
  void firstStart(MessageAnswer answer = MessageAnswer::No) {
    host.answer(answer);
    start();
  }

  // Stored settings as another run left them.
  void storeSettings(const std::map<std::string, std::string>& values) {
    registry.putText(RegistryRoot::CurrentUser, engine::kSettingsKey, "CreateValue", "01/12/2026");
    for (const auto& [name, text] : values) {
      registry.putText(RegistryRoot::CurrentUser, engine::kSettingsKey, name, text);
    }
  }

  std::optional<std::string> setting(const std::string& name) const {
    return registry.text(RegistryRoot::CurrentUser, engine::kSettingsKey, name);
  }

  std::vector<std::string> writesSince(std::size_t from) const {
    std::vector<std::string> names = registry.writtenNames();
    return {names.begin() + static_cast<std::ptrdiff_t>(from), names.end()};
  }
};

}  // namespace vodivuri::mainwindow::testing
