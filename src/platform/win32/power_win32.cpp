#include "platform/win32/power_win32.hpp"

#include <windows.h>

#include <string>

#include "platform/win32/errors_win32.hpp"
#include "platform/win32/handle_win32.hpp"

namespace vodivuri::platform::win32 {

namespace {

void reportPrivilege(const char* step, DWORD error) {
  reportOnce(
      std::string("privilege ") + step,
      std::string("cannot enable the shutdown privilege (") + step + "): " + systemMessage(error));
}

}  // namespace

void Win32Power::enableShutdownPrivilege() {
  UniqueHandle token;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY,
                          token.out())) {
    reportPrivilege("OpenProcessToken", ::GetLastError());
    return;
  }
  TOKEN_PRIVILEGES wanted{};
  wanted.PrivilegeCount = 1;
  wanted.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  if (!::LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &wanted.Privileges[0].Luid)) {
    reportPrivilege("LookupPrivilegeValueA", ::GetLastError());
    return;
  }
  TOKEN_PRIVILEGES previous{};
  DWORD previousSize = 0;
  if (!::AdjustTokenPrivileges(token.get(), FALSE, &wanted, sizeof previous, &previous,
                               &previousSize)) {
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
