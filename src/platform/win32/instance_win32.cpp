#include "platform/win32/instance_win32.hpp"

#include <windows.h>
// After windows.h, which it needs.
#include <sddl.h>

#include <vector>

#include "platform/win32/codepage.hpp"
#include "platform/win32/errors_win32.hpp"
#include "platform/win32/optional_api.hpp"

namespace vodivuri::platform::win32 {

namespace {

constexpr const char* kSessionPrefix = "Local\\";

// The string form of the user's SID ("S-1-5-21-..."), empty where there is none.
std::string userSid(Win32Instance::SidToString sidToString) {
  // Looked up like the conversion: the NT security calls may not be in 9x's advapi32.
  using Open = BOOL(WINAPI*)(HANDLE, DWORD, PHANDLE);
  using Query = BOOL(WINAPI*)(HANDLE, TOKEN_INFORMATION_CLASS, LPVOID, DWORD, PDWORD);
  const auto open = optionalFunction<Open>("advapi32.dll", "OpenProcessToken");
  const auto query = optionalFunction<Query>("advapi32.dll", "GetTokenInformation");
  if (open == nullptr || query == nullptr) return {};
  UniqueHandle token;
  if (!open(::GetCurrentProcess(), TOKEN_QUERY, token.out())) return {};
  DWORD size = 0;
  query(token.get(), TokenUser, nullptr, 0, &size);
  if (size == 0) return {};
  std::vector<unsigned char> buffer(size);
  if (!query(token.get(), TokenUser, buffer.data(), size, &size)) return {};
  char* text = nullptr;
  if (!sidToString(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text)) {
    return {};
  }
  std::string sid = text;
  ::LocalFree(text);
  return sid;
}

// The user name, for systems without security identifiers; a backslash would
// name a namespace, so it cannot stay.
std::string userName(Win32Instance::UserName getUserName) {
  char name[257] = {};
  DWORD size = sizeof name;
  if (!getUserName(name, &size)) return {};
  std::string text = ansiToUtf8(name);
  for (char& c : text) {
    if (c == '\\') c = '_';
  }
  return text;
}

}  // namespace

Win32Instance::Win32Instance() : mutexName_(defaultMutexName()) {}

Win32Instance::SidToString Win32Instance::lookUpSidToString() {
  return optionalFunction<SidToString>("advapi32.dll", "ConvertSidToStringSidA");
}

std::string Win32Instance::defaultMutexName(SidToString sidToString, UserName getUserName) {
  if (getUserName == nullptr) getUserName = ::GetUserNameA;
  // No SIDs (9x), or no Local\ namespace either (NT 4.0): the user's name in
  // the one namespace there is.
  if (sidToString == nullptr) {
    const std::string who = userName(getUserName);
    return who.empty() ? "Vodivuri" : "Vodivuri-" + who;
  }
  std::string who = userSid(sidToString);
  if (who.empty()) who = userName(getUserName);
  return std::string(kSessionPrefix) + (who.empty() ? "Vodivuri" : "Vodivuri-" + who);
}

std::string Win32Instance::executablePath() {
  std::vector<char> buffer(MAX_PATH);
  for (;;) {
    const DWORD n = ::GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) {
      reportOnce("module path",
                 "cannot tell where the program is: " + systemMessage(::GetLastError()));
      return {};
    }
    // A path that fills the buffer may have been cut short.
    if (n < buffer.size()) return ansiToUtf8(std::string(buffer.data(), n));
    if (buffer.size() >= 32768) return ansiToUtf8(std::string(buffer.data(), n));
    buffer.resize(buffer.size() * 2);
  }
}

std::string Win32Instance::programFolder() {
  const std::string path = executablePath();
  const auto slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

bool Win32Instance::claimSingleInstance() {
  if (mutex_.valid()) return true;
  std::string name = mutexName_;
  ::SetLastError(ERROR_SUCCESS);
  HANDLE handle = ::CreateMutexA(nullptr, FALSE, utf8ToAnsi(name).c_str());
  DWORD error = ::GetLastError();
  // Systems without session namespaces (Windows 9x, NT 4.0) refuse the prefix.
  if (handle == nullptr && name.starts_with(kSessionPrefix) &&
      (error == ERROR_PATH_NOT_FOUND || error == ERROR_BAD_PATHNAME ||
       error == ERROR_INVALID_NAME)) {
    name.erase(0, std::string(kSessionPrefix).size());
    ::SetLastError(ERROR_SUCCESS);
    handle = ::CreateMutexA(nullptr, FALSE, utf8ToAnsi(name).c_str());
    error = ::GetLastError();
  }
  if (handle == nullptr) {
    // Held by a process this one may not open: another copy all the same.
    if (error == ERROR_ACCESS_DENIED) return false;
    reportOnce("instance mutex", "cannot create the instance mutex " + name + ": " +
                                     systemMessage(error) +
                                     "; not starting, another copy might be running");
    return false;
  }
  UniqueHandle mutex(handle);
  if (error == ERROR_ALREADY_EXISTS) return false;
  mutex_ = std::move(mutex);
  return true;
}

}  // namespace vodivuri::platform::win32
