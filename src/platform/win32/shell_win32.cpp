#include "platform/win32/shell_win32.hpp"

#include <windows.h>
// After windows.h, which they need.
#include <objbase.h>
#include <shellapi.h>

#include <cstdint>

#include "platform/win32/codepage.hpp"
#include "platform/win32/errors_win32.hpp"

namespace vodivuri::platform::win32 {

void Win32Shell::openAddress(const std::string& address) {
  // Some shell handlers are COM objects; balanced here unless the thread
  // already runs another apartment model.
  const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  ::SetLastError(ERROR_SUCCESS);
  const HINSTANCE result =
      ::ShellExecuteA(owner_, "open", utf8ToAnsi(address).c_str(), "", "", SW_SHOWNORMAL);
  const DWORD error = ::GetLastError();
  if (SUCCEEDED(com)) ::CoUninitialize();
  // Values up to 32 are error codes; the low ones are system error codes too.
  const auto code = reinterpret_cast<std::intptr_t>(result);
  if (code > 32) return;
  reportOnce("open " + address,
             "cannot open " + address + ": " +
                 systemMessage(error != ERROR_SUCCESS ? error : static_cast<DWORD>(code)));
}

}  // namespace vodivuri::platform::win32
