// Where the running program is (/proc/self/exe) and the one-instance-per-user
// lock: a locked file in the user's private runtime folder, or an abstract
// unix socket named after the user id where the user has no such folder.
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
  // The lock of the real user id, the same whatever the environment says.
  LinuxInstance();
  // A lock of another name and folder, for tests; no folder: the socket only.
  explicit LinuxInstance(std::string lockName, std::string runtimeFolder = {});

  std::string executablePath() override;
  std::string programFolder() override;
  // Held until this object goes; claiming again while held succeeds.
  InstanceClaim claim();
  // True only when held: a lock that cannot be checked keeps the program from
  // running, so that two copies never share the settings file.
  bool claimSingleInstance() override { return claim() == InstanceClaim::Held; }

  static std::string defaultLockName();
  // /run/user/<uid> when it is this user's and no one else can write in it;
  // empty otherwise.
  static std::string privateRuntimeFolder();
  const std::string& lockName() const { return lockName_; }
  const std::string& runtimeFolder() const { return runtimeFolder_; }

 private:
  InstanceClaim claimFile();
  InstanceClaim claimSocket();
  InstanceClaim whoHolds();
  std::string lockName_;
  std::string runtimeFolder_;
  UniqueFd lock_;
};

}  // namespace vodivuri::platform::linux_os
