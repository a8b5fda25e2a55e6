// Which notification area the desktop offers now, and word when that
// changes: a StatusNotifierWatcher with a host on the session bus, else an
// XEmbed tray manager on X11. At log-in the panel often comes after the
// program, so both are watched for as long as the program runs.
#pragma once

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QObject>
#include <QTimer>

namespace vodivuri::qt::sni {

enum class TrayKind { None, StatusNotifier, XEmbed };

class TrayWatch : public QObject {
  Q_OBJECT

 public:
  explicit TrayWatch(QDBusConnection bus);
  TrayKind current() const;
  const QDBusConnection& bus() const { return bus_; }

 signals:
  // current() may answer otherwise now.
  void changed();

 private slots:
  void hostRegistered();
  void hostUnregistered();

 private:
  void askForHost();
  void setHost(bool present);
  void updatePoll();

  QDBusConnection bus_;
  QDBusServiceWatcher watcher_;
  QTimer xembedPoll_;
  bool snHost_ = false;
  bool xembedSeen_ = false;
};

}  // namespace vodivuri::qt::sni
