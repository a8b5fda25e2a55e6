#include "frontend/qt/desktop_notifications.hpp"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QStringList>
#include <QTimer>
#include <QVariantMap>
#include <memory>

namespace vodivuri::qt {

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
// A service that does not answer soon is as good as none: the balloon is due
// while the warning still means something.
constexpr int kCallTimeoutMs = 5000;
// The «Cancelar» button's action key.
constexpr const char* kCancelAction = "cancelar";

}  // namespace

DesktopNotifications::DesktopNotifications(QDBusConnection bus, QString iconUri)
    : bus_(std::move(bus)), iconUri_(std::move(iconUri)) {
  if (!bus_.isConnected()) return;
  bus_.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
               SLOT(actionInvoked(uint, QString)));
  bus_.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this,
               SLOT(notificationClosed(uint, uint)));
}

bool DesktopNotifications::available() const {
  if (!bus_.isConnected()) return false;
  const QDBusConnectionInterface* names = bus_.interface();
  if (names == nullptr) return false;
  const QDBusReply<bool> owned = names->isServiceRegistered(kService);
  return owned.isValid() && owned.value();
}

void DesktopNotifications::show(const QString& title, const QString& text,
                                std::function<void()> clicked, std::function<void()> failed,
                                std::function<void()> cancelled) {
  QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, "Notify");
  // "default" is the action a click on the notification itself invokes.
  QStringList actions{QStringLiteral("default"), QStringLiteral("Mostrar")};
  if (cancelled) actions << QString(kCancelAction) << QStringLiteral("Cancelar");
  const QVariantMap hints{{QStringLiteral("desktop-entry"), QStringLiteral("vodivuri")}};
  call << QStringLiteral("Vodivuri") << uint(0) << iconUri_ << title << text << actions << hints
       << int(-1);
  auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call, kCallTimeoutMs), this);
  auto handled = std::make_shared<bool>(false);
  auto answered = [this, watcher, handled, clicked = std::move(clicked), failed = std::move(failed),
                   cancelled = std::move(cancelled)] {
    if (*handled) return;
    *handled = true;
    watcher->deleteLater();
    const QDBusPendingReply<uint> reply = *watcher;
    if (reply.isError()) {
      if (failed) failed();
      return;
    }
    actions_[reply.value()] = {clicked, cancelled};
  };
  connect(watcher, &QDBusPendingCallWatcher::finished, this, answered);
  // A call that could not even be sent (no connection) has ended already and
  // never signals it: answered from the loop all the same.
  if (watcher->isFinished()) QTimer::singleShot(0, watcher, answered);
}

void DesktopNotifications::actionInvoked(uint id, const QString& action) {
  const auto it = actions_.find(id);
  if (it == actions_.end()) return;  // another program's, or one already closed
  const std::function<void()> run = action == QLatin1String("default") ? it->second.clicked
                                    : action == QLatin1String(kCancelAction)
                                        ? it->second.cancelled
                                        : std::function<void()>();
  if (run) run();
}

void DesktopNotifications::notificationClosed(uint id, uint /*reason*/) {
  actions_.erase(id);
}

}  // namespace vodivuri::qt
