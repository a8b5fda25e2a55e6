#include "engine/run_at_startup.hpp"

namespace vodivuri::engine {

std::string runEntryFor(const std::string& executablePath) {
  // Quoted, so that a path with blanks cannot start another program.
  return "\"" + executablePath + "\"";
}

void writeRunEntry(SettingsStore& store, platform::Instance& instance,
                   platform::Autostart& autostart, ProgramState& state) {
  state.AppPath = instance.programFolder();
  const std::string entry = runEntryFor(instance.executablePath());
  // The key exists on any Windows; elsewhere the settings may not have it yet.
  store.CreateNewKey(kRunKey, platform::RegistryRoot::CurrentUser);
  store.SetValue(kRunKey, kRunValue, entry, platform::kRegSz);
  autostart.mirror(entry);
}

void clearRunEntry(SettingsStore& store, platform::Autostart& autostart) {
  store.CreateNewKey(kRunKey, platform::RegistryRoot::CurrentUser);
  store.SetValue(kRunKey, kRunValue, std::string(), platform::kRegSz);
  autostart.mirror("");
}

}  // namespace vodivuri::engine
