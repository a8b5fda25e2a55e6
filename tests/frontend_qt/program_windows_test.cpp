// The whole program on the Qt host with its secondary windows: where they
// open at every opening, the tray menu over them, and quitting from inside
// their loops, menus and questions.
#include <gtest/gtest.h>

#include <QTest>
#include <algorithm>
#include <optional>
#include <span>

#include "program_on_qt.hpp"
#include "qt_support.hpp"

namespace vodivuri::qt {
namespace {

using testing::chooseInMenu;
using testing::pressInMessageBox;
using testing::UserScript;
using testing::waitUntil;

class ProgramWindowsOnQt : public MainWindowOnQt {
 protected:
  // A script stuck in a window that never came ends every loop, so that the
  // test fails instead of waiting for ever.
  ProgramWindowsOnQt() {
    watchdog_.setSingleShot(true);
    watchdog_.callOnTimeout([this] {
      ADD_FAILURE() << "the windows did not come as the script expected";
      host.quit();
    });
    watchdog_.start(10000);
  }

  long writesOf(const std::string& name) const {
    return std::count_if(registry.writes.begin(), registry.writes.end(),
                         [&](const auto& w) { return w.name == name; });
  }
  // The icon's right button, from an event of its own.
  void openTrayMenu() {
    QSystemTrayIcon* tray = host.trayIconOf(main.Receptor);
    ASSERT_NE(tray, nullptr);
    QTimer::singleShot(0, tray, [tray] { emit tray->activated(QSystemTrayIcon::Context); });
  }
  QTimer watchdog_;
  // Esc on a loaded form's window, once it is shown.
  UserScript::Step escapeFrom(toolkit::Form& form) {
    return [this, &form] {
      FormWidget* window = host.widgetOf(form);
      if (window == nullptr || !window->isVisible()) return false;
      QTest::keyClick(window, Qt::Key_Escape);
      return true;
    };
  }
};

TEST_F(ProgramWindowsOnQt, SalirFromTheTrayMenuOverHelpEndsOnceWithThePlaceStoredAndNoIcon) {
  registry.writes.clear();
  QStringList greyed;
  UserScript user;
  user.then([&] { return program.frmAyuda.visible() && (openTrayMenu(), true); })
      .then(chooseInMenu("Salir", &greyed))
      .then(pressInMessageBox("Sí"));
  main.mnuAyuda.userClick();  // returns once the program ends
  EXPECT_TRUE(user.finished());
  EXPECT_TRUE(host.quitting());
  EXPECT_EQ(greyed, (QStringList{"Maximizar", "Ayuda", "Acerca de..."}));
  EXPECT_EQ(writesOf("Left"), 1);
  EXPECT_EQ(writesOf("Top"), 1);
  EXPECT_EQ(host.trayIconOf(main.Receptor), nullptr);
  EXPECT_TRUE(power.requests.empty());
}

TEST_F(ProgramWindowsOnQt, ASessionEndDuringAQuestionStoresThePlaceOnceAndAsksNothingMore) {
  registry.writes.clear();
  UserScript user;
  user.then([&] { return program.frmAcercaDe.visible() && (openTrayMenu(), true); })
      .then(chooseInMenu("Apagar el sistema"))
      .then([&] { return testing::openMessageBox() != nullptr && (host.endSession(), true); });
  main.mnuAcercaDe.userClick();
  EXPECT_TRUE(user.finished());
  EXPECT_TRUE(host.quitting());
  EXPECT_EQ(writesOf("Left"), 1);
  EXPECT_EQ(writesOf("Top"), 1);
  EXPECT_TRUE(power.requests.empty());  // the question was never answered
  EXPECT_EQ(testing::openMessageBox(), nullptr);
}

TEST_F(ProgramWindowsOnQt, ANoFromTheTrayMenuLeavesTheCalendarOpenAndTheProgramRunning) {
  main.chApagar.setValue(1);
  main.opSelFecha.select();
  UserScript user;
  user.then([&] { return program.Calen.visible() && (openTrayMenu(), true); })
      .then(chooseInMenu("Apagar el sistema"))
      .then(pressInMessageBox("No"))
      .then([&] { return program.Calen.visible() && testing::openMessageBox() == nullptr; })
      .then(escapeFrom(program.Calen));
  main.cmdCalendario.userClick();
  EXPECT_TRUE(user.finished());
  EXPECT_FALSE(host.quitting());
  EXPECT_FALSE(program.Calen.loaded());
  EXPECT_TRUE(power.requests.empty());
}

// The places of the information windows by screen width, in twips.
struct Place {
  int screenWidth, left, top;
};
constexpr Place kAboutPlaces[] = {{1024, 5025, 3645}, {800, 3360, 2445}, {640, 1795, 1245}};
constexpr Place kHelpPlaces[] = {{1024, 5000, 2730}, {800, 3300, 1290}, {640, 1930, 0}};

TEST_F(ProgramWindowsOnQt, SecondaryWindowsOpenAtTheirPlacesAtEveryOpening) {
  if (!testing::onRealDisplay()) GTEST_SKIP() << "only a real display places windows";
  const int width = host.screen().widthPixels;
  auto placeIn = [&](std::span<const Place> table) -> std::optional<QPoint> {
    for (const Place& p : table) {
      if (p.screenWidth == width) return QPoint(p.left / 15, p.top / 15);
    }
    return std::nullopt;
  };
  main.chApagar.setValue(1);
  main.opSelFecha.select();
  const QPoint calendar((*main.left() + 2400) / 15, (*main.top() + 3630) / 15);
  struct Opening {
    toolkit::Form& form;
    std::optional<QPoint> place;
    std::function<void()> open;
  };
  const Opening openings[] = {
      {program.Calen, calendar, [&] { main.cmdCalendario.userClick(); }},
      {program.frmAcercaDe, placeIn(kAboutPlaces), [&] { main.mnuAcercaDe.userClick(); }},
      {program.frmAyuda, placeIn(kHelpPlaces), [&] { main.mnuAyuda.userClick(); }},
  };
  for (const Opening& o : openings) {
    for (int time = 1; time <= 2; ++time) {
      SCOPED_TRACE(o.form.name() + " opening " + std::to_string(time));
      QRect seen;
      UserScript user;
      user.then([&] {
            FormWidget* window = host.widgetOf(o.form);
            if (window == nullptr || !QTest::qWaitForWindowExposed(window)) return false;
            QTest::qWait(50);
            seen = window->frameGeometry();
            return true;
          })
          .then(escapeFrom(o.form));
      o.open();
      main.mnuMax.setEnabled(true);  // as the clock's next tick does
      main.mnuAyuda.setEnabled(true);
      main.mnuAcercaDe.setEnabled(true);
      ASSERT_TRUE(user.finished());
      if (o.place) {
        EXPECT_EQ(seen.topLeft(), *o.place);
      }
      // Help's outer size less a fixed frame: 3-pixel edges, a 22-pixel top.
      if (&o.form == &program.frmAyuda) {
        EXPECT_EQ(seen.size(), QSize(355 - 6, 486 - 25));
      }
    }
  }
}

TEST_F(ProgramWindowsOnQt, OptionButtonsStandOnTheirOwnBlue) {
  testing::settle();
  const QImage image = host.widgetOf(main)->grab().toImage();
  for (const toolkit::Control* option : {&main.opSelFecha, &main.opSiempre}) {
    const QRect r = widget(*option)->geometry();
    SCOPED_TRACE(option->name());
    EXPECT_EQ(image.pixelColor(r.topLeft()), QColor(0, 0, 192));
    EXPECT_EQ(image.pixelColor(r.bottomRight()), QColor(0, 0, 192));
  }
}

}  // namespace
}  // namespace vodivuri::qt
