#include "platform/tree_registry.hpp"

#include <algorithm>
#include <cstring>

namespace vodivuri::platform {

std::string TreeRegistry::fold(const std::string& s) {
  std::string out = s;
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

std::vector<std::uint8_t> textBytes(const std::string& text) {
  std::vector<std::uint8_t> bytes(text.begin(), text.end());
  bytes.push_back(0);
  return bytes;
}

const RegistryHive& TreeRegistry::hive(RegistryRoot root) const {
  return root == RegistryRoot::LocalMachine ? localMachine_ : currentUser_;
}

RegistryHive& TreeRegistry::hive(RegistryRoot root) {
  return root == RegistryRoot::LocalMachine ? localMachine_ : currentUser_;
}

RegistryKeyData& TreeRegistry::ensureKey(RegistryRoot root, const std::string& path) {
  RegistryHive& h = hive(root);
  // Every key above it exists too.
  for (std::size_t pos = path.find('\\'); pos != std::string::npos;
       pos = path.find('\\', pos + 1)) {
    const std::string prefix = path.substr(0, pos);
    h.try_emplace(fold(prefix), RegistryKeyData{prefix, {}});
  }
  return h.try_emplace(fold(path), RegistryKeyData{path, {}}).first->second;
}

long TreeRegistry::createKey(RegistryRoot root, const std::string& path, RegistryKey& key) {
  key = kNoKey;
  if (path.empty()) return kRegFileNotFound;
  const bool existed = hasKey(root, path);
  ensureKey(root, path);
  if (!existed) changed(root);
  key = next_++;
  handles_[key] = Handle{root, fold(path)};
  return kRegOk;
}

long TreeRegistry::openKey(RegistryRoot root, const std::string& path, RegistryKey& key) {
  key = kNoKey;
  if (!hasKey(root, path)) return kRegFileNotFound;
  key = next_++;
  handles_[key] = Handle{root, fold(path)};
  return kRegOk;
}

long TreeRegistry::setValue(RegistryKey key, const std::string& name, std::uint32_t type,
                            const std::vector<std::uint8_t>& data) {
  const auto h = handles_.find(key);
  if (h == handles_.end()) return kRegInvalidHandle;
  auto k = hive(h->second.root).find(h->second.folded);
  if (k == hive(h->second.root).end()) return kRegFileNotFound;
  auto& values = k->second.values;
  const std::string folded = fold(name);
  auto v = std::find_if(values.begin(), values.end(),
                        [&](const RegistryValue& x) { return fold(x.name) == folded; });
  if (v == values.end()) {
    values.push_back(RegistryValue{name, type, data});
  } else {
    v->type = type;
    v->data = data;
  }
  changed(h->second.root);
  return kRegOk;
}

long TreeRegistry::queryValue(RegistryKey key, const std::string& name, std::uint32_t& type,
                              std::uint32_t& size, std::uint8_t* data) {
  const auto h = handles_.find(key);
  if (h == handles_.end()) return kRegInvalidHandle;
  const auto v = value(h->second.root, hive(h->second.root).at(h->second.folded).path, name);
  if (!v) return kRegFileNotFound;
  type = v->type;
  const auto stored = static_cast<std::uint32_t>(v->data.size());
  if (data == nullptr) {
    size = stored;
    return kRegOk;
  }
  if (size < stored) {
    size = stored;
    return kRegMoreData;
  }
  if (stored > 0) std::memcpy(data, v->data.data(), stored);
  size = stored;
  return kRegOk;
}

long TreeRegistry::closeKey(RegistryKey key) {
  return handles_.erase(key) > 0 ? kRegOk : kRegInvalidHandle;
}

bool TreeRegistry::hasKey(RegistryRoot root, const std::string& path) const {
  return !path.empty() && hive(root).count(fold(path)) > 0;
}

std::optional<RegistryValue> TreeRegistry::value(RegistryRoot root, const std::string& path,
                                                 const std::string& name) const {
  const auto k = hive(root).find(fold(path));
  if (k == hive(root).end()) return std::nullopt;
  const std::string folded = fold(name);
  for (const RegistryValue& v : k->second.values) {
    if (fold(v.name) == folded) return v;
  }
  return std::nullopt;
}

std::optional<std::string> TreeRegistry::text(RegistryRoot root, const std::string& path,
                                              const std::string& name) const {
  const auto v = value(root, path, name);
  if (!v || (v->type != kRegSz && v->type != kRegExpandSz)) return std::nullopt;
  std::string s(v->data.begin(), v->data.end());
  if (!s.empty() && s.back() == '\0') s.pop_back();
  return s;
}

void TreeRegistry::put(RegistryRoot root, const std::string& path, const std::string& name,
                       std::uint32_t type, std::vector<std::uint8_t> data) {
  RegistryKeyData& k = ensureKey(root, path);
  const std::string folded = fold(name);
  for (RegistryValue& v : k.values) {
    if (fold(v.name) == folded) {
      v.type = type;
      v.data = std::move(data);
      return;
    }
  }
  k.values.push_back(RegistryValue{name, type, std::move(data)});
}

void TreeRegistry::putText(RegistryRoot root, const std::string& path, const std::string& name,
                           const std::string& text) {
  put(root, path, name, kRegSz, textBytes(text));
}

void TreeRegistry::removeValue(RegistryRoot root, const std::string& path,
                               const std::string& name) {
  const auto k = hive(root).find(fold(path));
  if (k == hive(root).end()) return;
  const std::string folded = fold(name);
  std::erase_if(k->second.values, [&](const RegistryValue& v) { return fold(v.name) == folded; });
}

}  // namespace vodivuri::platform
