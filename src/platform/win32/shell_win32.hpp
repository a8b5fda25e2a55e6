// Opens a web address in the user's browser through ShellExecuteA.
#pragma once

#include <functional>

#include "platform/services.hpp"

struct HWND__;
struct HINSTANCE__;

namespace vodivuri::platform::win32 {

// ole32's CoInitializeEx (absent from Windows 95 without DCOM).
using CoInitializeExFunction = long(__stdcall*)(void* reserved, unsigned long model);
CoInitializeExFunction lookUpCoInitializeEx();
// COM for this thread in a single-threaded apartment, as the shell wants it:
// CoInitializeEx without OLE 1 DDE, or CoInitialize where `coInitializeEx` is
// null. Its result, to balance with CoUninitialize when it succeeded.
long initializeCom(CoInitializeExFunction coInitializeEx);

class Win32Shell : public Shell {
 public:
  // A function like ShellExecuteA.
  using Execute = HINSTANCE__*(__stdcall*)(HWND__* owner, const char* operation, const char* file,
                                           const char* parameters, const char* directory, int show);
  // `execute` null: ShellExecuteA.
  explicit Win32Shell(Execute execute = nullptr) : execute_(execute) {}
  // The window any message of the shell is owned by, asked at each opening
  // (the window may come and go); none by default.
  void setOwner(std::function<HWND__*()> owner) { owner_ = std::move(owner); }

  // ShellExecuteA(owner, "open", address, "", "", SW_SHOWNORMAL); a failure is
  // reported once on standard error.
  void openAddress(const std::string& address) override;

 private:
  Execute execute_;
  std::function<HWND__*()> owner_;
};

}  // namespace vodivuri::platform::win32
