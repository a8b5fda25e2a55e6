// The doubles of every service the whole program runs on, for tests that
// drive it over a host.
#pragma once

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

}  // namespace vodivuri::testing
