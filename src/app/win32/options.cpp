#include "app/win32/options.hpp"

namespace vodivuri::app::win32 {

Options parseOptions(const std::vector<std::string>& args) {
  Options o;
  for (const std::string& arg : args) {
    if (arg == "--simulate") {
      o.simulate = true;
    } else if (arg == "--help" || arg == "/?") {
      o.help = true;
    } else if (arg == "--version") {
      o.version = true;
    } else {
      o.error = arg.starts_with("-") || arg.starts_with("/")
                    ? "Opción desconocida «" + arg + "»."
                    : "Argumento no esperado «" + arg + "».";
      return o;
    }
  }
  return o;
}

// Shown in a message box, whose font is proportional: paragraphs, no columns.
std::string usageText(const std::string& simulateLog) {
  return "Uso: Vodivuri.exe [OPCIÓN]\n"
         "\n"
         "Apaga el equipo, lo reinicia o cierra la sesión a la hora programada. Vive como un "
         "icono en el área de notificación; su menú se abre con el botón derecho.\n"
         "\n"
         "--simulate: anota las peticiones de apagado, reinicio o cierre de sesión en lugar de "
         "llevarlas a cabo, en el archivo\n" +
         simulateLog +
         "\n"
         "--help: muestra esta ayuda y termina.\n"
         "--version: muestra la versión y termina.";
}

std::string errorText(const Options& options) {
  return options.error + "\nPruebe «Vodivuri.exe --help» para ver las opciones.";
}

std::string simulateLogPath(const std::string& localAppData, const std::string& appData,
                            const std::string& programFolder) {
  const std::string& base = !localAppData.empty() ? localAppData : appData;
  if (!base.empty()) return base + "\\Vodivuri\\simulate.log";
  return programFolder + "\\simulate.log";
}

}  // namespace vodivuri::app::win32
