// Where the running program is (/proc/self/exe) and the one-copy lock: a
// locked file in the settings folder, so that two copies never share the
// settings, or an abstract unix socket named after the user id where that
// folder cannot be used.
#pragma once

#include <string>

#include "platform/linux/files_linux.hpp"
#include "platform/services.hpp"

namespace vodivuri::platform::linux_os {

enum class InstanceClaim {
  Held,         // this process runs alone and holds the lock
  AnotherRuns,  // another copy of this user holds it
  Failed,       // cannot tell (reported on standard error)
};

class LinuxInstance : public Instance {
 public:
  // The lock of the settings this copy uses.
  LinuxInstance();
  // A lock of another name and folder, for tests; no folder: the socket only.
  explicit LinuxInstance(std::string lockName, std::string lockFolder = {});

  std::string executablePath() override;
  std::string programFolder() override;
  // Held until this object goes; claiming again while held succeeds.
  InstanceClaim claim();
  // True only when held: a lock that cannot be checked keeps the program from
  // running, so that two copies never share the settings file.
  bool claimSingleInstance() override { return claim() == InstanceClaim::Held; }

  static std::string defaultLockName();
  // The settings file's folder, made if missing, when it is this user's and
  // no one else can write in it; empty otherwise.
  static std::string settingsLockFolder();
  const std::string& lockName() const { return lockName_; }
  const std::string& lockFolder() const { return lockFolder_; }

 private:
  InstanceClaim claimFile();
  InstanceClaim claimSocket();
  InstanceClaim whoHolds();
  std::string lockName_;
  std::string lockFolder_;
  UniqueFd lock_;
};

}  // namespace vodivuri::platform::linux_os
