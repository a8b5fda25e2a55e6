#include "frontend/qt/sni/tray_watch.hpp"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QSystemTrayIcon>

#include "frontend/qt/sni/status_notifier_item.hpp"

namespace vodivuri::qt::sni {

namespace {

const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");
// An XEmbed manager announces itself only to X clients; while there is no
// tray at all, looking every two seconds costs one round trip to the X server.
constexpr int kXEmbedPollMs = 2000;

bool onX11() {
  return QGuiApplication::platformName() == QLatin1String("xcb");
}

}  // namespace

TrayWatch::TrayWatch(QDBusConnection bus) : bus_(std::move(bus)) {
  const QString service = QString::fromLatin1(kWatcherService);
  if (bus_.isConnected()) {
    watcher_.setConnection(bus_);
    watcher_.addWatchedService(service);
    connect(&watcher_, &QDBusServiceWatcher::serviceRegistered, this, [this] { askForHost(); });
    connect(&watcher_, &QDBusServiceWatcher::serviceUnregistered, this, [this] { setHost(false); });
    bus_.connect(service, kWatcherPath, service, QStringLiteral("StatusNotifierHostRegistered"),
                 this, SLOT(hostRegistered()));
    bus_.connect(service, kWatcherPath, service, QStringLiteral("StatusNotifierHostUnregistered"),
                 this, SLOT(hostUnregistered()));
    // Asked once at start, and answered before the first icon is made.
    QDBusMessage get = QDBusMessage::createMethodCall(
        service, kWatcherPath, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Get"));
    get << service << QStringLiteral("IsStatusNotifierHostRegistered");
    const QDBusMessage reply = bus_.call(get, QDBus::Block, 2000);
    snHost_ = reply.type() == QDBusMessage::ReplyMessage &&
              reply.arguments().value(0).value<QDBusVariant>().variant().toBool();
  }
  if (onX11()) {
    xembedSeen_ = QSystemTrayIcon::isSystemTrayAvailable();
    xembedPoll_.setInterval(kXEmbedPollMs);
    connect(&xembedPoll_, &QTimer::timeout, this, [this] {
      const bool seen = QSystemTrayIcon::isSystemTrayAvailable();
      if (seen == xembedSeen_) return;
      xembedSeen_ = seen;
      updatePoll();
      emit changed();
    });
  }
  updatePoll();
}

// Qt itself follows an XEmbed manager that is replaced; only a desktop with
// no tray at all needs looking at.
void TrayWatch::updatePoll() {
  if (!onX11()) return;
  if (current() == TrayKind::None) {
    if (!xembedPoll_.isActive()) xembedPoll_.start();
  } else {
    xembedPoll_.stop();
  }
}

TrayKind TrayWatch::current() const {
  if (snHost_) return TrayKind::StatusNotifier;
  if (xembedSeen_) return TrayKind::XEmbed;
  return TrayKind::None;
}

void TrayWatch::hostRegistered() {
  setHost(true);
}

// Another host may remain: the watcher says.
void TrayWatch::hostUnregistered() {
  askForHost();
}

void TrayWatch::askForHost() {
  const QString service = QString::fromLatin1(kWatcherService);
  QDBusMessage get = QDBusMessage::createMethodCall(
      service, kWatcherPath, QStringLiteral("org.freedesktop.DBus.Properties"),
      QStringLiteral("Get"));
  get << service << QStringLiteral("IsStatusNotifierHostRegistered");
  auto* pending = new QDBusPendingCallWatcher(bus_.asyncCall(get, 5000), this);
  connect(pending, &QDBusPendingCallWatcher::finished, this, [this, pending] {
    pending->deleteLater();
    const QDBusPendingReply<QDBusVariant> reply = *pending;
    setHost(!reply.isError() && reply.value().variant().toBool());
  });
}

void TrayWatch::setHost(bool present) {
  if (present == snHost_) return;
  snHost_ = present;
  if (!present && onX11()) xembedSeen_ = QSystemTrayIcon::isSystemTrayAvailable();
  updatePoll();
  emit changed();
}

}  // namespace vodivuri::qt::sni
