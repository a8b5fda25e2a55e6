#include <gtest/gtest.h>

#include "platform/linux/logind/power_simulated.hpp"

namespace vodivuri::testing {
namespace {

using platform::linux_os::SimulatedPower;

TEST(SimulatedPowerTest, EachRequestIsLoggedInSpanishAndAccepted) {
  const std::vector<std::pair<std::uint32_t, std::string>> cases{
      {8, "apagar el equipo (indicadores 8)"},
      {12, "apagar el equipo, forzado (indicadores 12)"},
      {1, "cerrar el sistema (indicadores 1)"},
      {5, "cerrar el sistema, forzado (indicadores 5)"},
      {2, "reiniciar el equipo (indicadores 2)"},
      {6, "reiniciar el equipo, forzado (indicadores 6)"},
      {0, "cerrar la sesión (indicadores 0)"},
      {4, "cerrar la sesión, forzado (indicadores 4)"},
      {3, "petición desconocida (indicadores 3)"},
  };
  SimulatedPower power;
  for (const auto& [flags, text] : cases) {
    ::testing::internal::CaptureStderr();
    EXPECT_TRUE(power.requestExit(flags));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "vodivuri: simulación: " + text + "\n");
  }
}

TEST(SimulatedPowerTest, RepeatsAndThePrivilegeStepAreLoggedToo) {
  SimulatedPower power;
  ::testing::internal::CaptureStderr();
  power.enableShutdownPrivilege();
  power.requestExit(12);
  power.requestExit(12);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "vodivuri: simulación: habilitar el permiso de apagado\n"
            "vodivuri: simulación: apagar el equipo, forzado (indicadores 12)\n"
            "vodivuri: simulación: apagar el equipo, forzado (indicadores 12)\n");
}

}  // namespace
}  // namespace vodivuri::testing
