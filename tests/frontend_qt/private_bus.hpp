// A private session bus for the tests that talk D-Bus, and python-dbusmock
// services started on it and driven through their Mock interface.
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
#include <vector>

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

class PrivateBus {
 public:
  PrivateBus() {
    bus_.start("/usr/bin/dbus-daemon", {"--session", "--nofork", "--print-address=1"});
    if (!bus_.waitForStarted(5000)) throw std::runtime_error("dbus-daemon did not start");
    QDeadlineTimer deadline(10000);
    while (!bus_.canReadLine()) {
      if (deadline.hasExpired()) throw std::runtime_error("dbus-daemon told no address");
      bus_.waitForReadyRead(100);
    }
    address_ = QString::fromUtf8(bus_.readLine()).trimmed();
    connectionName_ = QUuid::createUuid().toString();
    connection_ = QDBusConnection::connectToBus(address_, connectionName_);
    if (!connection_.isConnected()) throw std::runtime_error("cannot connect to the private bus");
  }
  ~PrivateBus() {
    QDBusConnection::disconnectFromBus(connectionName_);
    bus_.terminate();
    bus_.waitForFinished(3000);
  }
  PrivateBus(const PrivateBus&) = delete;
  PrivateBus& operator=(const PrivateBus&) = delete;

  // A connection of the test's own to the private bus.
  QDBusConnection connection() const { return connection_; }
  const QString& address() const { return address_; }

  // Starts python-dbusmock with `args` on this bus; returns once it owns `name`.
  void startMock(QProcess& mock, const QStringList& args, const QString& name) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DBUS_SESSION_BUS_ADDRESS", address_);
    mock.setProcessEnvironment(env);
    mock.setStandardOutputFile(QProcess::nullDevice());
    mock.start("/usr/bin/python3", QStringList{"-m", "dbusmock", "--session"} + args);
    const bool up = spinUntil(
        [&] {
          return mock.state() == QProcess::NotRunning ||
                 connection_.interface()->isServiceRegistered(name).value();
        },
        15000);
    if (!up || mock.state() == QProcess::NotRunning) {
      throw std::runtime_error(("the mock " + name + " did not start").toStdString());
    }
  }
  // Ends a mock; its name leaves the bus.
  void stopMock(QProcess& mock) {
    if (mock.state() == QProcess::NotRunning) return;
    mock.terminate();
    if (!mock.waitForFinished(3000)) mock.kill();
    mock.waitForFinished(3000);
  }
  // A method of the Mock interface of the mock owning `service`.
  QDBusMessage mockCall(const QString& service, const QString& path, const QString& method,
                        const QVariantList& args) {
    QDBusMessage call =
        QDBusMessage::createMethodCall(service, path, "org.freedesktop.DBus.Mock", method);
    call.setArguments(args);
    const QDBusMessage reply = connection_.call(call, QDBus::Block, 10000);
    if (reply.type() != QDBusMessage::ReplyMessage) {
      throw std::runtime_error(("Mock." + method + ": " + reply.errorMessage()).toStdString());
    }
    return reply;
  }
  // The arguments of every call of `method` the mock owning `service` received.
  std::vector<QVariantList> methodCalls(const QString& service, const QString& path,
                                        const QString& method) {
    const QDBusMessage reply = mockCall(service, path, "GetMethodCalls", {method});
    std::vector<QVariantList> out;
    const QDBusArgument calls = reply.arguments().value(0).value<QDBusArgument>();
    calls.beginArray();
    while (!calls.atEnd()) {
      qulonglong when = 0;
      QVariantList args;
      calls.beginStructure();
      calls >> when >> args;
      calls.endStructure();
      out.push_back(args);
    }
    calls.endArray();
    return out;
  }

 private:
  QProcess bus_;
  QString address_, connectionName_;
  QDBusConnection connection_{QString()};
};

}  // namespace vodivuri::qt::testing
