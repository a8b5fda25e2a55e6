#include "frontend/qt/sni/status_notifier_item.hpp"

#include <QCoreApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QTimer>
#include <atomic>
#include <cstdio>

namespace vodivuri::qt::sni {

namespace {

// The sizes panels draw, from a 16-pixel bar to a 64-pixel dock.
constexpr int kIconSizes[] = {16, 22, 24, 32, 48, 64};

void say(const QString& what) {
  std::fprintf(stderr, "vodivuri: %s\n", what.toLocal8Bit().constData());
}

}  // namespace

class StatusNotifierItemAdaptor : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
  Q_PROPERTY(QString Category READ category)
  Q_PROPERTY(QString Id READ id)
  Q_PROPERTY(QString Title READ title)
  Q_PROPERTY(QString Status READ status)
  Q_PROPERTY(int WindowId READ windowId)
  Q_PROPERTY(QString IconName READ iconName)
  Q_PROPERTY(vodivuri::qt::sni::Pixmaps IconPixmap READ iconPixmap)
  Q_PROPERTY(QString OverlayIconName READ empty)
  Q_PROPERTY(vodivuri::qt::sni::Pixmaps OverlayIconPixmap READ noPixmaps)
  Q_PROPERTY(QString AttentionIconName READ empty)
  Q_PROPERTY(vodivuri::qt::sni::Pixmaps AttentionIconPixmap READ noPixmaps)
  Q_PROPERTY(QString AttentionMovieName READ empty)
  Q_PROPERTY(QString IconThemePath READ empty)
  Q_PROPERTY(vodivuri::qt::sni::ToolTip ToolTip READ toolTip)
  Q_PROPERTY(bool ItemIsMenu READ itemIsMenu)
  Q_PROPERTY(QDBusObjectPath Menu READ menu)

 public:
  explicit StatusNotifierItemAdaptor(StatusNotifierItem* item)
      : QDBusAbstractAdaptor(item), item_(item) {
    connect(item, &StatusNotifierItem::newIcon, this, &StatusNotifierItemAdaptor::NewIcon);
    connect(item, &StatusNotifierItem::newTitle, this, &StatusNotifierItemAdaptor::NewTitle);
    connect(item, &StatusNotifierItem::newToolTip, this, &StatusNotifierItemAdaptor::NewToolTip);
  }
  QString category() const { return QStringLiteral("ApplicationStatus"); }
  QString id() const { return QStringLiteral("Vodivuri"); }
  QString title() const { return item_->title(); }
  QString status() const { return QStringLiteral("Active"); }
  int windowId() const { return 0; }
  // The pictures are the program's own; a theme name could draw another.
  QString iconName() const { return {}; }
  Pixmaps iconPixmap() const { return item_->pixmaps(); }
  QString empty() const { return {}; }
  Pixmaps noPixmaps() const { return {}; }
  ToolTip toolTip() const { return {QString(), {}, item_->title(), QString()}; }
  bool itemIsMenu() const { return false; }
  QDBusObjectPath menu() const { return QDBusObjectPath(QString::fromLatin1(kMenuPath)); }

 public slots:
  void Activate(int, int) { item_->activate(); }
  void SecondaryActivate(int, int) {}
  void ContextMenu(int, int) { item_->contextMenu(); }
  void Scroll(int, const QString&) {}
  void ProvideXdgActivationToken(const QString&) {}

 signals:
  void NewTitle();
  void NewIcon();
  void NewAttentionIcon();
  void NewOverlayIcon();
  void NewToolTip();
  void NewStatus(const QString& status);

 private:
  StatusNotifierItem* item_;
};

StatusNotifierItem::StatusNotifierItem(QDBusConnection bus, toolkit::MenuEntry& menu,
                                       const toolkit::MenuEntry* defaultEntry, Handlers handlers)
    : bus_(std::move(bus)), handlers_(std::move(handlers)) {
  registerTypes();
  menu_ = std::make_unique<DBusMenu>(menu, defaultEntry, handlers_.menuChosen);
  new StatusNotifierItemAdaptor(this);
  static std::atomic<int> instances{0};
  service_ = QStringLiteral("org.kde.StatusNotifierItem-%1-%2")
                 .arg(QCoreApplication::applicationPid())
                 .arg(++instances);
  watcher_.setConnection(bus_);
  watcher_.addWatchedService(QString::fromLatin1(kWatcherService));
  watcher_.setWatchMode(QDBusServiceWatcher::WatchForRegistration);
  // A panel that restarts forgets its items: tell the new one.
  connect(&watcher_, &QDBusServiceWatcher::serviceRegistered, this,
          [this] { registerWithWatcher(); });
}

StatusNotifierItem::~StatusNotifierItem() {
  withdraw();
}

void StatusNotifierItem::withdraw() {
  if (!published_) return;
  published_ = false;
  menu_->unexport();
  bus_.unregisterObject(QString::fromLatin1(kItemPath));
  // The watcher drops the item when its name goes.
  bus_.unregisterService(service_);
}

bool StatusNotifierItem::publish() {
  if (published_) return true;
  if (!bus_.isConnected()) return false;
  if (!bus_.registerService(service_)) {
    say(QStringLiteral("no se pudo tomar el nombre %1 en el bus de sesión: %2")
            .arg(service_, bus_.lastError().message()));
    return false;
  }
  if (!bus_.registerObject(QString::fromLatin1(kItemPath), this, QDBusConnection::ExportAdaptors) ||
      !menu_->exportOn(bus_, QString::fromLatin1(kMenuPath))) {
    say(QStringLiteral("no se pudo publicar el icono en el bus de sesión: %1")
            .arg(bus_.lastError().message()));
    bus_.unregisterObject(QString::fromLatin1(kItemPath));
    bus_.unregisterService(service_);
    return false;
  }
  published_ = true;
  registerWithWatcher();
  return true;
}

void StatusNotifierItem::registerWithWatcher() {
  if (!published_) return;
  QDBusMessage call = QDBusMessage::createMethodCall(
      QString::fromLatin1(kWatcherService), QStringLiteral("/StatusNotifierWatcher"),
      QString::fromLatin1(kWatcherService), QStringLiteral("RegisterStatusNotifierItem"));
  call << service_;
  auto* pending = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
  connect(pending, &QDBusPendingCallWatcher::finished, this, [pending] {
    pending->deleteLater();
    const QDBusPendingReply<> reply = *pending;
    if (reply.isError()) {
      say(QStringLiteral("el área de notificación no aceptó el icono: %1")
              .arg(reply.error().message()));
    }
  });
}

void StatusNotifierItem::setIcon(const QIcon& icon) {
  pixmaps_.clear();
  for (const int size : kIconSizes) {
    const QPixmap picture = icon.pixmap(size, size);
    if (picture.isNull()) continue;
    QImage image = picture.toImage();
    if (image.width() != size || image.height() != size) {
      image = image.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
    pixmaps_.append(toPixmap(image));
  }
  emit newIcon();
}

void StatusNotifierItem::setTitle(const QString& title) {
  if (title == title_) return;
  title_ = title;
  emit newTitle();
  emit newToolTip();
}

// Both from the loop: the D-Bus call is answered before windows open.
void StatusNotifierItem::activate() {
  QTimer::singleShot(0, this, [this] {
    if (handlers_.activate) handlers_.activate();
  });
}

void StatusNotifierItem::contextMenu() {
  QTimer::singleShot(0, this, [this] {
    if (handlers_.contextMenu) handlers_.contextMenu();
  });
}

}  // namespace vodivuri::qt::sni

#include "status_notifier_item.moc"
