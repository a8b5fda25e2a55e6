#include "platform/linux/instance_linux.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstring>
#include <thread>
#include <vector>

#include "platform/linux/registry_file.hpp"

namespace vodivuri::platform::linux_os {

// The lock is a file locked with flock in the settings folder: every copy
// that would use the same settings finds it whatever else its environment
// says, only this user can make files there (the folder is private), so no
// one else can take it first, and it goes with the process however it ends.
// Where that folder cannot be used (no home, or a folder of another user's),
// an abstract socket named after the user id, which lives in the kernel (one
// per network namespace) and which any local user could bind first.

namespace {

constexpr std::string_view kDeleted = " (deleted)";

struct LockAddress {
  sockaddr_un address{};
  socklen_t length = 0;
};

// The name in the abstract namespace: a NUL, then the name (no terminator).
bool lockAddress(const std::string& name, LockAddress& out) {
  if (name.empty() || name.size() + 1 > sizeof out.address.sun_path) return false;
  out.address.sun_family = AF_UNIX;
  out.address.sun_path[0] = '\0';
  std::memcpy(out.address.sun_path + 1, name.data(), name.size());
  out.length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
  return true;
}

}  // namespace

LinuxInstance::LinuxInstance() : LinuxInstance(defaultLockName(), settingsLockFolder()) {}

LinuxInstance::LinuxInstance(std::string lockName, std::string lockFolder)
    : lockName_(std::move(lockName)), lockFolder_(std::move(lockFolder)) {}

std::string LinuxInstance::settingsLockFolder() {
  const std::string file = FileRegistry::defaultPath();
  if (file.empty()) return {};
  const std::string folder = folderOf(file);
  if (!makeFolders(folder).empty()) return {};
  struct stat st {};
  if (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid()) {
    return {};
  }
  // Private, as the start-up makes it anyway: no one else may put a file here.
  if ((st.st_mode & 077) != 0 && ::chmod(folder.c_str(), st.st_mode & 0700) != 0) return {};
  return folder;
}

std::string LinuxInstance::defaultLockName() {
  return "vodivuri/instance/uid=" + std::to_string(::getuid());
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

InstanceClaim LinuxInstance::claim() {
  if (lock_.valid()) return InstanceClaim::Held;
  return lockFolder_.empty() ? claimSocket() : claimFile();
}

InstanceClaim LinuxInstance::claimFile() {
  const std::string path = lockFolder_ + "/instance.lock";
  UniqueFd fd(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY, 0600));
  if (!fd.valid()) {
    reportError(withErrno("cannot open the instance lock " + path, errno));
    return InstanceClaim::Failed;
  }
  int r;
  do {
    r = ::flock(fd.get(), LOCK_EX | LOCK_NB);
  } while (r != 0 && errno == EINTR);
  if (r == 0) {
    lock_ = std::move(fd);
    return InstanceClaim::Held;
  }
  if (errno == EWOULDBLOCK) return InstanceClaim::AnotherRuns;
  reportError(withErrno("cannot claim the instance lock " + path, errno));
  return InstanceClaim::Failed;
}

InstanceClaim LinuxInstance::claimSocket() {
  LockAddress at;
  if (!lockAddress(lockName_, at)) {
    reportError("the instance lock name \"" + lockName_ + "\" cannot be used");
    return InstanceClaim::Failed;
  }
  // A holder that has just ended frees the name at once; a few tries cover
  // a copy that ends between our bind and our look at it.
  for (int attempt = 0; attempt < 3; ++attempt) {
    // Close-on-exec, so a browser started from here cannot inherit the lock.
    UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!fd.valid()) {
      reportError(withErrno("cannot make the instance lock", errno));
      return InstanceClaim::Failed;
    }
    if (::bind(fd.get(), reinterpret_cast<const sockaddr*>(&at.address), at.length) == 0) {
      // Listening lets a later copy ask who holds the name. Connections are
      // never accepted; they wait in the queue until the holder ends.
      if (::listen(fd.get(), SOMAXCONN) != 0) {
        reportError(withErrno("cannot listen on the instance lock", errno));
      }
      lock_ = std::move(fd);
      return InstanceClaim::Held;
    }
    if (errno != EADDRINUSE) {
      reportError(withErrno("cannot claim the instance lock", errno));
      return InstanceClaim::Failed;
    }
    const InstanceClaim holder = whoHolds();
    if (holder != InstanceClaim::Held) return holder;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  reportError("the instance lock is taken by something that is not a copy of this program");
  return InstanceClaim::Failed;
}

// Held means "nobody answered; try to take it again".
InstanceClaim LinuxInstance::whoHolds() {
  LockAddress at;
  lockAddress(lockName_, at);
  UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  if (!fd.valid()) {
    reportError(withErrno("cannot look at the instance lock", errno));
    return InstanceClaim::Failed;
  }
  int r;
  do {
    r = ::connect(fd.get(), reinterpret_cast<const sockaddr*>(&at.address), at.length);
  } while (r != 0 && errno == EINTR);
  if (r != 0) {
    // The queue is full only after thousands of copies knocked: our own.
    if (errno == EAGAIN) return InstanceClaim::AnotherRuns;
    if (errno == ECONNREFUSED || errno == ENOENT) return InstanceClaim::Held;
    reportError(withErrno("cannot look at the instance lock", errno));
    return InstanceClaim::Failed;
  }
  ucred peer{};
  socklen_t size = sizeof peer;
  if (::getsockopt(fd.get(), SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0) {
    reportError(withErrno("cannot tell who holds the instance lock", errno));
    return InstanceClaim::Failed;
  }
  if (peer.uid == ::getuid()) return InstanceClaim::AnotherRuns;
  reportError("the instance lock of this user is taken by process " + std::to_string(peer.pid) +
              " of user id " + std::to_string(peer.uid));
  return InstanceClaim::Failed;
}

}  // namespace vodivuri::platform::linux_os
