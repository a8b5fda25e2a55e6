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
  // Opened for each line, so the file can be read, moved or deleted meanwhile;
  // Windows 9x refuses delete sharing as an invalid parameter, and knows only
  // the generic access rights: there the line goes to the end by seeking.
  const CreateFileFunction createFile = createFile_ != nullptr ? createFile_ : ::CreateFileA;
  const std::string ansiPath = utf8ToAnsi(path_);
  const auto open = [&](DWORD access, DWORD share) {
    return createFile(ansiPath.c_str(), access, share, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                      nullptr);
  };
  UniqueHandle file(open(FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE));
  if (!file.valid() && ::GetLastError() == ERROR_INVALID_PARAMETER) {
    file = UniqueHandle(open(GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE));
    if (file.valid() &&
        ::SetFilePointer(file.get(), 0, nullptr, FILE_END) == INVALID_SET_FILE_POINTER &&
        ::GetLastError() != NO_ERROR) {
      file.reset();
    }
  }
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
