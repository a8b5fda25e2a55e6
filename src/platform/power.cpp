#include "platform/power.hpp"

namespace vodivuri::platform {

std::string describeExitRequest(std::uint32_t flags) {
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

}  // namespace vodivuri::platform
