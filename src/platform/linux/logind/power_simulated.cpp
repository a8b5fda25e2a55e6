#include "platform/linux/logind/power_simulated.hpp"

#include "platform/linux/files_linux.hpp"

namespace vodivuri::platform::linux_os {

void SimulatedPower::enableShutdownPrivilege() {
  reportError("simulación: habilitar el permiso de apagado");
}

bool SimulatedPower::requestExit(std::uint32_t flags) {
  reportError("simulación: " + platform::describeExitRequest(flags) + " (indicadores " +
              std::to_string(flags) + ")");
  return true;
}

}  // namespace vodivuri::platform::linux_os
