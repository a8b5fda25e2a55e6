#include "platform/linux/instance_linux.hpp"

#include <fcntl.h>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/timerfd.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <thread>
#include <vector>

#include "platform/instance_request.hpp"
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

using std::chrono::steady_clock;

// Long enough for a request written in one go; a client silent for longer is
// dropped, and the asking copy has given up by then anyway.
constexpr auto kClientPatience = std::chrono::seconds(2);
// Connections waiting for their request at once; a newer one displaces the
// oldest, so silent clients cannot pile up.
constexpr std::size_t kMaxClients = 8;

// The channel's address: a path in the settings folder.
bool channelAddress(const std::string& path, sockaddr_un& out) {
  if (path.size() + 1 > sizeof out.sun_path) return false;
  out = {};
  out.sun_family = AF_UNIX;
  std::memcpy(out.sun_path, path.data(), path.size());
  return true;
}

bool addToPoll(int poll, int fd) {
  epoll_event event{};
  event.events = EPOLLIN;
  event.data.fd = fd;
  return ::epoll_ctl(poll, EPOLL_CTL_ADD, fd, &event) == 0;
}

// Sends a whole answer line, or gives up: the client waits for nothing else.
void sendLine(int fd, const std::string& text) {
  const std::string line = text + "\n";
  ssize_t r;
  do {
    r = ::send(fd, line.data(), line.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
  } while (r < 0 && errno == EINTR);
}

}  // namespace

LinuxInstance::LinuxInstance() : LinuxInstance(defaultLockName(), settingsLockFolder()) {}

LinuxInstance::LinuxInstance(std::string lockName, std::string lockFolder)
    : lockName_(std::move(lockName)), lockFolder_(std::move(lockFolder)) {}

LinuxInstance::~LinuxInstance() {
  closeChannel();
}

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
    openChannel();
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

// ---- the channel: the holder's side ----

// A failure here only costs later copies their way to this one: the program
// runs all the same.
void LinuxInstance::openChannel() {
  const std::string path = channelPath();
  sockaddr_un at{};
  if (!channelAddress(path, at)) {
    reportError("the instance channel " + path +
                " is too long a path for a socket; a later copy cannot reach this one");
    return;
  }
  // Only a copy that has ended leaves a socket here: this one holds the lock.
  if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
    reportError(withErrno("cannot remove the old instance channel " + path, errno));
    return;
  }
  UniqueFd listener(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
  if (!listener.valid()) {
    reportError(withErrno("cannot make the instance channel", errno));
    return;
  }
  if (::bind(listener.get(), reinterpret_cast<const sockaddr*>(&at), sizeof at) != 0) {
    reportError(withErrno("cannot make the instance channel " + path, errno));
    return;
  }
  socketBound_ = true;
  UniqueFd timer(::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC));
  UniqueFd poll(::epoll_create1(EPOLL_CLOEXEC));
  if (::listen(listener.get(), static_cast<int>(kMaxClients)) != 0 || !timer.valid() ||
      !poll.valid() || !addToPoll(poll.get(), listener.get()) ||
      !addToPoll(poll.get(), timer.get())) {
    reportError(withErrno("cannot listen on the instance channel " + path, errno));
    closeChannel();
    return;
  }
  listener_ = std::move(listener);
  timer_ = std::move(timer);
  poll_ = std::move(poll);
}

void LinuxInstance::closeChannel() {
  clients_.clear();
  poll_.reset();
  timer_.reset();
  listener_.reset();
  if (socketBound_) ::unlink(channelPath().c_str());
  socketBound_ = false;
}

void LinuxInstance::acceptWaiting() {
  for (;;) {
    UniqueFd fd(::accept4(listener_.get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
    if (!fd.valid()) {
      if (errno == EINTR || errno == ECONNABORTED) continue;
      if (errno != EAGAIN && errno != EWOULDBLOCK) {
        reportError(withErrno("cannot accept on the instance channel", errno));
      }
      return;
    }
    // The folder is private, but root and the like can still reach it.
    ucred peer{};
    socklen_t size = sizeof peer;
    if (::getsockopt(fd.get(), SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0 ||
        peer.uid != ::getuid()) {
      if (!strangerReported_) {
        strangerReported_ = true;
        reportError("the instance channel refused process " + std::to_string(peer.pid) +
                    " of user id " + std::to_string(peer.uid));
      }
      continue;
    }
    if (clients_.size() >= kMaxClients) clients_.erase(clients_.begin());
    if (!addToPoll(poll_.get(), fd.get())) {
      reportError(withErrno("cannot watch a client of the instance channel", errno));
      continue;
    }
    clients_.push_back({std::move(fd), {}, steady_clock::now() + kClientPatience});
  }
}

LinuxInstance::Reading LinuxInstance::readFrom(Client& client) {
  char buffer[128];
  for (;;) {
    const ssize_t n = ::recv(client.fd.get(), buffer, sizeof buffer, MSG_DONTWAIT);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno == EAGAIN || errno == EWOULDBLOCK ? Reading::Waiting : Reading::Dropped;
    // Ended before its line did: nothing to answer.
    if (n == 0) return Reading::Dropped;
    client.received.append(buffer, static_cast<std::size_t>(n));
    const auto end = client.received.find('\n');
    if (end != std::string::npos && end <= kMaxRequestLength) {
      client.received.resize(end);
      return Reading::Complete;
    }
    if (client.received.size() > kMaxRequestLength) {
      sendLine(client.fd.get(), "error: petición demasiado larga");
      return Reading::Dropped;
    }
  }
}

void LinuxInstance::armTimer() {
  itimerspec when{};
  if (!clients_.empty()) {
    const auto due = std::min_element(clients_.begin(), clients_.end(), [](auto& a, auto& b) {
                       return a.deadline < b.deadline;
                     })->deadline;
    const auto left = std::max(std::chrono::nanoseconds(1), due - steady_clock::now());
    when.it_value.tv_sec = static_cast<time_t>(left.count() / 1000000000);
    when.it_value.tv_nsec = static_cast<long>(left.count() % 1000000000);
  }
  ::timerfd_settime(timer_.get(), 0, &when, nullptr);
}

void LinuxInstance::serviceChannel() {
  if (!poll_.valid()) return;
  std::uint64_t expirations = 0;
  while (::read(timer_.get(), &expirations, sizeof expirations) > 0) {
  }
  acceptWaiting();
  struct Request {
    UniqueFd fd;
    std::string line;
  };
  std::vector<Request> requests;
  const auto now = steady_clock::now();
  for (auto it = clients_.begin(); it != clients_.end();) {
    const Reading reading = readFrom(*it);
    if (reading == Reading::Waiting && now < it->deadline) {
      ++it;
      continue;
    }
    if (reading == Reading::Complete) {
      ::epoll_ctl(poll_.get(), EPOLL_CTL_DEL, it->fd.get(), nullptr);
      requests.push_back({std::move(it->fd), std::move(it->received)});
    }
    it = clients_.erase(it);
  }
  armTimer();
  // Last, with nothing half done: a handler may run a nested event loop that
  // comes back here.
  for (Request& request : requests) {
    const std::function<void()> show = show_;
    const OrderHandler order = order_;
    sendLine(request.fd.get(), answerInstanceRequest(request.line, show, order));
  }
}

// ---- the channel: a later copy's side ----

std::optional<std::string> LinuxInstance::ask(std::string_view request,
                                              std::chrono::milliseconds timeout) {
  sockaddr_un at{};
  if (!hasChannel() || !channelAddress(channelPath(), at)) return std::nullopt;
  const auto deadline = steady_clock::now() + timeout;
  UniqueFd fd;
  // The holder makes its socket just after taking the lock, and one that has
  // ended leaves its socket until the next holder replaces it: both pass.
  for (;;) {
    fd.reset(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!fd.valid()) return std::nullopt;
    if (::connect(fd.get(), reinterpret_cast<const sockaddr*>(&at), sizeof at) == 0) break;
    if (errno != ENOENT && errno != ECONNREFUSED && errno != EAGAIN && errno != EINTR) {
      return std::nullopt;
    }
    if (steady_clock::now() + std::chrono::milliseconds(20) >= deadline) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ucred peer{};
  socklen_t size = sizeof peer;
  if (::getsockopt(fd.get(), SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0 ||
      peer.uid != ::getuid()) {
    return std::nullopt;
  }
  sendLine(fd.get(), std::string(request));
  std::string answer;
  for (;;) {
    const auto end = answer.find('\n');
    if (end != std::string::npos) return answer.substr(0, end);
    if (answer.size() > kMaxRequestLength) return std::nullopt;
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - steady_clock::now());
    if (left.count() <= 0) return std::nullopt;
    pollfd wait{fd.get(), POLLIN, 0};
    const int ready = ::poll(&wait, 1, static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return std::nullopt;
    char buffer[128];
    const ssize_t n = ::recv(fd.get(), buffer, sizeof buffer, MSG_DONTWAIT);
    if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) continue;
    if (n <= 0) return std::nullopt;
    answer.append(buffer, static_cast<std::size_t>(n));
  }
}

}  // namespace vodivuri::platform::linux_os
