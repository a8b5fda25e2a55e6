// The vodivuri program on Linux: the Qt host, the Linux back ends and the
// program wired over them.
#include <QApplication>
#include <QLocale>
#include <QSocketNotifier>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/program.hpp"
#include "engine/schedule_request.hpp"
#include "frontend/qt/locale_names.hpp"
#include "frontend/qt/qt_host.hpp"
#include "platform/instance_request.hpp"
#include "platform/linux/autostart_linux.hpp"
#include "platform/linux/clock_linux.hpp"
#include "platform/linux/instance_linux.hpp"
#include "platform/linux/logind/power_logind.hpp"
#include "platform/linux/logind/power_simulated.hpp"
#include "platform/linux/registry_file.hpp"
#include "platform/linux/shell_linux.hpp"
#include "platform/linux/version_linux.hpp"
#include "platform/power.hpp"

namespace {

using namespace vodivuri;

constexpr const char* kUsage =
    "Uso: vodivuri [OPCIÓN]...\n"
    "Apaga el equipo, lo reinicia o cierra la sesión a la hora programada.\n"
    "Vive como un icono en el área de notificación; su menú se abre con el botón derecho.\n"
    "Con el programa ya en marcha, las órdenes las cumple la copia que está en marcha;\n"
    "sin órdenes, esa copia muestra su ventana.\n"
    "\n";
constexpr const char* kOtherOptions =
    "  --simulate            anota en la salida de errores las peticiones de apagado,\n"
    "                        reinicio o cierre de sesión en lugar de llevarlas a cabo\n"
    "  --help                muestra esta ayuda y termina\n"
    "  --version             muestra la versión y termina\n"
    "\n"
    "Estado de salida: 0 hecho, 1 nada programado (--estado), 2 orden rechazada.\n";

// The one place that picks the power back end.
std::unique_ptr<platform::Power> makePower(bool simulate, platform::Clock& clock) {
  if (simulate) return std::make_unique<platform::linux_os::SimulatedPower>();
  return std::make_unique<platform::linux_os::LogindPower>(clock);
}

struct Options {
  bool simulate = false;
  bool help = false;
  bool version = false;
  std::optional<engine::ScheduleRequest> request;
  std::string error;
};

Options parse(int argc, char** argv) {
  Options o;
  std::vector<std::string> rest;
  engine::ParsedRequest parsed =
      engine::parseScheduleRequest(std::vector<std::string>(argv + 1, argv + argc), rest);
  if (!parsed.error.empty()) {
    o.error = parsed.error;
    return o;
  }
  o.request = parsed.request;
  for (const std::string& arg : rest) {
    if (arg == "--simulate") {
      o.simulate = true;
    } else if (arg == "--help") {
      o.help = true;
    } else if (arg == "--version") {
      o.version = true;
    } else {
      o.error = arg.starts_with("-") ? "opción desconocida «" + arg + "»"
                                     : "argumento no esperado «" + arg + "»";
      return o;
    }
  }
  return o;
}

// A command's answer as the command line gives it: the text on standard
// output, a refusal on standard error; the exit status.
int report(const platform::OrderAnswer& answer) {
  if (answer.status == 2) {
    std::fprintf(stderr, "vodivuri: %s\n", answer.text.c_str());
  } else {
    std::puts(answer.text.c_str());
  }
  // Seen at once even when the program goes on running.
  std::fflush(stdout);
  return answer.status;
}

// A command for the copy that runs, carried out by it.
int askRunningCopy(platform::linux_os::LinuxInstance& instance,
                   const engine::ScheduleRequest& request) {
  const std::optional<std::string> line =
      instance.hasChannel() ? instance.ask(platform::orderRequest(engine::requestWords(request)))
                            : std::nullopt;
  const std::optional<platform::OrderAnswer> answer =
      line ? platform::orderAnswer(*line) : std::nullopt;
  if (!answer) {
    std::fprintf(stderr,
                 "vodivuri: la copia en marcha no ha contestado%s%s; no se ha cambiado nada\n",
                 line ? ": " : "", line ? line->c_str() : "");
    return 2;
  }
  return report(*answer);
}

// A copy started while another runs: it asks that one to show its window, so
// a launcher reaches the program, and ends without touching the settings.
int showRunningCopy(platform::linux_os::LinuxInstance& instance) {
  if (!instance.hasChannel()) {
    std::fputs(
        "vodivuri: another copy is running for this user; without a settings folder it cannot "
        "be asked to show its window\n",
        stderr);
    return 0;
  }
  const std::optional<std::string> answer = instance.ask(platform::kShowRequest);
  if (!answer) {
    std::fputs("vodivuri: another copy is running for this user but did not answer; not starting\n",
               stderr);
  } else if (*answer != platform::kRequestDone) {
    std::fprintf(stderr, "vodivuri: the running copy answered: %s\n", answer->c_str());
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const Options options = parse(argc, argv);
  if (!options.error.empty()) {
    std::fprintf(stderr, "vodivuri: %s (vodivuri --help lista las opciones)\n",
                 options.error.c_str());
    return 2;
  }
  if (options.help) {
    std::fputs(kUsage, stdout);
    std::fputs(engine::kScheduleUsage, stdout);
    std::fputs(kOtherOptions, stdout);
    return 0;
  }
  if (options.version) {
    std::puts("Vodivuri 1.0");
    return 0;
  }

  // Before anything reads or writes the settings: a second copy must leave
  // them exactly as the first one has them.
  platform::linux_os::LinuxInstance instance;
  switch (instance.claim()) {
    case platform::linux_os::InstanceClaim::Held:
      break;
    case platform::linux_os::InstanceClaim::AnotherRuns:
      return options.request ? askRunningCopy(instance, *options.request)
                             : showRunningCopy(instance);
    case platform::linux_os::InstanceClaim::Failed:
      std::fputs(
          "vodivuri: cannot tell whether another copy is running for this user; not starting, "
          "so that two copies never share the settings\n",
          stderr);
      return 1;
  }

  // Asked with no copy running: the stored settings say it, and nothing starts.
  if (options.request && options.request->kind == engine::ScheduleRequest::Kind::Status) {
    platform::linux_os::FileRegistry registry;
    engine::ProgramState state;
    engine::SettingsStore store(registry, state);
    const std::string summary = engine::describeSchedule(engine::storedSchedule(store));
    return report({summary.empty() ? 1 : 0, summary.empty() ? "No hay nada programado" : summary});
  }

  // Qt's own options are not offered: the program takes only its own.
  int qtArgc = 1;
  QApplication application(qtArgc, argv);
  QApplication::setApplicationName("vodivuri");
  QApplication::setApplicationVersion("1.0");
  qt::useLocaleDateNames(QLocale::system());

  qt::QtHost host(qt::AssetStore::defaultFolder(), true);
  platform::linux_os::FileRegistry registry;
  platform::linux_os::EnvVersion version;
  platform::linux_os::SystemClock clock;
  const std::unique_ptr<platform::Power> power = makePower(options.simulate, clock);
  platform::linux_os::DesktopAutostart autostart;
  platform::linux_os::LinuxShell shell;

  app::Program program({host, registry, version, *power, clock, instance, autostart, shell});
  // Later copies' requests, served by the event loop like any other input.
  std::unique_ptr<QSocketNotifier> channel;
  if (instance.channelFd() >= 0) {
    channel = std::make_unique<QSocketNotifier>(instance.channelFd(), QSocketNotifier::Read);
    QObject::connect(channel.get(), &QSocketNotifier::activated,
                     [&instance] { instance.serviceChannel(); });
  }
  program.start();
  // Given at the start: carried out once the settings are restored, as a
  // running copy would.
  if (options.request) {
    const int status = report(program.carryOut(engine::requestWords(*options.request)));
    if (status == 2) return status;
  }
  return host.exec();
}
