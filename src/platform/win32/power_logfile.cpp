#include "platform/win32/power_logfile.hpp"

#include <windows.h>

#include <cstdio>

#include "platform/win32/codepage.hpp"
#include "platform/win32/errors_win32.hpp"
#include "platform/win32/handle_win32.hpp"

namespace vodivuri::platform::win32 {

void LogFilePower::enableShutdownPrivilege() {
  append("habilitar el permiso de apagado (SeShutdownPrivilege)");
}

bool LogFilePower::requestExit(std::uint32_t flags) {
  return append("ExitWindowsEx indicadores " + std::to_string(flags) + ": " +
                platform::describeExitRequest(flags));
}

bool LogFilePower::append(const std::string& text) {
  const toolkit::DateTime t = clock_.now();
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d ", t.date.year, t.date.month,
                t.date.day, t.hour, t.minute, t.second);
  const std::string line = stamp + text + "\r\n";
  // Opened for each line, so the file can be read, moved or deleted meanwhile.
  UniqueHandle file(::CreateFileA(utf8ToAnsi(path_).c_str(), FILE_APPEND_DATA,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  if (!file.valid() ||
      !::WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr) ||
      written != line.size()) {
    reportOnce("simulate log",
               "cannot write the simulation log " + path_ + ": " + systemMessage(::GetLastError()));
    return false;
  }
  return true;
}

}  // namespace vodivuri::platform::win32
