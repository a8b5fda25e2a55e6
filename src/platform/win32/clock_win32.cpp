#include "platform/win32/clock_win32.hpp"

#include <windows.h>

namespace vodivuri::platform::win32 {

toolkit::DateTime Win32Clock::now() {
  SYSTEMTIME t{};
  ::GetLocalTime(&t);
  return {{t.wYear, t.wMonth, t.wDay}, t.wHour, t.wMinute, t.wSecond};
}

}  // namespace vodivuri::platform::win32
