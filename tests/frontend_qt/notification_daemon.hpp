// A private session bus with python-dbusmock's notification daemon on it,
// for the tests of desktop notifications: the calls it received, and its
// signals sent on demand.
#pragma once

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QProcess>
#include <QStringList>
#include <QVariantList>
#include <stdexcept>

#include "private_bus.hpp"

namespace vodivuri::qt::testing {

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
    if (withDaemon) startDaemon();
  }
  ~NotificationDaemon() { stopDaemon(); }
  NotificationDaemon(const NotificationDaemon&) = delete;
  NotificationDaemon& operator=(const NotificationDaemon&) = delete;

  QDBusConnection connection() const { return bus_.connection(); }
  const QString& address() const { return bus_.address(); }

  void startDaemon() { bus_.startMock(daemon_, {"--template", "notification_daemon"}, kName); }
  void stopDaemon() { bus_.stopMock(daemon_); }

  std::vector<NotifyCall> notifyCalls() {
    std::vector<NotifyCall> out;
    for (const QVariantList& args : bus_.methodCalls(kName, kPath, QStringLiteral("Notify"))) {
      if (args.size() != 8) throw std::runtime_error("Notify with a wrong number of arguments");
      out.push_back({args[0].toString(), args[1].toUInt(), args[2].toString(), args[3].toString(),
                     args[4].toString(), qdbus_cast<QStringList>(args[5]), args[7].toInt()});
    }
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
    return bus_.mockCall(kName, kPath, method, args);
  }
  void emitSignal(const QString& name, const QString& signature, const QVariantList& args) {
    mock("EmitSignal", {QString(kName), name, signature, QVariant::fromValue(args)});
  }

  PrivateBus bus_;
  QProcess daemon_;
};

}  // namespace vodivuri::qt::testing
