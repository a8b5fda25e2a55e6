// Vodivuri.exe: the Win32 host, the Windows back ends and the program wired
// over them.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/program.hpp"
#include "app/win32/locale_names_win32.hpp"
#include "app/win32/options.hpp"
#include "app/win32/shell_owner.hpp"
#include "frontend/win32/win32_host.hpp"
#include "platform/instance_request.hpp"
#include "platform/power.hpp"
#include "platform/win32/autostart_win32.hpp"
#include "platform/win32/clock_win32.hpp"
#include "platform/win32/codepage.hpp"
#include "platform/win32/instance_win32.hpp"
#include "platform/win32/power_logfile.hpp"
#include "platform/win32/power_win32.hpp"
#include "platform/win32/registry_win32.hpp"
#include "platform/win32/shell_win32.hpp"
#include "platform/win32/version_win32.hpp"

namespace {

using namespace vodivuri;
using platform::win32::ansiToUtf8;
using platform::win32::utf8ToAnsi;

// The arguments after the program's name, in UTF-8.
std::vector<std::string> arguments() {
  std::vector<std::string> args;
  for (int i = 1; i < __argc; ++i) args.push_back(ansiToUtf8(__argv[i]));
  return args;
}

std::string environment(const char* name) {
  char buffer[MAX_PATH] = {};
  const DWORD n = GetEnvironmentVariableA(name, buffer, sizeof buffer);
  return n > 0 && n < sizeof buffer ? ansiToUtf8(buffer) : std::string();
}

std::string simulateLog(platform::Instance& instance) {
  return app::win32::simulateLogPath(environment("LOCALAPPDATA"), environment("APPDATA"),
                                     instance.programFolder());
}

// The log's folder may not exist yet; a failure shows when the first request
// cannot be written.
void createParentFolder(const std::string& file) {
  const std::string ansi = utf8ToAnsi(file);
  const auto slash = ansi.find_last_of('\\');
  if (slash == std::string::npos) return;
  const std::string folder = ansi.substr(0, slash);
  const auto parent = folder.find_last_of('\\');
  if (parent != std::string::npos) CreateDirectoryA(folder.substr(0, parent).c_str(), nullptr);
  CreateDirectoryA(folder.c_str(), nullptr);
}

void notice(const std::string& text, UINT icon) {
  MessageBoxA(nullptr, utf8ToAnsi(text).c_str(), "Vodivuri", MB_OK | icon);
}

// The one place that picks the power back end.
std::unique_ptr<platform::Power> makePower(bool simulate, const std::string& log,
                                           platform::Clock& clock) {
  if (!simulate) return std::make_unique<platform::win32::Win32Power>();
  createParentFolder(log);
  std::fprintf(stderr, "Vodivuri: --simulate anota las peticiones en %s\n",
               utf8ToAnsi(log).c_str());
  return std::make_unique<platform::win32::LogFilePower>(log, clock);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instanceHandle, HINSTANCE, LPSTR, int) {
  // Nothing here reads the settings before the single instance is claimed;
  // the start-up's own claim then finds it held.
  platform::win32::Win32Instance instance;
  const app::win32::Options options = app::win32::parseOptions(arguments());
  if (!options.error.empty()) {
    notice(app::win32::errorText(options), MB_ICONERROR);
    return app::win32::kBadUsageStatus;
  }
  if (options.help) {
    notice(app::win32::usageText(simulateLog(instance)), MB_ICONINFORMATION);
    return 0;
  }
  if (options.version) {
    notice(app::win32::kVersionText, MB_ICONINFORMATION);
    return 0;
  }

  app::win32::useLocaleDateNames();
  win32::Win32Host host(instanceHandle);
  // A copy started while another runs asks that one to show its window, so a
  // launcher reaches the program, and ends before anything reads the settings.
  if (!instance.claimSingleInstance()) {
    if (instance.ask(platform::kShowRequest) == platform::win32::Win32Instance::Answer::NoAnswer) {
      std::fputs("Vodivuri: another copy is running for this user but did not answer\n", stderr);
    }
    return 0;
  }
  platform::win32::Win32Registry registry;
  platform::win32::Win32Version version;
  platform::win32::Win32Clock clock;
  const std::unique_ptr<platform::Power> power =
      makePower(options.simulate, options.simulate ? simulateLog(instance) : std::string(), clock);
  platform::win32::Win32Autostart autostart;
  platform::win32::Win32Shell shell;

  app::Program program({host, registry, version, *power, clock, instance, autostart, shell});
  app::win32::ownShellByAbout(shell, host, program);
  program.start();
  return host.run();
}
