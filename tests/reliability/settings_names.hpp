// The settings the kill-during-save test writes, in the order it writes them.
#pragma once

namespace vodivuri::testing {

inline constexpr const char* kSettingNames[] = {"CreateValue",
                                                "ApagarSistema",
                                                "ReiniciarSistema",
                                                "ReiniciarSesion",
                                                "FechaProgramada",
                                                "Siempre",
                                                "Hora",
                                                "Minutos",
                                                "Inicio",
                                                "Forzar",
                                                "Left",
                                                "Top"};

}  // namespace vodivuri::testing
