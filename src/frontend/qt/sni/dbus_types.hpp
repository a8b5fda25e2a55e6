// The D-Bus structures of the StatusNotifierItem and dbusmenu protocols,
// with their marshalling for QtDBus.
#pragma once

#include <QByteArray>
#include <QDBusArgument>
#include <QDBusVariant>
#include <QImage>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringList>
#include <QVariantMap>

namespace vodivuri::qt::sni {

// One picture of an icon: (iiay), ARGB32 in network byte order.
struct Pixmap {
  int width = 0;
  int height = 0;
  QByteArray argb;
};
using Pixmaps = QList<Pixmap>;
Pixmap toPixmap(const QImage& image);

// (sa(iiay)ss): icon name, pictures, title, text.
struct ToolTip {
  QString iconName;
  Pixmaps pixmaps;
  QString title;
  QString text;
};

// (ia{sv}av): a menu item, its properties and its children (each a variant).
struct MenuLayout {
  int id = 0;
  QVariantMap properties;
  QList<MenuLayout> children;
};

// (ia{sv}): an item's properties, as GetGroupProperties answers.
struct MenuItemProperties {
  int id = 0;
  QVariantMap properties;
};
using MenuItemPropertiesList = QList<MenuItemProperties>;

// (ias): the properties an item no longer has.
struct MenuItemRemovedProperties {
  int id = 0;
  QStringList names;
};
using MenuItemRemovedPropertiesList = QList<MenuItemRemovedProperties>;

// (isvu): one event of EventGroup.
struct MenuEvent {
  int id = 0;
  QString eventId;
  QDBusVariant data;
  uint timestamp = 0;
};
using MenuEvents = QList<MenuEvent>;

// Makes the types known to QtDBus; before any object using them is exported.
void registerTypes();

QDBusArgument& operator<<(QDBusArgument& out, const Pixmap& p);
const QDBusArgument& operator>>(const QDBusArgument& in, Pixmap& p);
QDBusArgument& operator<<(QDBusArgument& out, const ToolTip& t);
const QDBusArgument& operator>>(const QDBusArgument& in, ToolTip& t);
QDBusArgument& operator<<(QDBusArgument& out, const MenuLayout& item);
const QDBusArgument& operator>>(const QDBusArgument& in, MenuLayout& item);
QDBusArgument& operator<<(QDBusArgument& out, const MenuItemProperties& item);
const QDBusArgument& operator>>(const QDBusArgument& in, MenuItemProperties& item);
QDBusArgument& operator<<(QDBusArgument& out, const MenuItemRemovedProperties& item);
const QDBusArgument& operator>>(const QDBusArgument& in, MenuItemRemovedProperties& item);
QDBusArgument& operator<<(QDBusArgument& out, const MenuEvent& event);
const QDBusArgument& operator>>(const QDBusArgument& in, MenuEvent& event);

}  // namespace vodivuri::qt::sni

Q_DECLARE_METATYPE(vodivuri::qt::sni::Pixmap)
Q_DECLARE_METATYPE(vodivuri::qt::sni::ToolTip)
Q_DECLARE_METATYPE(vodivuri::qt::sni::MenuLayout)
Q_DECLARE_METATYPE(vodivuri::qt::sni::MenuItemProperties)
Q_DECLARE_METATYPE(vodivuri::qt::sni::MenuItemRemovedProperties)
Q_DECLARE_METATYPE(vodivuri::qt::sni::MenuEvent)
