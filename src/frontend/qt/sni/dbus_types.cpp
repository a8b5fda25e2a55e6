#include "frontend/qt/sni/dbus_types.hpp"

#include <QDBusMetaType>
#include <QtEndian>

namespace vodivuri::qt::sni {

Pixmap toPixmap(const QImage& image) {
  const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
  Pixmap out{argb.width(), argb.height(), {}};
  out.argb.resize(static_cast<qsizetype>(argb.width()) * argb.height() * 4);
  uchar* to = reinterpret_cast<uchar*>(out.argb.data());
  for (int y = 0; y < argb.height(); ++y) {
    const auto* row = reinterpret_cast<const quint32*>(argb.constScanLine(y));
    for (int x = 0; x < argb.width(); ++x, to += 4) qToBigEndian(row[x], to);
  }
  return out;
}

void registerTypes() {
  static const bool done = [] {
    qDBusRegisterMetaType<Pixmap>();
    qDBusRegisterMetaType<Pixmaps>();
    qDBusRegisterMetaType<ToolTip>();
    qDBusRegisterMetaType<MenuLayout>();
    qDBusRegisterMetaType<MenuItemProperties>();
    qDBusRegisterMetaType<MenuItemPropertiesList>();
    qDBusRegisterMetaType<MenuItemRemovedProperties>();
    qDBusRegisterMetaType<MenuItemRemovedPropertiesList>();
    qDBusRegisterMetaType<MenuEvent>();
    qDBusRegisterMetaType<MenuEvents>();
    // The adaptors' signatures name the lists by these aliases.
    qRegisterMetaType<Pixmaps>("vodivuri::qt::sni::Pixmaps");
    qRegisterMetaType<MenuItemPropertiesList>("vodivuri::qt::sni::MenuItemPropertiesList");
    qRegisterMetaType<MenuItemRemovedPropertiesList>(
        "vodivuri::qt::sni::MenuItemRemovedPropertiesList");
    qRegisterMetaType<MenuEvents>("vodivuri::qt::sni::MenuEvents");
    return true;
  }();
  (void)done;
}

QDBusArgument& operator<<(QDBusArgument& out, const Pixmap& p) {
  out.beginStructure();
  out << p.width << p.height << p.argb;
  out.endStructure();
  return out;
}

const QDBusArgument& operator>>(const QDBusArgument& in, Pixmap& p) {
  in.beginStructure();
  in >> p.width >> p.height >> p.argb;
  in.endStructure();
  return in;
}

QDBusArgument& operator<<(QDBusArgument& out, const ToolTip& t) {
  out.beginStructure();
  out << t.iconName << t.pixmaps << t.title << t.text;
  out.endStructure();
  return out;
}

const QDBusArgument& operator>>(const QDBusArgument& in, ToolTip& t) {
  in.beginStructure();
  in >> t.iconName >> t.pixmaps >> t.title >> t.text;
  in.endStructure();
  return in;
}

QDBusArgument& operator<<(QDBusArgument& out, const MenuLayout& item) {
  out.beginStructure();
  out << item.id << item.properties;
  out.beginArray(QMetaType::fromType<QDBusVariant>());
  for (const MenuLayout& child : item.children) out << QDBusVariant(QVariant::fromValue(child));
  out.endArray();
  out.endStructure();
  return out;
}

const QDBusArgument& operator>>(const QDBusArgument& in, MenuLayout& item) {
  in.beginStructure();
  in >> item.id >> item.properties;
  item.children.clear();
  in.beginArray();
  while (!in.atEnd()) {
    QDBusVariant child;
    in >> child;
    item.children.append(qdbus_cast<MenuLayout>(child.variant()));
  }
  in.endArray();
  in.endStructure();
  return in;
}

QDBusArgument& operator<<(QDBusArgument& out, const MenuItemProperties& item) {
  out.beginStructure();
  out << item.id << item.properties;
  out.endStructure();
  return out;
}

const QDBusArgument& operator>>(const QDBusArgument& in, MenuItemProperties& item) {
  in.beginStructure();
  in >> item.id >> item.properties;
  in.endStructure();
  return in;
}

QDBusArgument& operator<<(QDBusArgument& out, const MenuItemRemovedProperties& item) {
  out.beginStructure();
  out << item.id << item.names;
  out.endStructure();
  return out;
}

const QDBusArgument& operator>>(const QDBusArgument& in, MenuItemRemovedProperties& item) {
  in.beginStructure();
  in >> item.id >> item.names;
  in.endStructure();
  return in;
}

QDBusArgument& operator<<(QDBusArgument& out, const MenuEvent& event) {
  out.beginStructure();
  out << event.id << event.eventId << event.data << event.timestamp;
  out.endStructure();
  return out;
}

const QDBusArgument& operator>>(const QDBusArgument& in, MenuEvent& event) {
  in.beginStructure();
  in >> event.id >> event.eventId >> event.data >> event.timestamp;
  in.endStructure();
  return in;
}

}  // namespace vodivuri::qt::sni
