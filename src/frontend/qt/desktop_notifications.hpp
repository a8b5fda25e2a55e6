// Desktop notifications (org.freedesktop.Notifications on the session bus):
// sends one, and reports a click on it or a failure to show it.
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <functional>
#include <map>

namespace vodivuri::qt {

class DesktopNotifications : public QObject {
  Q_OBJECT

 public:
  // `iconUri`: a file:// address or an icon theme name, as the service takes it.
  DesktopNotifications(QDBusConnection bus, QString iconUri);

  // Whether a notification service owns its name on the bus now.
  bool available() const;

  // Sends a notification. `clicked` runs when the user clicks it (its
  // default action); `failed` runs once when the service does not take it;
  // with `cancelled`, it offers a «Cancelar» button that runs it. None runs
  // after this object is gone.
  void show(const QString& title, const QString& text, std::function<void()> clicked,
            std::function<void()> failed, std::function<void()> cancelled = {});

  // The notifications on show that a click would still reach.
  std::size_t open() const { return actions_.size(); }

 private slots:
  void actionInvoked(uint id, const QString& action);
  void notificationClosed(uint id, uint reason);

 private:
  QDBusConnection bus_;
  QString iconUri_;
  struct Actions {
    std::function<void()> clicked;
    std::function<void()> cancelled;
  };
  std::map<uint, Actions> actions_;
};

}  // namespace vodivuri::qt
