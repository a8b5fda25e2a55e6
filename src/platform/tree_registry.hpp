// A registry held in memory: keys and value names compared without regard to
// ASCII case, as Windows does. The in-memory and the file back ends build on it.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/registry.hpp"

namespace vodivuri::platform {

struct RegistryValue {
  std::string name;  // as first written
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;
  friend bool operator==(const RegistryValue&, const RegistryValue&) = default;
};

struct RegistryKeyData {
  std::string path;                   // as first created
  std::vector<RegistryValue> values;  // in order of first writing
};

// One root's keys by their folded path.
using RegistryHive = std::map<std::string, RegistryKeyData>;

class TreeRegistry : public Registry {
 public:
  long createKey(RegistryRoot root, const std::string& path, RegistryKey& key) override;
  long openKey(RegistryRoot root, const std::string& path, RegistryKey& key) override;
  long setValue(RegistryKey key, const std::string& name, std::uint32_t type,
                const std::vector<std::uint8_t>& data) override;
  long queryValue(RegistryKey key, const std::string& name, std::uint32_t& type,
                  std::uint32_t& size, std::uint8_t* data) override;
  long closeKey(RegistryKey key) override;

  bool hasKey(RegistryRoot root, const std::string& path) const;
  std::optional<RegistryValue> value(RegistryRoot root, const std::string& path,
                                     const std::string& name) const;
  // A text value without its terminating NUL; empty when missing or not text.
  std::optional<std::string> text(RegistryRoot root, const std::string& path,
                                  const std::string& name) const;
  // Writes directly, creating the key: for tests and importers.
  void put(RegistryRoot root, const std::string& path, const std::string& name, std::uint32_t type,
           std::vector<std::uint8_t> data);
  void putText(RegistryRoot root, const std::string& path, const std::string& name,
               const std::string& text);
  void removeValue(RegistryRoot root, const std::string& path, const std::string& name);

  const RegistryHive& hive(RegistryRoot root) const;
  RegistryHive& hive(RegistryRoot root);

  static std::string fold(const std::string& s);

 protected:
  // Called after every change that should be made lasting.
  virtual void changed(RegistryRoot) {}

 private:
  RegistryKeyData& ensureKey(RegistryRoot root, const std::string& path);
  struct Handle {
    RegistryRoot root;
    std::string folded;
  };
  RegistryHive currentUser_, localMachine_;
  std::map<RegistryKey, Handle> handles_;
  RegistryKey next_ = 1;
};

// Stored bytes of a text value: the text and one NUL.
std::vector<std::uint8_t> textBytes(const std::string& text);

}  // namespace vodivuri::platform
