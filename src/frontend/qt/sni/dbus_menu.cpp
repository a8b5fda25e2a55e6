#include "frontend/qt/sni/dbus_menu.hpp"

#include <QDBusAbstractAdaptor>
#include <QTimer>

#include "toolkit/geometry.hpp"

namespace vodivuri::qt::sni {

namespace {

// Underscores mark mnemonics in the protocol's labels.
QString label(const std::string& caption) {
  return QString::fromStdString(caption).replace('_', QStringLiteral("__"));
}

QVariantMap filtered(const QVariantMap& all, const QStringList& names) {
  if (names.isEmpty()) return all;
  QVariantMap out;
  for (const QString& name : names) {
    const auto it = all.find(name);
    if (it != all.end()) out.insert(name, it.value());
  }
  return out;
}

}  // namespace

// The protocol's interface; every call goes to the menu object.
class DBusMenuAdaptor : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "com.canonical.dbusmenu")
  Q_PROPERTY(uint Version READ version)
  Q_PROPERTY(QString TextDirection READ textDirection)
  Q_PROPERTY(QString Status READ status)
  Q_PROPERTY(QStringList IconThemePath READ iconThemePath)

 public:
  explicit DBusMenuAdaptor(DBusMenu* menu) : QDBusAbstractAdaptor(menu), menu_(menu) {
    connect(menu, &DBusMenu::layoutUpdated, this, &DBusMenuAdaptor::LayoutUpdated);
  }
  uint version() const { return 3; }
  QString textDirection() const { return QStringLiteral("ltr"); }
  QString status() const { return QStringLiteral("normal"); }
  QStringList iconThemePath() const { return {}; }

 public slots:
  uint GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames,
                 vodivuri::qt::sni::MenuLayout& layout) {
    return menu_->layout(parentId, recursionDepth, propertyNames, layout);
  }
  vodivuri::qt::sni::MenuItemPropertiesList GetGroupProperties(const QList<int>& ids,
                                                               const QStringList& names) {
    return menu_->groupProperties(ids, names);
  }
  QDBusVariant GetProperty(int id, const QString& name) {
    return QDBusVariant(menu_->property(id, name));
  }
  void Event(int id, const QString& eventId, const QDBusVariant&, uint) {
    menu_->event(id, eventId);
  }
  QList<int> EventGroup(const vodivuri::qt::sni::MenuEvents& events) {
    QList<int> unknown;
    for (const MenuEvent& e : events) {
      if (!menu_->event(e.id, e.eventId)) unknown.append(e.id);
    }
    return unknown;
  }
  // The layout is always read fresh, so nothing needs updating first.
  bool AboutToShow(int) { return false; }
  QList<int> AboutToShowGroup(const QList<int>&, QList<int>& idErrors) {
    idErrors.clear();
    return {};
  }

 signals:
  void LayoutUpdated(uint revision, int parent);
  void ItemsPropertiesUpdated(const vodivuri::qt::sni::MenuItemPropertiesList& updated,
                              const vodivuri::qt::sni::MenuItemRemovedPropertiesList& removed);
  void ItemActivationRequested(int id, uint timestamp);

 private:
  DBusMenu* menu_;
};

DBusMenu::DBusMenu(toolkit::MenuEntry& root, const toolkit::MenuEntry* defaultEntry,
                   std::function<void(toolkit::MenuEntry&)> chosen)
    : root_(root), defaultEntry_(defaultEntry), chosen_(std::move(chosen)) {
  registerTypes();
  new DBusMenuAdaptor(this);
}

bool DBusMenu::exportOn(QDBusConnection bus, const QString& path) {
  unexport();
  if (!bus.registerObject(path, this, QDBusConnection::ExportAdaptors)) return false;
  bus_ = bus;
  path_ = path;
  return true;
}

void DBusMenu::unexport() {
  if (path_.isEmpty()) return;
  bus_.unregisterObject(path_);
  path_.clear();
}

bool DBusMenu::holds(const toolkit::Control& control) const {
  const auto* entry = dynamic_cast<const toolkit::MenuEntry*>(&control);
  for (; entry != nullptr; entry = entry->parent()) {
    if (entry == &root_) return true;
  }
  return false;
}

void DBusMenu::changed() {
  if (announcing_) return;
  announcing_ = true;
  ++revision_;
  // One signal for the several changes a handler makes at once.
  QTimer::singleShot(0, this, [this] {
    announcing_ = false;
    emit layoutUpdated(revision_, 0);
  });
}

int DBusMenu::idOf(const toolkit::MenuEntry* entry) {
  const auto [it, added] = ids_.emplace(entry, nextId_);
  if (added) ++nextId_;
  return it->second;
}

std::map<int, DBusMenu::Item> DBusMenu::snapshot() {
  std::map<int, Item> items;
  const std::function<void(int, const std::vector<toolkit::MenuNode>&)> add =
      [&](int parent, const std::vector<toolkit::MenuNode>& nodes) {
        for (const toolkit::MenuNode& node : nodes) {
          const int id = idOf(node.entry);
          Item item{node.entry, {}, {}};
          if (node.separator()) {
            item.properties.insert(QStringLiteral("type"), QStringLiteral("separator"));
          } else {
            item.properties.insert(QStringLiteral("label"), label(node.caption));
            if (!node.enabled) item.properties.insert(QStringLiteral("enabled"), false);
            if (node.checked) {
              item.properties.insert(QStringLiteral("toggle-type"), QStringLiteral("checkmark"));
              item.properties.insert(QStringLiteral("toggle-state"), 1);
            }
            if (!node.children.empty()) {
              item.properties.insert(QStringLiteral("children-display"), QStringLiteral("submenu"));
            }
          }
          items[parent].children.append(id);
          items[id] = std::move(item);
          add(id, node.children);
        }
      };
  items[0].properties.insert(QStringLiteral("children-display"), QStringLiteral("submenu"));
  add(0, toolkit::menuTree(root_, defaultEntry_));
  return items;
}

MenuLayout DBusMenu::layoutOf(const std::map<int, Item>& items, int id, int depth,
                              const QStringList& names) const {
  const Item& item = items.at(id);
  MenuLayout out{id, filtered(item.properties, names), {}};
  if (depth == 0) return out;
  for (const int child : item.children) {
    out.children.append(layoutOf(items, child, depth < 0 ? -1 : depth - 1, names));
  }
  return out;
}

uint DBusMenu::layout(int parentId, int depth, const QStringList& names, MenuLayout& out) {
  const std::map<int, Item> items = snapshot();
  if (items.count(parentId) == 0) {
    out = MenuLayout{parentId, {}, {}};
  } else {
    out = layoutOf(items, parentId, depth, names);
  }
  return revision_;
}

MenuItemPropertiesList DBusMenu::groupProperties(const QList<int>& ids, const QStringList& names) {
  const std::map<int, Item> items = snapshot();
  MenuItemPropertiesList out;
  for (const int id : ids) {
    const auto it = items.find(id);
    if (it != items.end()) out.append({id, filtered(it->second.properties, names)});
  }
  return out;
}

QVariant DBusMenu::property(int id, const QString& name) {
  const std::map<int, Item> items = snapshot();
  const auto it = items.find(id);
  if (it == items.end()) return {};
  return it->second.properties.value(name);
}

bool DBusMenu::event(int id, const QString& eventId) {
  const std::map<int, Item> items = snapshot();
  const auto it = items.find(id);
  if (it == items.end()) return false;
  toolkit::MenuEntry* entry = it->second.entry;
  if (eventId != QLatin1String("clicked") || entry == nullptr) return true;
  // A stale or forged click on a greyed entry, a submenu or a separator does nothing.
  if (!entry->enabled() || !entry->entries().empty() || entry->isSeparator()) return true;
  QTimer::singleShot(0, this, [this, entry] {
    // Still in the menu as it is now: nothing chosen earlier has hidden it.
    const std::map<int, Item> now = snapshot();
    for (const auto& [key, item] : now) {
      if (item.entry == entry && entry->enabled()) {
        if (chosen_) chosen_(*entry);
        return;
      }
    }
  });
  return true;
}

}  // namespace vodivuri::qt::sni

#include "dbus_menu.moc"
