// The settings registry: a two-level store of named keys below two roots with
// typed values, reached through open/create, set, query and close.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vodivuri::platform {

enum class RegistryRoot : std::uint32_t {
  CurrentUser = 0x80000001u,
  LocalMachine = 0x80000002u,
};

inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;

// Status codes as the Windows registry gives them.
inline constexpr long kRegOk = 0;
inline constexpr long kRegFileNotFound = 2;
inline constexpr long kRegInvalidHandle = 6;
inline constexpr long kRegMoreData = 234;

using RegistryKey = std::uint64_t;  // 0 is no key
inline constexpr RegistryKey kNoKey = 0;

class Registry {
 public:
  virtual ~Registry() = default;
  // Creates the key (and the keys above it) or opens it if it exists.
  virtual long createKey(RegistryRoot root, const std::string& path, RegistryKey& key) = 0;
  virtual long openKey(RegistryRoot root, const std::string& path, RegistryKey& key) = 0;
  virtual long setValue(RegistryKey key, const std::string& name, std::uint32_t type,
                        const std::vector<std::uint8_t>& data) = 0;
  // With `data` null, reports the type and size only. Otherwise reads at most
  // `size` bytes into data and sets `size` to the stored size.
  virtual long queryValue(RegistryKey key, const std::string& name, std::uint32_t& type,
                          std::uint32_t& size, std::uint8_t* data) = 0;
  virtual long closeKey(RegistryKey key) = 0;
};

// Closes a key when it goes out of scope.
class OpenKey {
 public:
  explicit OpenKey(Registry& registry) : registry_(registry) {}
  ~OpenKey() {
    if (key_ != kNoKey) registry_.closeKey(key_);
  }
  OpenKey(const OpenKey&) = delete;
  OpenKey& operator=(const OpenKey&) = delete;
  RegistryKey& handle() { return key_; }
  RegistryKey get() const { return key_; }

 private:
  Registry& registry_;
  RegistryKey key_ = kNoKey;
};

}  // namespace vodivuri::platform
