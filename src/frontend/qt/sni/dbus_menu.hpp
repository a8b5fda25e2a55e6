// A toolkit menu exported over com.canonical.dbusmenu, for trays that draw
// the icon's menu themselves; the entry chosen there is handed back.
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <functional>
#include <map>
#include <utility>

#include "frontend/qt/sni/dbus_types.hpp"
#include "toolkit/control.hpp"

namespace vodivuri::qt::sni {

class DBusMenu : public QObject {
  Q_OBJECT

 public:
  // `chosen` runs from the event loop after the D-Bus call has been answered,
  // so the command may open windows and questions of its own.
  DBusMenu(toolkit::MenuEntry& root, const toolkit::MenuEntry* defaultEntry,
           std::function<void(toolkit::MenuEntry&)> chosen);

  // Exports the menu at `path` (with its interface) on `bus`.
  bool exportOn(QDBusConnection bus, const QString& path);
  void unexport();

  // Whether `control` is one of this menu's entries (or the root).
  bool holds(const toolkit::Control& control) const;
  // An entry's caption, state or visibility changed: clients are told once
  // the current event is over.
  void changed();

  // The calls of the protocol, as the adaptor forwards them.
  uint layout(int parentId, int depth, const QStringList& names, MenuLayout& out);
  MenuItemPropertiesList groupProperties(const QList<int>& ids, const QStringList& names);
  QVariant property(int id, const QString& name);
  // Whether `id` names an item; a "clicked" event on an enabled entry chooses it.
  bool event(int id, const QString& eventId);
  uint revision() const { return revision_; }

 signals:
  void layoutUpdated(uint revision, int parent);

 private:
  struct Item {
    toolkit::MenuEntry* entry = nullptr;
    QVariantMap properties;
    QList<int> children;
  };
  // The menu as it is now, ids kept per entry from one reading to the next,
  // so an event for an id read earlier still names the same entry.
  std::map<int, Item> snapshot();
  int idOf(const toolkit::MenuEntry* entry);
  MenuLayout layoutOf(const std::map<int, Item>& items, int id, int depth,
                      const QStringList& names) const;

  toolkit::MenuEntry& root_;
  const toolkit::MenuEntry* defaultEntry_;
  std::function<void(toolkit::MenuEntry&)> chosen_;
  std::map<const toolkit::MenuEntry*, int> ids_;
  int nextId_ = 1;
  uint revision_ = 1;
  bool announcing_ = false;
  QDBusConnection bus_{QString()};
  QString path_;
};

}  // namespace vodivuri::qt::sni
