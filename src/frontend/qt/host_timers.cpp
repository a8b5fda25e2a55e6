// The Qt host's timers: one single-shot QTimer per model timer, started again
// after each tick so whole-second timers stay on the wall-clock second.
#include <QDateTime>

#include "frontend/qt/qt_host.hpp"
#include "toolkit/timing.hpp"

namespace vodivuri::qt {

void QtHost::timerChanged(toolkit::Timer& timer) {
  std::unique_ptr<QTimer>& qtimer = timers_[&timer];
  if (!qtimer) {
    qtimer = std::make_unique<QTimer>();
    qtimer->setTimerType(Qt::PreciseTimer);
    qtimer->setSingleShot(true);
    const toolkit::Timer* key = &timer;
    QObject::connect(qtimer.get(), &QTimer::timeout, &context_, [this, key, &timer] {
      if (quitting_) return;
      timer.tick();
      // The tick may have restarted, stopped or destroyed the timer.
      const auto it = timers_.find(key);
      if (it != timers_.end() && !it->second->isActive()) scheduleTick(timer, *it->second);
    });
  }
  qtimer->stop();
  scheduleTick(timer, *qtimer);
}

void QtHost::scheduleTick(toolkit::Timer& timer, QTimer& qtimer) {
  if (quitting_ || !timer.enabled() || !timer.form().loaded() || timer.interval() <= 0) return;
  qtimer.start(toolkit::nextTickDelay(QDateTime::currentMSecsSinceEpoch(), timer.interval()));
}

void QtHost::clockChanged() {
  for (const auto& [timer, qtimer] : timers_) {
    if (qtimer->isActive()) qtimer->start(0);
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
