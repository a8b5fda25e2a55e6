#include "platform/win32/registry_win32.hpp"

#include <windows.h>

#include <cstring>

#include "platform/win32/codepage.hpp"
#include "platform/win32/errors_win32.hpp"

namespace vodivuri::platform::win32 {

namespace {

// Query, set, create sub-key, enumerate, notify, create link: the mask the
// settings have always been opened with.
constexpr REGSAM kAccess = 0x3F;

HKEY rootHandle(RegistryRoot root) {
  switch (root) {
    case RegistryRoot::CurrentUser:
      return HKEY_CURRENT_USER;
    case RegistryRoot::LocalMachine:
      return HKEY_LOCAL_MACHINE;
  }
  return nullptr;
}

std::string rootName(RegistryRoot root) {
  return root == RegistryRoot::LocalMachine ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
}

bool isText(DWORD type) {
  return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// A missing key or value is an answer, not a fault.
void reportFailure(LONG status, const std::string& what) {
  if (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) return;
  reportOnce(what + "/" + std::to_string(status), what + ": " + systemMessage(status));
}

}  // namespace

Win32Registry::~Win32Registry() {
  for (const auto& [id, handle] : keys_) ::RegCloseKey(handle);
}

HKEY__* Win32Registry::handleOf(RegistryKey key) const {
  const auto it = keys_.find(key);
  return it == keys_.end() ? nullptr : it->second;
}

RegistryKey Win32Registry::adopt(HKEY__* handle) {
  const RegistryKey id = next_++;
  keys_.emplace(id, handle);
  return id;
}

long Win32Registry::createKey(RegistryRoot root, const std::string& path, RegistryKey& key) {
  key = kNoKey;
  const HKEY parent = rootHandle(root);
  if (parent == nullptr) return ERROR_INVALID_HANDLE;
  HKEY handle = nullptr;
  const LONG status =
      ::RegCreateKeyExA(parent, utf8ToAnsi(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        kAccess, nullptr, &handle, nullptr);
  if (status != ERROR_SUCCESS) {
    reportFailure(status, "cannot create the key " + rootName(root) + "\\" + path);
    return status;
  }
  key = adopt(handle);
  return ERROR_SUCCESS;
}

long Win32Registry::openKey(RegistryRoot root, const std::string& path, RegistryKey& key) {
  key = kNoKey;
  const HKEY parent = rootHandle(root);
  if (parent == nullptr) return ERROR_INVALID_HANDLE;
  HKEY handle = nullptr;
  const LONG status = ::RegOpenKeyExA(parent, utf8ToAnsi(path).c_str(), 0, kAccess, &handle);
  if (status != ERROR_SUCCESS) {
    reportFailure(status, "cannot open the key " + rootName(root) + "\\" + path);
    return status;
  }
  key = adopt(handle);
  return ERROR_SUCCESS;
}

long Win32Registry::setValue(RegistryKey key, const std::string& name, std::uint32_t type,
                             const std::vector<std::uint8_t>& data) {
  const HKEY handle = handleOf(key);
  if (handle == nullptr) return ERROR_INVALID_HANDLE;
  std::string bytes(data.begin(), data.end());
  if (isText(type)) bytes = utf8ToAnsi(bytes);
  const LONG status = ::RegSetValueExA(handle, utf8ToAnsi(name).c_str(), 0, type,
                                       reinterpret_cast<const BYTE*>(bytes.data()),
                                       static_cast<DWORD>(bytes.size()));
  reportFailure(status, "cannot write the value " + name);
  return status;
}

long Win32Registry::queryValue(RegistryKey key, const std::string& name, std::uint32_t& type,
                               std::uint32_t& size, std::uint8_t* data) {
  const HKEY handle = handleOf(key);
  if (handle == nullptr) return ERROR_INVALID_HANDLE;
  const std::string ansiName = utf8ToAnsi(name);
  DWORD storedType = 0;
  DWORD storedSize = 0;
  LONG status =
      ::RegQueryValueExA(handle, ansiName.c_str(), nullptr, &storedType, nullptr, &storedSize);
  if (status != ERROR_SUCCESS) {
    reportFailure(status, "cannot read the value " + name);
    return status;
  }
  if (!isText(storedType)) {
    type = storedType;
    if (data == nullptr) {
      size = storedSize;
      return ERROR_SUCCESS;
    }
    DWORD capacity = size;
    status = ::RegQueryValueExA(handle, ansiName.c_str(), nullptr, &storedType, data, &capacity);
    type = storedType;
    size = capacity;
    return status;
  }

  // Texts are read whole, converted, and measured in UTF-8. The size asked for
  // without a buffer may be too large (it can count UTF-16) or stale.
  std::string raw(storedSize, '\0');
  for (int attempt = 0;; ++attempt) {
    DWORD capacity = static_cast<DWORD>(raw.size());
    status = ::RegQueryValueExA(handle, ansiName.c_str(), nullptr, &storedType,
                                reinterpret_cast<BYTE*>(raw.data()), &capacity);
    if (status == ERROR_MORE_DATA && attempt < 4) {
      raw.assign(capacity, '\0');
      continue;
    }
    if (status != ERROR_SUCCESS) {
      reportFailure(status, "cannot read the value " + name);
      return status;
    }
    raw.resize(capacity);
    break;
  }
  if (storedType == REG_SZ || storedType == REG_EXPAND_SZ) {
    if (!raw.empty() && raw.back() != '\0') raw.push_back('\0');
  }
  const std::string text = isText(storedType) ? ansiToUtf8(raw) : raw;
  type = storedType;
  const auto needed = static_cast<std::uint32_t>(text.size());
  if (data == nullptr) {
    size = needed;
    return ERROR_SUCCESS;
  }
  if (size < needed) {
    size = needed;
    return ERROR_MORE_DATA;
  }
  if (needed > 0) std::memcpy(data, text.data(), needed);
  size = needed;
  return ERROR_SUCCESS;
}

long Win32Registry::closeKey(RegistryKey key) {
  const auto it = keys_.find(key);
  if (it == keys_.end()) return ERROR_INVALID_HANDLE;
  const LONG status = ::RegCloseKey(it->second);
  keys_.erase(it);
  return status;
}

}  // namespace vodivuri::platform::win32
