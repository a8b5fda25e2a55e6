// The Qt host's notification-area icon: a StatusNotifierItem with its menu
// exported where the desktop has a StatusNotifierWatcher, else a
// QSystemTrayIcon (XEmbed); either way its activations reach the receiver
// control as the mouse message numbers it decodes. And its notifications,
// through the desktop's notification service where it has one.
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>
#include <QUrl>
#include <cstdio>

#include "frontend/qt/qt_host.hpp"

namespace vodivuri::qt {

namespace {

// Where a tray has no picture of its own, a plain square keeps it reachable.
QIcon fallbackTrayIcon() {
  QPixmap square(32, 32);
  square.fill(QColor(0, 0, 160));
  QPainter painter(&square);
  painter.setPen(Qt::white);
  painter.drawRect(square.rect().adjusted(0, 0, -1, -1));
  return QIcon(square);
}

// The program's picture for the notification service: its file when the
// assets have it, else its name in the icon theme.
QString notificationIcon(const QString& assetsFolder) {
  const QFileInfo file(QDir(assetsFolder).filePath("vodivuri.png"));
  if (file.isFile()) return QUrl::fromLocalFile(file.absoluteFilePath()).toString();
  return QStringLiteral("vodivuri");
}

constexpr int kRightButtonDown = 0x204;
constexpr int kLeftDoubleClick = 0x203;

}  // namespace

bool QtHost::trayAvailable() const {
  const bool available = const_cast<QtHost*>(this)->trayWatch().current() != sni::TrayKind::None;
  if (!available && !noTrayNoted_) {
    noTrayNoted_ = true;
    std::fputs("vodivuri: no hay área de notificación; la ventana queda visible\n", stderr);
  }
  return available;
}

void QtHost::useTrayBus(const QDBusConnection& bus) {
  trayWatch_ = std::make_unique<sni::TrayWatch>(bus);
  QObject::connect(trayWatch_.get(), &sni::TrayWatch::changed, &context_, [this] {
    for (auto& [receiver, tray] : trays_) placeTray(tray);
  });
}

sni::TrayWatch& QtHost::trayWatch() {
  if (!trayWatch_) useTrayBus(QDBusConnection::sessionBus());
  return *trayWatch_;
}

void QtHost::addTrayIcon(const toolkit::TrayIcon& icon) {
  if (quitting_ || icon.receiver == nullptr) return;
  Tray& tray = trays_[icon.receiver];
  tray.model = icon;
  placeTray(tray);
}

// The icon in whatever the desktop offers now; made again when that changes
// (a panel that comes after the program at log-in, or leaves).
void QtHost::placeTray(Tray& tray) {
  const sni::TrayKind kind = trayWatch().current();
  const bool statusNotifier = kind == sni::TrayKind::StatusNotifier && tray.model.menu != nullptr;
  const bool fresh = statusNotifier ? !tray.item : (!tray.icon || tray.kind != kind);
  if (fresh) {
    dropTrayObjects(tray);
    if (statusNotifier) {
      makeStatusNotifierItem(tray);
    } else {
      makeSystemTrayIcon(tray);
    }
    tray.kind = kind;
  }
  const QPixmap picture = this->picture(tray.model.icon);
  const QIcon icon = picture.isNull() ? fallbackTrayIcon() : QIcon(picture);
  const QString tooltip = QString::fromStdString(tray.model.tooltip);
  if (tray.item) {
    tray.item->setIcon(icon);
    tray.item->setTitle(tooltip);
    // Without the bus's consent there is still the icon Qt makes.
    if (!tray.item->publish()) {
      tray.item.reset();
      makeSystemTrayIcon(tray);
      tray.kind = sni::TrayKind::XEmbed;
    }
  }
  if (tray.icon) {
    tray.icon->setIcon(icon);
    tray.icon->setToolTip(tooltip);
    tray.icon->show();
  }
}

void QtHost::makeSystemTrayIcon(Tray& tray) {
  tray.icon = std::make_unique<QSystemTrayIcon>();
  const toolkit::Control* receiver = tray.model.receiver;
  // Queued: the icon's window must have finished its mouse event before a
  // menu, a question or the end of the program starts from it.
  QObject::connect(
      tray.icon.get(), &QSystemTrayIcon::activated, &context_,
      [this, receiver](QSystemTrayIcon::ActivationReason reason) {
        trayActivated(receiver, reason);
      },
      Qt::QueuedConnection);
  QObject::connect(
      tray.icon.get(), &QSystemTrayIcon::messageClicked, &context_,
      [this, receiver] { trayMessage(receiver, toolkit::kTrayNotificationClick); },
      Qt::QueuedConnection);
}

// The host's left click is the double click an XEmbed icon needs; the menu
// is the host's own drawing of the exported one. A host that asks for the
// menu instead gets the popup at the pointer, except on Wayland, where a
// client's popup cannot be placed and only the exported menu exists.
void QtHost::makeStatusNotifierItem(Tray& tray) {
  const toolkit::Control* receiver = tray.model.receiver;
  sni::StatusNotifierItem::Handlers handlers;
  handlers.activate = [this, receiver] { trayMessage(receiver, kLeftDoubleClick); };
  handlers.contextMenu = [this, receiver] {
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) return;
    trayMessage(receiver, kRightButtonDown);
  };
  handlers.menuChosen = [this](toolkit::MenuEntry& entry) {
    if (!quitting_) entry.userClick();
  };
  tray.item = std::make_unique<sni::StatusNotifierItem>(
      trayWatch().bus(), *tray.model.menu, tray.model.defaultEntry, std::move(handlers));
}

void QtHost::trayMenuChanged(const toolkit::Control& control) {
  for (auto& [receiver, tray] : trays_) {
    if (tray.item && tray.item->menu().holds(control)) tray.item->menu().changed();
  }
}

void QtHost::removeTrayIcon(const toolkit::TrayIcon& icon) {
  dropTray(icon.receiver);
}

// Off the desktop at once; the objects stay until the loops have unwound.
void QtHost::hideTray(Tray& tray) {
  if (tray.icon) tray.icon->hide();
  if (tray.item) tray.item->withdraw();
}

void QtHost::dropTrayObjects(Tray& tray) {
  if (tray.icon) {
    tray.icon->hide();
    tray.icon.release()->deleteLater();
  }
  // Its name and objects leave the bus at once; the watcher drops it.
  if (tray.item) {
    tray.item->withdraw();
    tray.item.release()->deleteLater();
  }
}

void QtHost::dropTray(const toolkit::Control* receiver) {
  const auto it = trays_.find(receiver);
  if (it == trays_.end()) return;
  dropTrayObjects(it->second);
  trays_.erase(it);
}

// A desktop notification where the session has a notification service (it
// needs no notification area); else the icon's own balloon.
void QtHost::trayNotification(const toolkit::TrayIcon& icon, const std::string& title,
                              const std::string& text) {
  if (quitting_) return;
  const toolkit::Control* receiver = icon.receiver;
  if (trays_.find(receiver) == trays_.end()) return;
  const QString summary = QString::fromStdString(title);
  const QString body = QString::fromStdString(text);
  DesktopNotifications& desktop = notifications();
  if (!desktop.available()) {
    showBalloon(receiver, summary, body);
    return;
  }
  // Queued like the icon's own clicks: the window shows from the loop.
  desktop.show(
      summary, body,
      [this, receiver] {
        QTimer::singleShot(0, &context_, [this, receiver] {
          trayMessage(receiver, toolkit::kTrayNotificationClick);
        });
      },
      [this, receiver, summary, body] { showBalloon(receiver, summary, body); },
      [this, receiver] {
        QTimer::singleShot(0, &context_, [this, receiver] {
          trayMessage(receiver, toolkit::kTrayNotificationCancel);
        });
      });
}

void QtHost::showBalloon(const toolkit::Control* receiver, const QString& title,
                         const QString& text) {
  if (quitting_) return;
  const auto it = trays_.find(receiver);
  if (it == trays_.end() || !it->second.icon || !it->second.icon->isVisible()) {
    std::fputs(
        "vodivuri: no se pudo mostrar el aviso: no hay servicio de notificaciones ni "
        "icono visible\n",
        stderr);
    return;
  }
  it->second.icon->showMessage(title, text, QSystemTrayIcon::Information);
}

void QtHost::useNotificationBus(const QDBusConnection& bus) {
  notifications_ = std::make_unique<DesktopNotifications>(bus, notificationIcon(assets_.folder()));
}

DesktopNotifications& QtHost::notifications() {
  if (!notifications_) useNotificationBus(QDBusConnection::sessionBus());
  return *notifications_;
}

void QtHost::trayActivated(const toolkit::Control* receiver,
                           QSystemTrayIcon::ActivationReason reason) {
  if (reason == QSystemTrayIcon::Context) trayMessage(receiver, kRightButtonDown);
  if (reason == QSystemTrayIcon::DoubleClick) trayMessage(receiver, kLeftDoubleClick);
}

// The receiver gets the mouse message number as the x of a mouse move.
void QtHost::trayMessage(const toolkit::Control* receiver, int message) {
  if (quitting_) return;
  const auto it = trays_.find(receiver);
  if (it == trays_.end()) return;
  it->second.model.receiver->userMouseMove(static_cast<double>(message) * twipsPerPixelX(), 0);
}

}  // namespace vodivuri::qt
