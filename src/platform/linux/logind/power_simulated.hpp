// The power of --simulate: every request is logged instead of performed.
#pragma once

#include <cstdint>
#include <string>

#include "platform/power.hpp"

namespace vodivuri::platform::linux_os {

class SimulatedPower : public Power {
 public:
  void enableShutdownPrivilege() override;
  // Logs the request and answers that it was accepted.
  bool requestExit(std::uint32_t flags) override;
};

}  // namespace vodivuri::platform::linux_os
