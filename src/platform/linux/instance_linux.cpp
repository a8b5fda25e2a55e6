#include "platform/linux/instance_linux.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace vodivuri::platform::linux_os {

namespace {

constexpr std::string_view kDeleted = " (deleted)";

}  // namespace

LinuxInstance::LinuxInstance() : LinuxInstance(defaultLockPath()) {}

LinuxInstance::LinuxInstance(std::string lockPath) : lockPath_(std::move(lockPath)) {}

std::string LinuxInstance::defaultLockPath() {
  const std::string runtime = runtimeDir();
  if (!runtime.empty()) return runtime + "/vodivuri.lock";
  const std::string config = configHome();
  return config.empty() ? std::string() : config + "/vodivuri/vodivuri.lock";
}

std::string LinuxInstance::executablePath() {
  std::vector<char> buffer(256);
  for (;;) {
    const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n < 0) {
      reportError(withErrno("cannot read /proc/self/exe", errno));
      return {};
    }
    if (static_cast<std::size_t>(n) < buffer.size()) {
      std::string path(buffer.data(), static_cast<std::size_t>(n));
      // An executable replaced while running (an upgrade): name the new one.
      struct stat st {};
      if (path.ends_with(kDeleted) && ::stat(path.c_str(), &st) != 0) {
        path.erase(path.size() - kDeleted.size());
      }
      return path;
    }
    buffer.resize(buffer.size() * 2);
  }
}

std::string LinuxInstance::programFolder() {
  const std::string path = executablePath();
  return path.empty() ? std::string() : folderOf(path);
}

bool LinuxInstance::claimSingleInstance() {
  if (lock_.valid()) return true;
  if (lockPath_.empty()) {
    reportError("no folder for the instance lock is known; not checking for another instance");
    return true;
  }
  if (std::string error = makeFolders(folderOf(lockPath_)); !error.empty()) {
    reportError(error + "; not checking for another instance");
    return true;
  }
  // Close-on-exec, so a browser started from here cannot inherit the lock.
  UniqueFd fd(::open(lockPath_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY, 0600));
  if (!fd.valid()) {
    reportError(withErrno("cannot open " + lockPath_, errno) +
                "; not checking for another instance");
    return true;
  }
  int status;
  do {
    status = ::flock(fd.get(), LOCK_EX | LOCK_NB);
  } while (status != 0 && errno == EINTR);
  if (status != 0) {
    if (errno == EWOULDBLOCK) return false;
    reportError(withErrno("cannot lock " + lockPath_, errno) +
                "; not checking for another instance");
    return true;
  }
  lock_ = std::move(fd);
  return true;
}

}  // namespace vodivuri::platform::linux_os
