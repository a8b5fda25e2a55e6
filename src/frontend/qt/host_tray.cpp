// The Qt host's notification-area icon: a QSystemTrayIcon whose activations
// reach the receiver control as the mouse message numbers it decodes, and its
// notifications, through the desktop's notification service where it has one.
#include <QDir>
#include <QFileInfo>
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
  const bool available = QSystemTrayIcon::isSystemTrayAvailable();
  if (!available && !noTrayNoted_) {
    noTrayNoted_ = true;
    std::fputs("vodivuri: no hay área de notificación; la ventana queda visible\n", stderr);
  }
  return available;
}

void QtHost::addTrayIcon(const toolkit::TrayIcon& icon) {
  if (quitting_ || icon.receiver == nullptr) return;
  Tray& tray = trays_[icon.receiver];
  if (!tray.icon) {
    tray.receiver = icon.receiver;
    tray.icon = std::make_unique<QSystemTrayIcon>();
    const toolkit::Control* receiver = icon.receiver;
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
  const QPixmap picture = this->picture(icon.icon);
  tray.icon->setIcon(picture.isNull() ? fallbackTrayIcon() : QIcon(picture));
  tray.icon->setToolTip(QString::fromStdString(icon.tooltip));
  tray.icon->show();
}

void QtHost::removeTrayIcon(const toolkit::TrayIcon& icon) {
  dropTray(icon.receiver);
}

void QtHost::dropTray(const toolkit::Control* receiver) {
  const auto it = trays_.find(receiver);
  if (it == trays_.end()) return;
  it->second.icon->hide();
  it->second.icon.release()->deleteLater();
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
      [this, receiver, summary, body] { showBalloon(receiver, summary, body); });
}

void QtHost::showBalloon(const toolkit::Control* receiver, const QString& title,
                         const QString& text) {
  if (quitting_) return;
  const auto it = trays_.find(receiver);
  if (it == trays_.end() || !it->second.icon->isVisible()) {
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
  it->second.receiver->userMouseMove(static_cast<double>(message) * twipsPerPixelX(), 0);
}

}  // namespace vodivuri::qt
