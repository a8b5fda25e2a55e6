// SIGTERM, SIGINT and SIGHUP turned into an event of the Qt loop through a self-pipe:
// the handler only writes a byte, the loop runs the callback.
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <csignal>
#include <functional>
#include <memory>

#include "platform/linux/files_linux.hpp"

namespace vodivuri::qt {

class TerminationSignals : public QObject {
  Q_OBJECT
 public:
  // Only one may exist at a time; the previous handlers come back when it goes.
  explicit TerminationSignals(std::function<void()> onSignal);
  ~TerminationSignals() override;
  TerminationSignals(const TerminationSignals&) = delete;
  TerminationSignals& operator=(const TerminationSignals&) = delete;

  bool active() const { return notifier_ != nullptr; }

 private:
  void drain();

  std::function<void()> onSignal_;
  platform::linux_os::UniqueFd readEnd_, writeEnd_;
  std::unique_ptr<QSocketNotifier> notifier_;
  struct sigaction oldTerm_ {};
  struct sigaction oldInt_ {};
  struct sigaction oldHup_ {};
};

}  // namespace vodivuri::qt
