#include "platform/win32/shell_win32.hpp"

#include <windows.h>
// After windows.h, which they need.
#include <objbase.h>
#include <shellapi.h>

#include <cstdint>

#include "platform/win32/codepage.hpp"
#include "platform/win32/errors_win32.hpp"
#include "platform/win32/optional_api.hpp"

namespace vodivuri::platform::win32 {

CoInitializeExFunction lookUpCoInitializeEx() {
  return optionalFunction<CoInitializeExFunction>("ole32.dll", "CoInitializeEx");
}

long initializeCom(CoInitializeExFunction coInitializeEx) {
  if (coInitializeEx == nullptr) {
    // Looked up too: the program imports from ole32 only what 95 has for sure.
    using Plain = long(__stdcall*)(void*);
    const auto coInitialize = optionalFunction<Plain>("ole32.dll", "CoInitialize");
    return coInitialize != nullptr ? coInitialize(nullptr) : E_NOTIMPL;
  }
  return coInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
}

void Win32Shell::openAddress(const std::string& address) {
  // Some shell handlers are COM objects; balanced here unless the thread
  // already runs another apartment model.
  const HRESULT com = initializeCom(lookUpCoInitializeEx());
  ::SetLastError(ERROR_SUCCESS);
  const Execute execute = execute_ != nullptr ? execute_ : ::ShellExecuteA;
  const HINSTANCE result = execute(owner_ ? owner_() : nullptr, "open", utf8ToAnsi(address).c_str(),
                                   "", "", SW_SHOWNORMAL);
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
