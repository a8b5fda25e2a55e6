// The Qt host's timers: one QTimer per model timer, running while it is enabled.
#include "frontend/qt/qt_host.hpp"

namespace vodivuri::qt {

void QtHost::timerChanged(toolkit::Timer& timer) {
  std::unique_ptr<QTimer>& qtimer = timers_[&timer];
  if (!qtimer) {
    qtimer = std::make_unique<QTimer>();
    qtimer->setTimerType(Qt::PreciseTimer);
    QObject::connect(qtimer.get(), &QTimer::timeout, &context_, [this, &timer] {
      if (!quitting_) timer.tick();
    });
  }
  qtimer->stop();
  if (!quitting_ && timer.enabled() && timer.form().loaded() && timer.interval() > 0) {
    qtimer->start(timer.interval());
  }
}

void QtHost::forgetTimer(const toolkit::Control& control) {
  const auto it = timers_.find(&control);
  if (it == timers_.end()) return;
  // Perhaps inside its own tick: let Qt delete it once the tick is over.
  it->second->stop();
  it->second.release()->deleteLater();
  timers_.erase(it);
}

}  // namespace vodivuri::qt
