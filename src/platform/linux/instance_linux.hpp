// Where the running program is (/proc/self/exe) and the one-instance-per-user
// lock: an abstract unix socket named after the user id.
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
  // A lock of another name, for tests.
  explicit LinuxInstance(std::string lockName);

  std::string executablePath() override;
  std::string programFolder() override;
  // Held until this object goes; claiming again while held succeeds.
  InstanceClaim claim();
  // True only when held: a lock that cannot be checked keeps the program from
  // running, so that two copies never share the settings file.
  bool claimSingleInstance() override { return claim() == InstanceClaim::Held; }

  static std::string defaultLockName();
  const std::string& lockName() const { return lockName_; }

 private:
  InstanceClaim whoHolds();
  std::string lockName_;
  UniqueFd lock_;
};

}  // namespace vodivuri::platform::linux_os
