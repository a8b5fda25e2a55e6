#include "platform/win32/autostart_win32.hpp"

#include <windows.h>

#include <string>

#include "platform/win32/errors_win32.hpp"
#include "platform/win32/optional_api.hpp"

namespace vodivuri::platform::win32 {

namespace {

constexpr const char* kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kRunValue = "Vodivuri";

// A 32-bit program on 64-bit Windows sees the 32-bit view of HKEY_LOCAL_MACHINE
// by default; an earlier install may have written either view. IsWow64Process
// is looked up, as the oldest systems do not have it.
bool onWow64() {
  using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
  const auto proc = optionalFunction<IsWow64ProcessFn>("kernel32.dll", "IsWow64Process");
  BOOL wow64 = FALSE;
  return proc != nullptr && proc(::GetCurrentProcess(), &wow64) && wow64;
}

// Closes a key when it goes out of scope.
struct KeyOwner {
  HKEY key = nullptr;
  ~KeyOwner() {
    if (key != nullptr) ::RegCloseKey(key);
  }
};

// True when the value exists and holds anything but the empty text.
bool holdsEntry(HKEY key) {
  DWORD type = 0;
  DWORD size = 0;
  if (::RegQueryValueExA(key, kRunValue, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
    return false;
  }
  if (type != REG_SZ && type != REG_EXPAND_SZ) return true;
  std::string data(size + 1, '\0');
  DWORD capacity = size;
  if (::RegQueryValueExA(key, kRunValue, nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                         &capacity) != ERROR_SUCCESS) {
    return true;
  }
  return data[0] != '\0';
}

void emptyMachineEntry(REGSAM view) {
  KeyOwner reader;
  if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_QUERY_VALUE | view, &reader.key) !=
          ERROR_SUCCESS ||
      !holdsEntry(reader.key)) {
    return;
  }
  const std::string where = std::string("HKEY_LOCAL_MACHINE\\") + kRunKey +
                            (view == KEY_WOW64_64KEY ? " (64-bit view)" : "");
  KeyOwner writer;
  LONG status = ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_SET_VALUE | view, &writer.key);
  if (status == ERROR_SUCCESS) {
    status =
        ::RegSetValueExA(writer.key, kRunValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1);
  }
  if (status != ERROR_SUCCESS) {
    reportOnce("machine run entry " + where,
               "cannot empty the value " + std::string(kRunValue) + " under " + where + ": " +
                   systemMessage(status) + "; Windows will still start the program at sign-in");
  }
}

}  // namespace

void Win32Autostart::mirror(const std::string& command) {
  if (!command.empty()) return;
  emptyMachineEntry(0);
  if (onWow64()) emptyMachineEntry(KEY_WOW64_64KEY);
}

}  // namespace vodivuri::platform::win32
