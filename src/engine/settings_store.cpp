#include "engine/settings_store.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <vector>

#include "engine/diagnostics.hpp"
#include "toolkit/dates.hpp"

namespace vodivuri::engine {

using platform::kNoKey;
using platform::kRegDword;
using platform::kRegOk;
using platform::kRegSz;

namespace {
constexpr long kInvalidParameter = 87;

std::string floatText(float f) {
  if (std::isfinite(f) && std::nearbyint(f) == f && std::fabs(f) < 1e9f) {
    return std::to_string(static_cast<long long>(f));
  }
  char buf[32];
  const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, f);
  return ec == std::errc() ? std::string(buf, end) : std::string();
}

// Banker's rounding, as the conversion to a 32-bit integer does it.
std::optional<std::int32_t> toInt32(double v) {
  if (!std::isfinite(v)) return std::nullopt;
  const double r = std::nearbyint(v);  // default rounding mode: halves to even
  if (r < std::numeric_limits<std::int32_t>::min() || r > std::numeric_limits<std::int32_t>::max())
    return std::nullopt;
  return static_cast<std::int32_t>(r);
}
}  // namespace

std::string settingText(const SettingValue& value) {
  if (const auto* s = std::get_if<std::string>(&value)) return *s;
  if (const auto* i = std::get_if<std::int16_t>(&value)) return std::to_string(*i);
  if (const auto* l = std::get_if<std::int32_t>(&value)) return std::to_string(*l);
  return floatText(std::get<float>(value));
}

std::string asText(const ReadResult& value) {
  if (const auto* s = std::get_if<std::string>(&value)) return *s;
  if (const auto* i = std::get_if<std::int32_t>(&value)) return std::to_string(*i);
  return {};
}

long WriteTypedValue(platform::Registry& registry, platform::RegistryKey key,
                     const std::string& name, std::uint32_t type, const SettingValue& value) {
  if (type == kRegSz) {
    const std::string text = settingText(value);
    std::vector<std::uint8_t> bytes(text.begin(), text.end());
    bytes.push_back(0);
    return registry.setValue(key, name, kRegSz, bytes);
  }
  if (type == kRegDword) {
    std::optional<std::int32_t> number;
    if (const auto* s = std::get_if<std::string>(&value)) {
      if (const auto parsed = toolkit::parseNumber(*s)) number = toInt32(*parsed);
    } else if (const auto* f = std::get_if<float>(&value)) {
      number = toInt32(*f);
    } else if (const auto* i = std::get_if<std::int16_t>(&value)) {
      number = *i;
    } else {
      number = std::get<std::int32_t>(value);
    }
    if (!number) return kInvalidParameter;  // not a number: nothing stored
    const auto u = static_cast<std::uint32_t>(*number);
    const std::vector<std::uint8_t> bytes{
        static_cast<std::uint8_t>(u), static_cast<std::uint8_t>(u >> 8),
        static_cast<std::uint8_t>(u >> 16), static_cast<std::uint8_t>(u >> 24)};
    return registry.setValue(key, name, kRegDword, bytes);
  }
  return kRegOk;
}

long ReadTypedValue(platform::Registry& registry, platform::RegistryKey key,
                    const std::string& name, ReadResult& output) {
  std::uint32_t type = 0;
  std::uint32_t size = 0;
  const long probe = registry.queryValue(key, name, type, size, nullptr);
  if (probe != kRegOk) return probe;
  if (type == kRegSz) {
    if (size == 0) return kRegOk;
    std::vector<std::uint8_t> buffer(size, 0);
    const long status = registry.queryValue(key, name, type, size, buffer.data());
    if (status == kRegOk) {
      // Another tool may have stored the text without its NUL: only a NUL is dropped.
      const std::size_t length = std::min<std::size_t>(size, buffer.size());
      const std::size_t kept = length > 0 && buffer[length - 1] == 0 ? length - 1 : length;
      output = std::string(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(kept));
    } else {
      output = std::monostate{};
    }
    return status;
  }
  if (type == kRegDword) {
    std::vector<std::uint8_t> buffer(size, 0);
    const long status = registry.queryValue(key, name, type, size, buffer.data());
    if (status == kRegOk) {
      std::uint32_t u = 0;
      for (std::size_t i = 0; i < 4 && i < buffer.size(); ++i)
        u |= std::uint32_t{buffer[i]} << (8 * i);
      output = static_cast<std::int32_t>(u);
    }
    return status;
  }
  return -1;
}

void SettingsStore::CreateNewKey(const std::string& keyName, platform::RegistryRoot root) {
  platform::OpenKey key(registry_);
  const long status = registry_.createKey(root, keyName, key.handle());
  if (status != kRegOk) logOnce("create " + keyName, "cannot create the settings key " + keyName);
}

void SettingsStore::SetValue(const std::string& keyName, const std::string& valueName,
                             const SettingValue& value, std::uint32_t type) {
  platform::OpenKey key(registry_);
  if (registry_.openKey(platform::RegistryRoot::CurrentUser, keyName, key.handle()) != kRegOk ||
      key.get() == kNoKey) {
    logOnce("open " + keyName, "cannot open the settings key " + keyName + " for writing");
    return;
  }
  const long status = WriteTypedValue(registry_, key.get(), valueName, type, value);
  if (status != kRegOk) logOnce("write " + valueName, "cannot write the setting " + valueName);
}

void SettingsStore::ReadValue(const std::string& keyName, const std::string& valueName) {
  platform::OpenKey key(registry_);
  if (registry_.openKey(platform::RegistryRoot::CurrentUser, keyName, key.handle()) != kRegOk) {
    return;
  }
  ReadTypedValue(registry_, key.get(), valueName, state_.LastReadValue);
}

std::string SettingsStore::readSetting(const std::string& valueName) {
  state_.LastReadValue = std::monostate{};
  ReadValue(kSettingsKey, valueName);
  return asText(state_.LastReadValue);
}

void SettingsStore::writeSetting(const std::string& valueName, const std::string& text) {
  SetValue(kSettingsKey, valueName, text, kRegSz);
}

}  // namespace vodivuri::engine
