#include "app/win32/options.hpp"

#include <cctype>

namespace vodivuri::app::win32 {

Options parseOptions(const std::vector<std::string>& args) {
  Options o;
  std::vector<std::string> rest;
  engine::ParsedRequest parsed = engine::parseScheduleRequest(args, rest);
  if (!parsed.error.empty()) {
    o.error = parsed.error + ".";
    o.error[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(o.error[0])));
    return o;
  }
  o.request = parsed.request;
  for (const std::string& arg : rest) {
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
  return "Uso: Vodivuri.exe [OPCIÓN]...\n"
         "\n"
         "Apaga el equipo, lo reinicia o cierra la sesión a la hora programada. Vive como un "
         "icono en el área de notificación; su menú se abre con el botón derecho. Con el "
         "programa ya en marcha, las órdenes las cumple la copia que está en marcha; sin "
         "órdenes, esa copia muestra su ventana.\n"
         "\n"
         "--apagar HH:MM, --reiniciar HH:MM o --cerrar-sesion HH:MM: programa la acción a esa "
         "hora; con --fecha DD/MM/AAAA ese día solamente, con --siempre todos los días, sin "
         "ninguna de las dos la próxima vez que el reloj marque esa hora. --en MINUTOS en lugar "
         "de HH:MM: dentro de tantos minutos, una vez. --forzar: cierra los programas aunque "
         "tengan cambios sin guardar.\n"
         "--cancelar: desarma la programación.\n"
         "--estado: muestra lo programado (estado de salida 0) o que no hay nada (1).\n"
         "Una orden rechazada termina con el estado 2.\n"
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
