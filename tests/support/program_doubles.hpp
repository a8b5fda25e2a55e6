// The doubles of every service the whole program runs on, for tests that
// drive it over a host.
#pragma once

#include <initializer_list>
#include <utility>

#include "app/program.hpp"
#include "platform/testing/doubles.hpp"

namespace vodivuri::testing {

struct ProgramDoubles {
  platform::testing::FakeClock clock{{{2026, 12, 7}, 7, 0, 0}};
  platform::testing::MemoryRegistry registry;
  platform::testing::ScriptedVersion version;
  platform::testing::RecordingPower power;
  platform::testing::ScriptedInstance instance;
  platform::testing::RecordingAutostart autostart;
  platform::testing::RecordingShell shell;

  app::Services services(toolkit::Host& host) {
    return {host, registry, version, power, clock, instance, autostart, shell};
  }
};

// Settings of an earlier run (no first-start question; not started with the
// system), with `values` on top.
inline void storeEarlierRun(engine::SettingsStore& store,
                            std::initializer_list<std::pair<const char*, const char*>> values) {
  store.CreateNewKey(engine::kSettingsKey, platform::RegistryRoot::CurrentUser);
  store.writeSetting("CreateValue", "01/12/2026");
  store.writeSetting("Inicio", "False");
  for (const auto& [name, text] : values) store.writeSetting(name, text);
}

// An earlier run that left a one-date shutdown armed for 24/12/2026 at
// `hour`:30.
inline void storeArmedShutdown(engine::SettingsStore& store, const char* hour) {
  storeEarlierRun(store, {{"ApagarSistema", "True"},
                          {"Siempre", "False"},
                          {"FechaProgramada", "24/12/2026"},
                          {"Hora", hour},
                          {"Minutos", "30"}});
}

}  // namespace vodivuri::testing
