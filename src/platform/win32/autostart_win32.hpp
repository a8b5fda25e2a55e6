// The run-at-start-up entry on Windows. The value in the user's Run key is the
// entry itself and the settings store writes it; what is left here is an entry
// that an earlier install put in the machine-wide Run key.
#pragma once

#include "platform/services.hpp"

namespace vodivuri::platform::win32 {

class Win32Autostart : public Autostart {
 public:
  // An empty command empties the value "Vodivuri" under HKEY_LOCAL_MACHINE's
  // Run key (both registry views of a 64-bit system) wherever it exists with
  // text and may be written; it never creates one. A command does nothing here.
  void mirror(const std::string& command) override;
};

}  // namespace vodivuri::platform::win32
