// Desktop notifications against dbusmock's notification daemon on a private
// bus: what is sent, which clicks come back, and the balloon when no service
// takes the notification.
#include <gtest/gtest.h>
#include <QApplication>

#include <memory>

#include "frontend/qt/desktop_notifications.hpp"
#include "notification_daemon.hpp"
#include "qt_support.hpp"

namespace vodivuri::qt {
namespace {

using testing::NotificationDaemon;
using testing::spinUntil;

const QString kText = QStringLiteral(
    "El sistema se apagará a las 10:59. Para evitarlo, desmarque la acción en la ventana de "
    "Vodivuri.");
// The daemon numbers the notifications of each test 42, 43, ...
const QString kNumbered =
    QStringLiteral("ret = 41 + sum(1 for c in self.call_log if c[1] == 'Notify')");

class DesktopNotificationsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    testing::application();
    daemon_ = std::make_unique<NotificationDaemon>();
  }
  static void TearDownTestSuite() { daemon_.reset(); }
  void SetUp() override {
    daemon_->replaceNotify(kNumbered);
    daemon_->clearCalls();
  }

  // Sends one notification and waits for the daemon's answer.
  void send() {
    const int answered = answers();
    desktop.show(
        "Vodivuri", kText, [this] { ++clicks; }, [this] { ++failures; });
    ASSERT_TRUE(spinUntil([&] { return answers() > answered; }));
  }
  int answers() const { return static_cast<int>(desktop.open()) + failures; }
  // A round trip to the daemon after its signal: the signal has come by then.
  void letSignalsArrive() {
    daemon_->notifyCalls();
    spinUntil([] { return false; }, 50);
  }

  DesktopNotifications desktop{daemon_->connection(), "file:///opt/vodivuri.png"};
  int clicks = 0, failures = 0;
  static inline std::unique_ptr<NotificationDaemon> daemon_;
};

TEST_F(DesktopNotificationsTest, SendsTheTextWithTheProgramsNameIconAndAClickAction) {
  EXPECT_TRUE(desktop.available());
  send();
  const auto calls = daemon_->notifyCalls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].appName, "Vodivuri");
  EXPECT_EQ(calls[0].replacesId, 0u);
  EXPECT_EQ(calls[0].icon, "file:///opt/vodivuri.png");
  EXPECT_EQ(calls[0].summary, "Vodivuri");
  EXPECT_EQ(calls[0].body, kText);
  ASSERT_EQ(calls[0].actions.size(), 2);
  EXPECT_EQ(calls[0].actions[0], "default");
  EXPECT_EQ(calls[0].timeout, -1);
  EXPECT_EQ(failures, 0);
  EXPECT_EQ(desktop.open(), 1u);
}

TEST_F(DesktopNotificationsTest, OnlyTheDefaultActionOfItsOwnNotificationIsAClick) {
  send();
  daemon_->actionInvoked(7, "default");  // another program's notification
  daemon_->actionInvoked(42, "reply");   // another action of ours
  letSignalsArrive();
  EXPECT_EQ(clicks, 0);
  daemon_->actionInvoked(42, "default");
  ASSERT_TRUE(spinUntil([&] { return clicks == 1; }));
  // Each notification reports its own clicks.
  send();
  daemon_->actionInvoked(43, "default");
  ASSERT_TRUE(spinUntil([&] { return clicks == 2; }));
}

TEST_F(DesktopNotificationsTest, ACancelButtonIsOfferedOnlyWithItsHandlerAndRunsIt) {
  send();
  EXPECT_EQ(daemon_->notifyCalls().back().actions.size(), 2) << "no handler, no button";
  int cancels = 0;
  const int answered = answers();
  desktop.show(
      "Vodivuri", kText, [this] { ++clicks; }, [this] { ++failures; }, [&] { ++cancels; });
  ASSERT_TRUE(spinUntil([&] { return answers() > answered; }));
  const auto actions = daemon_->notifyCalls().back().actions;
  ASSERT_EQ(actions.size(), 4);
  EXPECT_EQ(actions[2], "cancelar");
  EXPECT_EQ(actions[3], "Cancelar");
  daemon_->actionInvoked(42, "cancelar");  // the first one has no such button
  daemon_->actionInvoked(43, "cancelar");
  ASSERT_TRUE(spinUntil([&] { return cancels == 1; }));
  EXPECT_EQ(clicks, 0);
}

TEST_F(DesktopNotificationsTest, AClosedNotificationIsForgotten) {
  send();
  send();
  daemon_->closed(42);
  daemon_->closed(99);  // not ours: nothing to forget
  ASSERT_TRUE(spinUntil([&] { return desktop.open() == 1; }));
  daemon_->actionInvoked(42, "default");
  letSignalsArrive();
  EXPECT_EQ(clicks, 0);
  daemon_->actionInvoked(43, "default");
  ASSERT_TRUE(spinUntil([&] { return clicks == 1; }));
}

TEST_F(DesktopNotificationsTest, AServiceThatRefusesTheNotificationReportsAFailure) {
  daemon_->replaceNotify(
      "raise dbus.exceptions.DBusException('full', name='org.freedesktop.DBus.Error.Failed')");
  send();
  EXPECT_EQ(failures, 1);
  EXPECT_EQ(desktop.open(), 0u);
  EXPECT_EQ(daemon_->notifyCalls().size(), 1u);
}

TEST(DesktopNotificationsWithoutService, NoServiceOrNoBusIsNotAvailable) {
  testing::application();
  NotificationDaemon busAlone(false);
  EXPECT_FALSE(DesktopNotifications(busAlone.connection(), "vodivuri").available());
  const QDBusConnection none = QDBusConnection::connectToBus(QString("disabled:"), "none");
  DesktopNotifications offline(none, "vodivuri");
  EXPECT_FALSE(offline.available());
  // Sending there all the same fails, and says so.
  int failures = 0;
  offline.show(
      "Vodivuri", kText, [] {}, [&] { ++failures; });
  EXPECT_TRUE(spinUntil([&] { return failures == 1; }));
  QDBusConnection::disconnectFromBus("none");
}

}  // namespace
}  // namespace vodivuri::qt
