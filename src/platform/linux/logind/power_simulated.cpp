#include "platform/linux/logind/power_simulated.hpp"

#include "platform/linux/files_linux.hpp"

namespace vodivuri::platform::linux_os {

std::string describeExitFlags(std::uint32_t flags) {
  std::string what;
  switch (flags & ~kExitForce) {
    case kExitLogOff:
      what = "cerrar la sesión";
      break;
    case kExitShutdown:
      what = "cerrar el sistema";
      break;
    case kExitReboot:
      what = "reiniciar el equipo";
      break;
    case kExitPowerOff:
      what = "apagar el equipo";
      break;
    default:
      return "petición desconocida";
  }
  if (flags & kExitForce) what += ", forzado";
  return what;
}

void SimulatedPower::enableShutdownPrivilege() {
  reportError("simulación: habilitar el permiso de apagado");
}

bool SimulatedPower::requestExit(std::uint32_t flags) {
  reportError("simulación: " + describeExitFlags(flags) + " (indicadores " + std::to_string(flags) +
              ")");
  return true;
}

}  // namespace vodivuri::platform::linux_os
