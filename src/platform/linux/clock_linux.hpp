// The local date and time from the system clock.
#pragma once

#include "platform/services.hpp"

namespace vodivuri::platform::linux_os {

class SystemClock : public Clock {
 public:
  toolkit::DateTime now() override;
};

}  // namespace vodivuri::platform::linux_os
