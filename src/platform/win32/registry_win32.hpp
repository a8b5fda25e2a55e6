// The settings registry on Windows: advapi32's Reg...A calls, with the keys it
// hands out owned here and names and texts converted to Windows-1252.
#pragma once

#include <cstddef>
#include <map>

#include "platform/registry.hpp"

struct HKEY__;

namespace vodivuri::platform::win32 {

class Win32Registry : public Registry {
 public:
  Win32Registry() = default;
  // Closes every key still open.
  ~Win32Registry() override;
  Win32Registry(const Win32Registry&) = delete;
  Win32Registry& operator=(const Win32Registry&) = delete;

  // Access mask 0x3F, non-volatile.
  long createKey(RegistryRoot root, const std::string& path, RegistryKey& key) override;
  long openKey(RegistryRoot root, const std::string& path, RegistryKey& key) override;
  // Text types (1, 2, 7) are converted from UTF-8 to Windows-1252.
  long setValue(RegistryKey key, const std::string& name, std::uint32_t type,
                const std::vector<std::uint8_t>& data) override;
  // Text types come back in UTF-8, sizes counted in UTF-8 bytes; a text stored
  // without its NUL gets one, so no reader loses its last character.
  long queryValue(RegistryKey key, const std::string& name, std::uint32_t& type,
                  std::uint32_t& size, std::uint8_t* data) override;
  long closeKey(RegistryKey key) override;

  std::size_t openKeys() const { return keys_.size(); }

 private:
  HKEY__* handleOf(RegistryKey key) const;
  RegistryKey adopt(HKEY__* handle);
  std::map<RegistryKey, HKEY__*> keys_;
  RegistryKey next_ = 1;
};

}  // namespace vodivuri::platform::win32
