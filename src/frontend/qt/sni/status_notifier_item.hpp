// The program's icon as a StatusNotifierItem on the session bus, with its
// menu over dbusmenu: registered with the desktop's watcher, again whenever
// the watcher comes back (a panel restarted), gone with this object.
#pragma once

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QIcon>
#include <QObject>
#include <functional>
#include <memory>

#include "frontend/qt/sni/dbus_menu.hpp"
#include "frontend/qt/sni/dbus_types.hpp"

namespace vodivuri::qt::sni {

inline constexpr const char* kWatcherService = "org.kde.StatusNotifierWatcher";
inline constexpr const char* kItemPath = "/StatusNotifierItem";
inline constexpr const char* kMenuPath = "/MenuBar";

class StatusNotifierItem : public QObject {
  Q_OBJECT

 public:
  struct Handlers {
    std::function<void()> activate;                       // the host's primary click
    std::function<void()> contextMenu;                    // a host asks for the menu itself
    std::function<void(toolkit::MenuEntry&)> menuChosen;  // an entry of the exported menu
  };

  StatusNotifierItem(QDBusConnection bus, toolkit::MenuEntry& menu,
                     const toolkit::MenuEntry* defaultEntry, Handlers handlers);
  ~StatusNotifierItem() override;
  StatusNotifierItem(const StatusNotifierItem&) = delete;
  StatusNotifierItem& operator=(const StatusNotifierItem&) = delete;

  // Takes the bus name and exports the objects; false (said on standard
  // error) when the bus refuses them.
  bool publish();
  // Leaves the bus; the watcher drops the icon.
  void withdraw();
  void setIcon(const QIcon& icon);
  void setTitle(const QString& title);
  const QString& serviceName() const { return service_; }
  DBusMenu& menu() { return *menu_; }

  // --- what the adaptor reads ---
  QString title() const { return title_; }
  const Pixmaps& pixmaps() const { return pixmaps_; }
  void activate();
  void contextMenu();

 signals:
  void newIcon();
  void newTitle();
  void newToolTip();

 private:
  void registerWithWatcher();

  QDBusConnection bus_;
  Handlers handlers_;
  std::unique_ptr<DBusMenu> menu_;
  QDBusServiceWatcher watcher_;
  QString service_;
  QString title_ = QStringLiteral("Vodivuri");
  Pixmaps pixmaps_;
  bool published_ = false;
};

}  // namespace vodivuri::qt::sni
