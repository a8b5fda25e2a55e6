// Helper of the kill-during-save test: starts as the program does (loading
// the settings file) and then saves generation after generation of the
// program's settings, one setting per save, until it is killed.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/settings_store.hpp"
#include "platform/linux/registry_file.hpp"
#include "reliability/settings_names.hpp"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: settings_writer FILE\n", stderr);
    return 2;
  }
  using namespace vodivuri;
  platform::linux_os::FileRegistry registry(argv[1]);
  engine::ProgramState state;
  engine::SettingsStore store(registry, state);
  store.CreateNewKey(engine::kSettingsKey, platform::RegistryRoot::CurrentUser);
  // Some bulk, so that a save takes long enough to be caught in the middle.
  store.writeSetting("Relleno", std::string(64 * 1024, 'x'));
  // Goes on from the oldest value, so that a generation cut short is
  // finished before the next one starts (a missing setting counts as 0).
  long generation = -1;
  for (const char* name : testing::kSettingNames) {
    const long value = std::atol(store.readSetting(name).c_str());
    generation = generation < 0 ? value : std::min(generation, value);
  }
  for (;;) {
    ++generation;
    for (const char* name : testing::kSettingNames) {
      store.writeSetting(name, std::to_string(generation));
    }
  }
}
