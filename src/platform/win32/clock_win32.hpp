// The local date and time from GetLocalTime.
#pragma once

#include "platform/services.hpp"

namespace vodivuri::platform::win32 {

class Win32Clock : public Clock {
 public:
  toolkit::DateTime now() override;
};

}  // namespace vodivuri::platform::win32
