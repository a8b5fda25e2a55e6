// The run-at-start-up entry: the quoted path of the running program under the
// Run key (mirrored where the platform starts programs otherwise), or empty.
#pragma once

#include <string>

#include "engine/program_state.hpp"
#include "engine/settings_store.hpp"
#include "platform/services.hpp"

namespace vodivuri::engine {

// The entry's text for an executable: its full path in double quotes.
std::string runEntryFor(const std::string& executablePath);

// AppPath := the program's folder, then the entry names the running program.
void writeRunEntry(SettingsStore& store, platform::Instance& instance,
                   platform::Autostart& autostart, ProgramState& state);
// Empties the entry (the value stays, holding "").
void clearRunEntry(SettingsStore& store, platform::Autostart& autostart);

}  // namespace vodivuri::engine
