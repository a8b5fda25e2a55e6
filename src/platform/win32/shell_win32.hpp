// Opens a web address in the user's browser through ShellExecuteA.
#pragma once

#include "platform/services.hpp"

struct HWND__;

namespace vodivuri::platform::win32 {

class Win32Shell : public Shell {
 public:
  explicit Win32Shell(HWND__* owner = nullptr) : owner_(owner) {}
  // The window any message of the shell is owned by.
  void setOwner(HWND__* owner) { owner_ = owner; }

  // ShellExecuteA(owner, "open", address, "", "", SW_SHOWNORMAL); a failure is
  // reported once on standard error.
  void openAddress(const std::string& address) override;

 private:
  HWND__* owner_;
};

}  // namespace vodivuri::platform::win32
