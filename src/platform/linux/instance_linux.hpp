// Where the running program is (/proc/self/exe) and the one-instance-per-user
// lock (flock on a file in $XDG_RUNTIME_DIR).
#pragma once

#include <string>

#include "platform/linux/files_linux.hpp"
#include "platform/services.hpp"

namespace vodivuri::platform::linux_os {

class LinuxInstance : public Instance {
 public:
  // Locks $XDG_RUNTIME_DIR/vodivuri.lock, or vodivuri.lock in the settings folder.
  LinuxInstance();
  explicit LinuxInstance(std::string lockPath);

  std::string executablePath() override;
  std::string programFolder() override;
  // Holds the lock until this object goes. When the lock file cannot be
  // opened at all the program is let run (and the problem reported).
  bool claimSingleInstance() override;

  static std::string defaultLockPath();
  const std::string& lockPath() const { return lockPath_; }

 private:
  std::string lockPath_;
  UniqueFd lock_;
};

}  // namespace vodivuri::platform::linux_os
