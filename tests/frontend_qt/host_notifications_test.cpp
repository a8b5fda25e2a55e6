// The Qt host's tray notification: a desktop notification where the session
// has the service (a click on it shows the main window), else the icon's
// balloon, else a line on standard error.
#include <gtest/gtest.h>
#include <QApplication>
#include <QWidget>

#include "notification_daemon.hpp"
#include "program_on_qt.hpp"
#include "qt_support.hpp"

namespace vodivuri::qt {
namespace {

using testing::NotificationDaemon;
using testing::spinUntil;

const std::string kText =
    "El sistema se reiniciará a las 07:31. Para evitarlo, desmarque la acción en la ventana de "
    "Vodivuri.";

class HostNotifications : public MainWindowOnQt {
 protected:
  toolkit::TrayIcon icon() { return {"Vodivuri", "vodivuri.ico", &main.Receptor}; }
  static bool balloonShown() {
    for (const QWidget* w : QApplication::topLevelWidgets()) {
      if (w->isVisible() && QString(w->metaObject()->className()) == "QBalloonTip") return true;
    }
    return false;
  }
};

TEST_F(HostNotifications, GoToTheNotificationServiceAndAClickShowsTheWindow) {
  NotificationDaemon daemon;
  host.useNotificationBus(daemon.connection());
  main.hide();
  host.trayNotification(icon(), "Vodivuri", kText);
  ASSERT_TRUE(spinUntil([&] { return daemon.notifyCalls().size() == 1; }));
  const auto call = daemon.notifyCalls().front();
  EXPECT_EQ(call.summary, "Vodivuri");
  EXPECT_EQ(call.body, QString::fromStdString(kText));
  // The program's own picture from its assets, else its theme name.
  EXPECT_EQ(call.icon, "vodivuri");
  EXPECT_FALSE(balloonShown());
  ASSERT_TRUE(spinUntil([&] {
    daemon.actionInvoked(1, "default");  // ignored until the answer has come
    return main.visible();
  }));
  EXPECT_EQ(main.mnuMax.caption(), "Minimizar");
}

// Qt draws the balloon only next to a docked icon (on a display with a tray;
// the end-to-end test sees it there); without one, nothing is said at least.
TEST_F(HostNotifications, WithoutTheServiceTheIconShowsABalloon) {
  NotificationDaemon busAlone(false);
  host.useNotificationBus(busAlone.connection());
  ::testing::internal::CaptureStderr();
  host.trayNotification(icon(), "Vodivuri", kText);
  if (QSystemTrayIcon::isSystemTrayAvailable()) {
    EXPECT_TRUE(spinUntil([] { return balloonShown(); }, 2000));
  }
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

TEST_F(HostNotifications, NeitherServiceNorIconIsSaidOnStandardError) {
  NotificationDaemon busAlone(false);
  host.useNotificationBus(busAlone.connection());
  host.trayIconOf(main.Receptor)->hide();
  ::testing::internal::CaptureStderr();
  host.trayNotification(icon(), "Vodivuri", kText);
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("no se pudo mostrar el aviso"), std::string::npos) << said;
}

}  // namespace
}  // namespace vodivuri::qt
