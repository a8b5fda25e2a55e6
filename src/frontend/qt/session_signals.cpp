#include "frontend/qt/session_signals.hpp"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

namespace vodivuri::qt {

namespace {

std::atomic<int> gWriteFd{-1};

extern "C" void onTerminationSignal(int) {
  const int saved = errno;
  const int fd = gWriteFd.load();
  if (fd >= 0) {
    const char byte = 1;
    // A full pipe already holds a pending wake-up; nothing is lost.
    [[maybe_unused]] const auto n = ::write(fd, &byte, 1);
  }
  errno = saved;
}

}  // namespace

TerminationSignals::TerminationSignals(std::function<void()> onSignal)
    : onSignal_(std::move(onSignal)) {
  int fds[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, fds) != 0) {
    platform::linux_os::reportError(
        platform::linux_os::withErrno("no se pueden vigilar las señales de terminación", errno));
    return;
  }
  readEnd_.reset(fds[0]);
  writeEnd_.reset(fds[1]);
  gWriteFd.store(writeEnd_.get());

  notifier_ = std::make_unique<QSocketNotifier>(readEnd_.get(), QSocketNotifier::Read);
  connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { drain(); });

  struct sigaction action {};
  action.sa_handler = onTerminationSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  ::sigaction(SIGTERM, &action, &oldTerm_);
  ::sigaction(SIGINT, &action, &oldInt_);
  // The terminal going away ends the program as any other request to end.
  ::sigaction(SIGHUP, &action, &oldHup_);
}

TerminationSignals::~TerminationSignals() {
  if (!notifier_) return;
  ::sigaction(SIGTERM, &oldTerm_, nullptr);
  ::sigaction(SIGINT, &oldInt_, nullptr);
  ::sigaction(SIGHUP, &oldHup_, nullptr);
  gWriteFd.store(-1);
  notifier_.reset();
}

void TerminationSignals::drain() {
  char buffer[64];
  bool any = false;
  while (::read(readEnd_.get(), buffer, sizeof buffer) > 0) any = true;
  if (any && onSignal_) onSignal_();
}

}  // namespace vodivuri::qt
