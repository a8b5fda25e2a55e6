// The icon as a StatusNotifierItem, its dbusmenu and the tray watch, against
// python-dbusmock standing in for a desktop's StatusNotifierWatcher on a
// private session bus; the test reads and clicks them as a panel does.
#include <gtest/gtest.h>

#include <QDBusArgument>
#include <QDBusVariant>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QSignalSpy>
#include <QUuid>
#include <algorithm>
#include <vector>

#include "frontend/qt/sni/dbus_menu.hpp"
#include "frontend/qt/sni/status_notifier_item.hpp"
#include "frontend/qt/sni/tray_watch.hpp"
#include "frontend/testhost/test_host.hpp"
#include "platform/testing/doubles.hpp"
#include "private_bus.hpp"

namespace vodivuri::qt::sni {
namespace {

using qt::testing::PrivateBus;
using qt::testing::spinUntil;
using toolkit::MenuEntry;

constexpr const char* kWatcher = "org.kde.StatusNotifierWatcher";

struct MenuWindow : toolkit::Form {
  explicit MenuWindow(toolkit::Host& host) : Form(host, "frmMenu", {}) {}
  MenuEntry root{*this, "mnuRoot", "Opciones", nullptr, 0, false};
  MenuEntry show{*this, "mnuMax", "Maximizar", &root};
  MenuEntry greyed{*this, "mnuAyuda", "Ayuda", &root};
  MenuEntry hidden{*this, "mnuOculta", "Oculta", &root, 0, false};
  MenuEntry sep{*this, "mnuSep", "-", &root};
  MenuEntry sub{*this, "mnuInicio", "Ejecutar al iniciar windows", &root};
  MenuEntry yes{*this, "mnuSi", "Si", &sub, 1};
  MenuEntry no{*this, "mnuNo", "No", &sub};
};

// A desktop's watcher: records the items registered, says whether a host is there.
class FakeWatcher {
 public:
  explicit FakeWatcher(PrivateBus& bus) : bus_(bus) {}
  ~FakeWatcher() { stop(); }
  void start(bool hostRegistered) {
    bus_.startMock(mock_, {kWatcher, "/StatusNotifierWatcher", kWatcher}, kWatcher);
    call("AddMethod", {kWatcher, "RegisterStatusNotifierItem", "s", "", ""});
    call("AddProperty", {kWatcher, "IsStatusNotifierHostRegistered", hostRegistered});
  }
  void stop() { bus_.stopMock(mock_); }
  // A panel comes: the property and the signal, as a real watcher sends them.
  void hostArrives() {
    QDBusMessage set = QDBusMessage::createMethodCall(kWatcher, "/StatusNotifierWatcher",
                                                      "org.freedesktop.DBus.Properties", "Set");
    set << QString(kWatcher) << QString("IsStatusNotifierHostRegistered")
        << QVariant::fromValue(QDBusVariant(true));
    bus_.connection().call(set, QDBus::Block, 5000);
    call("EmitSignal", {kWatcher, "StatusNotifierHostRegistered", "", QVariantList{}});
  }
  std::vector<QString> registered() {
    std::vector<QString> out;
    for (const QVariantList& args :
         bus_.methodCalls(kWatcher, "/StatusNotifierWatcher", "RegisterStatusNotifierItem")) {
      out.push_back(args.value(0).toString());
    }
    return out;
  }

 private:
  QDBusMessage call(const QString& method, const QVariantList& args) {
    return bus_.mockCall(kWatcher, "/StatusNotifierWatcher", method, args);
  }
  PrivateBus& bus_;
  QProcess mock_;
};

class StatusNotifier : public ::testing::Test {
 protected:
  StatusNotifier() {
    registerTypes();
    programName_ = QUuid::createUuid().toString();
    program_ = QDBusConnection::connectToBus(bus_.address(), programName_);
    window_.load();
    window_.greyed.setEnabled(false);
  }
  ~StatusNotifier() override { QDBusConnection::disconnectFromBus(programName_); }

  // A call from the panel's side, answered while the loop runs.
  QDBusMessage panelCall(const QString& service, const QString& path, const QString& interface,
                         const QString& method, const QVariantList& args = {}) {
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, method);
    call.setArguments(args);
    return bus_.connection().call(call, QDBus::BlockWithGui, 5000);
  }
  QVariant itemProperty(const StatusNotifierItem& item, const QString& name) {
    const QDBusMessage reply =
        panelCall(item.serviceName(), kItemPath, "org.freedesktop.DBus.Properties", "Get",
                  {"org.kde.StatusNotifierItem", name});
    return reply.arguments().value(0).value<QDBusVariant>().variant();
  }
  MenuLayout menuLayout(const StatusNotifierItem& item) {
    const QDBusMessage reply = panelCall(item.serviceName(), kMenuPath, "com.canonical.dbusmenu",
                                         "GetLayout", {0, -1, QStringList{}});
    MenuLayout layout;
    reply.arguments().value(1).value<QDBusArgument>() >> layout;
    return layout;
  }
  QDBusMessage click(const StatusNotifierItem& item, int id) {
    return panelCall(item.serviceName(), kMenuPath, "com.canonical.dbusmenu", "Event",
                     {id, "clicked", QVariant::fromValue(QDBusVariant(0)), 0u});
  }

  PrivateBus bus_;
  QString programName_;
  QDBusConnection program_{QString()};
  platform::testing::FakeClock clock_{{{2026, 12, 7}, 7, 29, 58}};
  testhost::TestHost host_{clock_};
  MenuWindow window_{host_};
};

TEST_F(StatusNotifier, ThePanelReadsTheMenuAndItsClicksRunOnlyEnabledEntries) {
  std::vector<MenuEntry*> chosen;
  StatusNotifierItem item(program_, window_.root, &window_.show,
                          {nullptr, nullptr, [&](MenuEntry& e) { chosen.push_back(&e); }});
  ASSERT_TRUE(item.publish());

  const MenuLayout layout = menuLayout(item);
  ASSERT_EQ(layout.children.size(), 4);  // the hidden entry is not there
  const MenuLayout& show = layout.children[0];
  const MenuLayout& greyed = layout.children[1];
  EXPECT_EQ(show.properties.value("label").toString(), "Maximizar");
  EXPECT_FALSE(show.properties.contains("enabled"));
  EXPECT_EQ(greyed.properties.value("enabled"), QVariant(false));
  EXPECT_EQ(layout.children[2].properties.value("type").toString(), "separator");
  const MenuLayout& sub = layout.children[3];
  EXPECT_EQ(sub.properties.value("children-display").toString(), "submenu");
  ASSERT_EQ(sub.children.size(), 2);
  EXPECT_EQ(sub.children[0].properties.value("toggle-state").toInt(), 1);
  EXPECT_FALSE(sub.children[1].properties.contains("toggle-state"));

  // A click is answered first, then runs the entry once.
  EXPECT_EQ(click(item, show.id).type(), QDBusMessage::ReplyMessage);
  ASSERT_TRUE(spinUntil([&] { return !chosen.empty(); }));
  EXPECT_EQ(chosen, std::vector<MenuEntry*>{&window_.show});
  // A greyed entry, a submenu and an id that names nothing choose nothing.
  click(item, greyed.id);
  click(item, sub.id);
  click(item, 999);
  spinUntil([] { return false; }, 200);
  EXPECT_EQ(chosen.size(), 1u);
  // An entry greyed after the panel read the menu is not run either.
  window_.no.setEnabled(false);
  click(item, sub.children[1].id);
  spinUntil([] { return false; }, 200);
  EXPECT_EQ(chosen.size(), 1u);
}

TEST_F(StatusNotifier, ChangesReachThePanelAsOneLayoutUpdateWithTheSameIds) {
  StatusNotifierItem item(program_, window_.root, nullptr, {});
  ASSERT_TRUE(item.publish());
  const MenuLayout before = menuLayout(item);
  QSignalSpy updates(&item.menu(), &DBusMenu::layoutUpdated);
  window_.show.setCaption("Minimizar");
  item.menu().changed();
  window_.hidden.setVisible(true);
  item.menu().changed();
  ASSERT_TRUE(spinUntil([&] { return updates.count() > 0; }));
  spinUntil([] { return false; }, 100);
  EXPECT_EQ(updates.count(), 1);
  const MenuLayout after = menuLayout(item);
  ASSERT_EQ(after.children.size(), 5);
  EXPECT_EQ(after.children[0].id, before.children[0].id);
  EXPECT_EQ(after.children[0].properties.value("label").toString(), "Minimizar");
  EXPECT_EQ(after.children[2].properties.value("label").toString(), "Oculta");
}

TEST_F(StatusNotifier, TheItemSaysWhoItIsAndActivateReachesTheHost) {
  FakeWatcher watcher(bus_);
  watcher.start(true);
  int activated = 0, menus = 0;
  StatusNotifierItem item(program_, window_.root, nullptr,
                          {[&] { ++activated; }, [&] { ++menus; }, nullptr});
  QImage picture(32, 32, QImage::Format_ARGB32);
  picture.fill(Qt::red);
  item.setIcon(QIcon(QPixmap::fromImage(picture)));
  ASSERT_TRUE(item.publish());
  ASSERT_TRUE(spinUntil([&] { return !watcher.registered().empty(); }));
  EXPECT_EQ(watcher.registered(), std::vector<QString>{item.serviceName()});

  EXPECT_EQ(itemProperty(item, "Id").toString(), "Vodivuri");
  EXPECT_EQ(itemProperty(item, "Title").toString(), "Vodivuri");
  EXPECT_EQ(itemProperty(item, "Menu").value<QDBusObjectPath>().path(), kMenuPath);
  Pixmaps pixmaps;
  itemProperty(item, "IconPixmap").value<QDBusArgument>() >> pixmaps;
  ASSERT_FALSE(pixmaps.isEmpty());
  for (const Pixmap& p : pixmaps) EXPECT_EQ(p.argb.size(), p.width * p.height * 4);
  EXPECT_TRUE(
      std::any_of(pixmaps.begin(), pixmaps.end(), [](const Pixmap& p) { return p.width == 16; }));
  EXPECT_TRUE(
      std::any_of(pixmaps.begin(), pixmaps.end(), [](const Pixmap& p) { return p.width == 64; }));

  panelCall(item.serviceName(), kItemPath, "org.kde.StatusNotifierItem", "Activate", {0, 0});
  ASSERT_TRUE(spinUntil([&] { return activated == 1; }));
  panelCall(item.serviceName(), kItemPath, "org.kde.StatusNotifierItem", "ContextMenu", {0, 0});
  ASSERT_TRUE(spinUntil([&] { return menus == 1; }));
  EXPECT_EQ(activated, 1);

  // Withdrawn, its name leaves the bus, so the panel drops the icon.
  item.withdraw();
  EXPECT_TRUE(spinUntil([&] {
    return !bus_.connection().interface()->isServiceRegistered(item.serviceName()).value();
  }));
}

TEST_F(StatusNotifier, APanelThatComesLaterIsFoundAndGetsTheIcon) {
  TrayWatch watch(program_);
  EXPECT_EQ(watch.current(), TrayKind::None);
  StatusNotifierItem item(program_, window_.root, nullptr, {});
  ASSERT_TRUE(item.publish());
  QSignalSpy changes(&watch, &TrayWatch::changed);

  // A watcher without a host yet (the panel still starting) is no tray.
  FakeWatcher watcher(bus_);
  watcher.start(false);
  ASSERT_TRUE(spinUntil([&] { return !watcher.registered().empty(); }));
  EXPECT_EQ(watcher.registered(), std::vector<QString>{item.serviceName()});
  spinUntil([] { return false; }, 200);
  EXPECT_EQ(watch.current(), TrayKind::None);

  watcher.hostArrives();
  ASSERT_TRUE(spinUntil([&] { return watch.current() == TrayKind::StatusNotifier; }));
  EXPECT_GE(changes.count(), 1);

  // The panel goes away (crashed, or the session ends): no tray again.
  watcher.stop();
  EXPECT_TRUE(spinUntil([&] { return watch.current() == TrayKind::None; }));
}

}  // namespace
}  // namespace vodivuri::qt::sni
