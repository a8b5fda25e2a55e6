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
  bool failureReported_ = false;
};

// The Exec value for a run entry's text, quoted by the Desktop Entry rules.
std::string desktopExecFor(const std::string& command);
// The whole file; `exec` is an Exec value as desktopExecFor gives it.
std::string desktopEntry(const std::string& exec, bool hidden);

}  // namespace vodivuri::platform::linux_os
