// A private session bus with python-dbusmock's notification daemon on it,
// for the tests of desktop notifications: the calls it received, and its
// signals sent on demand.
#pragma once

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QProcess>
#include <QStringList>
#include <QThread>
#include <QUuid>
#include <QVariantList>
#include <functional>
#include <stdexcept>

namespace vodivuri::qt::testing {

// Runs the event loop until `done` holds or `ms` have passed.
inline bool spinUntil(const std::function<bool()>& done, int ms = 5000) {
  QDeadlineTimer deadline(ms);
  while (!done()) {
    if (deadline.hasExpired()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(5);
  }
  return true;
}

// One Notify call as the daemon received it.
struct NotifyCall {
  QString appName;
  uint replacesId = 0;
  QString icon, summary, body;
  QStringList actions;
  int timeout = 0;
};

class NotificationDaemon {
 public:
  static constexpr const char* kName = "org.freedesktop.Notifications";
  static constexpr const char* kPath = "/org/freedesktop/Notifications";

  // `withDaemon` false: the bus alone, where no service owns the name.
  explicit NotificationDaemon(bool withDaemon = true) {
    bus_.start("/usr/bin/dbus-daemon", {"--session", "--nofork", "--print-address=1"});
    if (!bus_.waitForStarted(5000)) throw std::runtime_error("dbus-daemon did not start");
    QDeadlineTimer deadline(10000);
    while (!bus_.canReadLine()) {
      if (deadline.hasExpired() || !bus_.waitForReadyRead(100)) {
        if (deadline.hasExpired()) throw std::runtime_error("dbus-daemon told no address");
      }
    }
    address_ = QString::fromUtf8(bus_.readLine()).trimmed();
    connectionName_ = QUuid::createUuid().toString();
    connection_ = QDBusConnection::connectToBus(address_, connectionName_);
    if (!connection_.isConnected()) throw std::runtime_error("cannot connect to the private bus");
    if (withDaemon) startDaemon();
  }
  ~NotificationDaemon() {
    stopDaemon();
    QDBusConnection::disconnectFromBus(connectionName_);
    bus_.terminate();
    bus_.waitForFinished(3000);
  }
  NotificationDaemon(const NotificationDaemon&) = delete;
  NotificationDaemon& operator=(const NotificationDaemon&) = delete;

  // A connection of the test's own to the private bus.
  QDBusConnection connection() const { return connection_; }
  const QString& address() const { return address_; }

  void startDaemon() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DBUS_SESSION_BUS_ADDRESS", address_);
    daemon_.setProcessEnvironment(env);
    daemon_.setStandardOutputFile(QProcess::nullDevice());
    daemon_.start("/usr/bin/python3",
                  {"-m", "dbusmock", "--session", "--template", "notification_daemon"});
    const bool up = spinUntil(
        [this] {
          return daemon_.state() == QProcess::NotRunning ||
                 connection_.interface()->isServiceRegistered(kName).value();
        },
        15000);
    if (!up || daemon_.state() == QProcess::NotRunning) {
      throw std::runtime_error("the notification daemon did not start");
    }
  }
  void stopDaemon() {
    if (daemon_.state() == QProcess::NotRunning) return;
    daemon_.terminate();
    if (!daemon_.waitForFinished(3000)) daemon_.kill();
    daemon_.waitForFinished(3000);
  }

  std::vector<NotifyCall> notifyCalls() {
    const QDBusMessage reply = mock("GetMethodCalls", {QStringLiteral("Notify")});
    std::vector<NotifyCall> out;
    const QDBusArgument calls = reply.arguments().value(0).value<QDBusArgument>();
    calls.beginArray();
    while (!calls.atEnd()) {
      qulonglong when = 0;
      QVariantList args;
      calls.beginStructure();
      calls >> when >> args;
      calls.endStructure();
      if (args.size() != 8) throw std::runtime_error("Notify with a wrong number of arguments");
      out.push_back({args[0].toString(), args[1].toUInt(), args[2].toString(), args[3].toString(),
                     args[4].toString(), qdbus_cast<QStringList>(args[5]), args[7].toInt()});
    }
    calls.endArray();
    return out;
  }
  void clearCalls() { mock("ClearCalls", {}); }

  // The daemon's own signals, as a real one sends them.
  void actionInvoked(uint id, const QString& action) {
    emitSignal("ActionInvoked", "us", {id, action});
  }
  void closed(uint id) { emitSignal("NotificationClosed", "uu", {id, uint(2)}); }

  // Replaces the daemon's Notify with Python code (dbusmock's AddMethod).
  void replaceNotify(const QString& code) {
    mock("AddMethod", {QString(kName), QStringLiteral("Notify"), QStringLiteral("susssasa{sv}i"),
                       QStringLiteral("u"), code});
  }

 private:
  QDBusMessage mock(const QString& method, const QVariantList& args) {
    QDBusMessage call =
        QDBusMessage::createMethodCall(kName, kPath, "org.freedesktop.DBus.Mock", method);
    call.setArguments(args);
    const QDBusMessage reply = connection_.call(call, QDBus::Block, 10000);
    if (reply.type() != QDBusMessage::ReplyMessage) {
      throw std::runtime_error(("Mock." + method + ": " + reply.errorMessage()).toStdString());
    }
    return reply;
  }
  void emitSignal(const QString& name, const QString& signature, const QVariantList& args) {
    mock("EmitSignal", {QString(kName), name, signature, QVariant::fromValue(args)});
  }

  QProcess bus_, daemon_;
  QString address_, connectionName_;
  QDBusConnection connection_{QString()};
};

}  // namespace vodivuri::qt::testing
