// The run-at-start-up entry mirrored as an XDG autostart file,
// $XDG_CONFIG_HOME/autostart/vodivuri.desktop.
#pragma once

#include <string>

#include "platform/services.hpp"

namespace vodivuri::platform::linux_os {

class DesktopAutostart : public Autostart {
 public:
  DesktopAutostart();
  explicit DesktopAutostart(std::string path);

  // Writes the entry for the run entry's text (a quoted executable path, maybe
  // followed by arguments); an empty text writes the entry with Hidden=true.
  void mirror(const std::string& command) override;

  static std::string defaultPath();
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  std::string lastExec_;  // Exec value of the last entry written
  std::string lastTryExec_;
  bool failureReported_ = false;
};

// The Exec value for a run entry's text, quoted by the Desktop Entry rules.
std::string desktopExecFor(const std::string& command);
// The TryExec value for a run entry's text: the program's path, escaped.
std::string desktopTryExecFor(const std::string& command);
// The whole file; `exec` and `tryExec` as the two functions above give them
// (an empty `tryExec` leaves the line out).
std::string desktopEntry(const std::string& exec, const std::string& tryExec, bool hidden);

}  // namespace vodivuri::platform::linux_os
