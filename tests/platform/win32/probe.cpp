// A child process for the Win32 back-end tests: each mode runs one back end
// the way the program would, in a process of its own.
//   version           prints "platform major minor" from Win32Version
//   path              prints the executable's path and folder (UTF-8)
//   claim NAME        exit 0 when the instance mutex NAME was claimed, 1 if not
//   ask NAME          a later copy of the holder of NAME asks it to show its
//                     window: exit 0 done, 1 refused, 2 no answer, 3 claimed
//   open ADDRESS      Win32Shell::openAddress
//   exit FLAGS        the privilege step, then ExitWindowsEx(FLAGS); 0 when accepted
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/instance_request.hpp"
#include "platform/win32/instance_win32.hpp"
#include "platform/win32/power_win32.hpp"
#include "platform/win32/shell_win32.hpp"
#include "platform/win32/version_win32.hpp"

using namespace vodivuri::platform::win32;

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "version") {
    const auto record = Win32Version().query();
    if (!record) return 2;
    std::printf("%u %u %u\n", record->platformId, record->major, record->minor);
    return 0;
  }
  if (mode == "path") {
    Win32Instance instance("Local\\VodivuriProbe-path");
    std::printf("%s\n%s\n", instance.executablePath().c_str(), instance.programFolder().c_str());
    return 0;
  }
  if (mode == "claim" && argc > 2) {
    Win32Instance instance(argv[2]);
    return instance.claimSingleInstance() ? 0 : 1;
  }
  if (mode == "ask" && argc > 2) {
    Win32Instance instance(argv[2]);
    if (instance.claimSingleInstance()) return 3;
    const auto answer = instance.ask(vodivuri::platform::kShowRequest);
    return answer == Win32Instance::Answer::Done      ? 0
           : answer == Win32Instance::Answer::Refused ? 1
                                                      : 2;
  }
  if (mode == "open" && argc > 2) {
    Win32Shell().openAddress(argv[2]);
    return 0;
  }
  if (mode == "exit" && argc > 2) {
    Win32Power power;
    power.enableShutdownPrivilege();
    return power.requestExit(static_cast<std::uint32_t>(std::strtoul(argv[2], nullptr, 10))) ? 0
                                                                                             : 1;
  }
  std::fprintf(stderr, "usage: %s version|path|claim NAME|ask NAME|open ADDRESS|exit FLAGS\n",
               argv[0]);
  return 64;
}
