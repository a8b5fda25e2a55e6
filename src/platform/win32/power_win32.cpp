#include "platform/win32/power_win32.hpp"

#include <windows.h>

#include <string>

#include "platform/win32/errors_win32.hpp"
#include "platform/win32/handle_win32.hpp"
#include "platform/win32/optional_api.hpp"

namespace vodivuri::platform::win32 {

namespace {

void reportPrivilege(const char* step, DWORD error) {
  reportOnce(
      std::string("privilege ") + step,
      std::string("cannot enable the shutdown privilege (") + step + "): " + systemMessage(error));
}

// The NT security calls, looked up: Windows 9x has no tokens, and nothing
// says its advapi32 exports them at all; the 9x rules never get here.
struct TokenApi {
  using Open = BOOL(WINAPI*)(HANDLE, DWORD, PHANDLE);
  using Lookup = BOOL(WINAPI*)(LPCSTR, LPCSTR, PLUID);
  using Adjust = BOOL(WINAPI*)(HANDLE, BOOL, PTOKEN_PRIVILEGES, DWORD, PTOKEN_PRIVILEGES, PDWORD);
  Open open = optionalFunction<Open>("advapi32.dll", "OpenProcessToken");
  Lookup lookup = optionalFunction<Lookup>("advapi32.dll", "LookupPrivilegeValueA");
  Adjust adjust = optionalFunction<Adjust>("advapi32.dll", "AdjustTokenPrivileges");
};

}  // namespace

void Win32Power::enableShutdownPrivilege() {
  const TokenApi api;
  if (api.open == nullptr || api.lookup == nullptr || api.adjust == nullptr) {
    reportPrivilege("OpenProcessToken", ERROR_CALL_NOT_IMPLEMENTED);
    return;
  }
  UniqueHandle token;
  if (!api.open(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.out())) {
    reportPrivilege("OpenProcessToken", ::GetLastError());
    return;
  }
  TOKEN_PRIVILEGES wanted{};
  wanted.PrivilegeCount = 1;
  wanted.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  if (!api.lookup(nullptr, "SeShutdownPrivilege", &wanted.Privileges[0].Luid)) {
    reportPrivilege("LookupPrivilegeValueA", ::GetLastError());
    return;
  }
  TOKEN_PRIVILEGES previous{};
  DWORD previousSize = 0;
  if (!api.adjust(token.get(), FALSE, &wanted, sizeof previous, &previous, &previousSize)) {
    reportPrivilege("AdjustTokenPrivileges", ::GetLastError());
    return;
  }
  // Success with ERROR_NOT_ALL_ASSIGNED: the account does not hold the right.
  if (::GetLastError() == ERROR_NOT_ALL_ASSIGNED) {
    reportPrivilege("AdjustTokenPrivileges", ERROR_NOT_ALL_ASSIGNED);
  }
}

bool Win32Power::requestExit(std::uint32_t flags) {
  if (::ExitWindowsEx(flags, 0)) return true;
  const DWORD error = ::GetLastError();
  reportOnce("ExitWindowsEx " + std::to_string(flags),
             "ExitWindowsEx(" + std::to_string(flags) + ") refused: " + systemMessage(error));
  return false;
}

}  // namespace vodivuri::platform::win32
