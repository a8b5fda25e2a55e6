// The settings store: keys and typed values in the user's registry root, every
// read landing in ProgramState::LastReadValue.
#pragma once

#include <cstdint>
#include <string>
#include <variant>

#include "engine/program_state.hpp"
#include "platform/registry.hpp"

namespace vodivuri::engine {

inline constexpr const char* kSettingsKey = "Rurevoduz";
inline constexpr const char* kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* kRunValue = "Vodivuri";

// A value to write: a text, a 16-bit or 32-bit integer, or a single-precision number.
using SettingValue = std::variant<std::string, std::int16_t, std::int32_t, float>;

// Writes one typed value: type 1 as text with one NUL (counted in the length),
// type 4 as a 32-bit integer; any other type stores nothing and returns 0.
long WriteTypedValue(platform::Registry& registry, platform::RegistryKey key,
                     const std::string& name, std::uint32_t type, const SettingValue& value);
// Reads one value into `output`: text without its NUL, type 4 as a 32-bit
// integer; other types return -1, and a failed query leaves `output` untouched.
long ReadTypedValue(platform::Registry& registry, platform::RegistryKey key,
                    const std::string& name, ReadResult& output);

// The decimal text of a value as type 1 stores it.
std::string settingText(const SettingValue& value);

class SettingsStore {
 public:
  SettingsStore(platform::Registry& registry, ProgramState& state)
      : registry_(registry), state_(state) {}

  void CreateNewKey(const std::string& keyName, platform::RegistryRoot root);
  // Writes to the user root only; the machine-wide copy is not maintained.
  void SetValue(const std::string& keyName, const std::string& valueName, const SettingValue& value,
                std::uint32_t type);
  // Leaves LastReadValue untouched when nothing is found.
  void ReadValue(const std::string& keyName, const std::string& valueName);

  // A setting of the program's key as text, with the slot cleared first so
  // that a missing value reads as the empty text.
  std::string readSetting(const std::string& valueName);
  void writeSetting(const std::string& valueName, const std::string& text);

  platform::Registry& registry() { return registry_; }

 private:
  platform::Registry& registry_;
  ProgramState& state_;
};

}  // namespace vodivuri::engine
