// The whole program on the Qt host: the main window's widgets, its painting,
// the toolbar's mouse moves, the tray, the popup menu and the session end.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include "frontend/qt/popup_menu.hpp"
#include "frontend/qt/qt_host.hpp"
#include "program_on_qt.hpp"
#include "qt_support.hpp"

namespace vodivuri::qt {
namespace {

using testing::settle;
using toolkit::ControlKind;

TEST_F(MainWindowOnQt, EveryControlStandsAtItsPlaceWithItsParentAndVisibility) {
  ASSERT_EQ(host.twipsPerPixelX(), 15);
  FormWidget* window = host.widgetOf(main);
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(window->windowTitle(), "Vodivuri");
  EXPECT_EQ(window->size(), QSize(381, 301));
  EXPECT_EQ(window->minimumSize(), window->maximumSize());
  // The client area where the layout puts it; the model gets the outer edges.
  EXPECT_EQ(window->geometry().topLeft(), QPoint(321, 246));
  EXPECT_EQ(main.left(), window->frameGeometry().left() * 15);
  EXPECT_EQ(main.top(), window->frameGeometry().top() * 15);

  for (toolkit::Control* c : main.controls()) {
    SCOPED_TRACE(c->name());
    QWidget* w = widget(*c);
    if (c->kind() == ControlKind::Timer || c->kind() == ControlKind::MenuEntry) {
      EXPECT_EQ(w, nullptr);
      continue;
    }
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->parentWidget(),
              c->container() ? widget(*c->container()) : static_cast<QWidget*>(window));
    EXPECT_EQ(w->isHidden(), !c->visible());
    EXPECT_EQ(w->isEnabled(), c->enabled());
    const toolkit::Rect& r = c->rect();
    if (c->kind() == ControlKind::Line) {
      EXPECT_EQ(w->pos(), QPoint(px(r.left), px(r.top)));
      EXPECT_EQ(w->size(), QSize(std::max(1, px(r.width)), std::max(1, px(r.height))));
    } else if (c->state().autoSize) {
      EXPECT_EQ(w->pos(), QPoint(px(r.left), px(r.top)));
    } else {
      EXPECT_EQ(w->geometry(), QRect(px(r.left), px(r.top), px(r.width), px(r.height)));
    }
  }
  // The receiver and the stored images lie below the client area.
  EXPECT_FALSE(window->rect().intersects(widget(main.Receptor)->geometry()));
  EXPECT_TRUE(widget(main.imToolsAt(3))->isHidden());
}

TEST_F(MainWindowOnQt, TheGradientShowsBehindTheTransparentLabels) {
  settle();
  const QImage image = host.widgetOf(main)->grab().toImage();
  ASSERT_EQ(image.height(), 301);
  int lastBlue = -1;
  for (int y = 45; y < 301; ++y) {  // below the toolbar, left of every control
    const QColor c = image.pixelColor(0, y);
    ASSERT_EQ(c.red(), 0);
    ASSERT_EQ(c.green(), 0);
    ASSERT_GE(c.blue(), lastBlue);
    lastBlue = c.blue();
  }
  EXPECT_EQ(image.pixelColor(0, 300), QColor(0, 0, 255));
  EXPECT_NEAR(image.pixelColor(0, 50).blue(), 50 * 256 / 301, 1);
  // The far end of "Apagar el sistema" holds no text: the painting shows.
  EXPECT_EQ(image.pixelColor(172, 70), image.pixelColor(0, 70));
  EXPECT_EQ(image.pixelColor(20, 10), QColor(0, 128, 128));  // the toolbar picture
}

// On a real display the pointer really moves and its events come back later.
void movePointer(QWidget* over, QPoint at) {
  QTest::mouseMove(over, at);
  if (testing::onRealDisplay()) QTest::qWait(100);
}

TEST_F(MainWindowOnQt, MouseMovesReachTheToolbarAndTheBareSurfaceOnly) {
  ASSERT_TRUE(QTest::qWaitForWindowExposed(host.widgetOf(main)));
  QWidget* tools = widget(main.pTools);
  movePointer(tools, QPoint(20, 10));  // 300 twips: the first button
  EXPECT_EQ(main.HoverButton, 1);
  EXPECT_EQ(main.imRaised.picture(), "raised_1.bmp");
  EXPECT_EQ(tools->toolTip(), QString::fromStdString(main.pTools.tooltip()));
  EXPECT_FALSE(tools->toolTip().isEmpty());
  movePointer(tools, QPoint(30, 12));  // through the raised image
  EXPECT_EQ(main.HoverButton, 1);
  movePointer(host.widgetOf(main), QPoint(60, 65));  // over "Apagar el sistema"
  EXPECT_EQ(main.HoverButton, 1);
  movePointer(host.widgetOf(main), QPoint(2, 120));  // the window itself
  EXPECT_EQ(main.HoverButton, 0);
  EXPECT_EQ(main.imRaised.picture(), "");
}

TEST_F(MainWindowOnQt, ModelPlacesAndUserMovesMeetInTheFormsEdges) {
  main.setLeft(1500);
  main.setTop(3000);
  EXPECT_EQ(host.widgetOf(main)->frameGeometry().topLeft(), QPoint(100, 200));
  host.widgetOf(main)->move(QPoint(210, 120));  // as a user's drag
  settle();
  EXPECT_EQ(main.left(), 3150);
  EXPECT_EQ(main.top(), 1800);
}

// The window drawn as at a fractional scale: each frame line, where it lies
// in device pixels (a band a pixel wider on each side), lit over its length.
TEST_F(MainWindowOnQt, FrameLinesStayVisibleAtFractionalScales) {
  FormWidget* window = host.widgetOf(main);
  for (const qreal scale : {1.0, 1.25, 1.5, 1.75, 2.0}) {
    SCOPED_TRACE(scale);
    QImage image((QSizeF(window->size()) * scale).toSize(), QImage::Format_RGB32);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::black);
    window->render(&image);
    for (toolkit::Line* line : {&main.Line1_2, &main.Line1_3, &main.Line3, &main.Line4}) {
      const QRect at = widget(*line)->geometry();
      const QRect band(
          QPoint(int(at.left() * scale) - 1, int(at.top() * scale) - 1),
          QPoint(int((at.right() + 1) * scale) + 1, int((at.bottom() + 1) * scale) + 1));
      const bool vertical = at.width() == 1;
      int lit = 0;
      for (int i = 0; i < (vertical ? band.height() : band.width()); ++i) {
        bool any = false;
        for (int j = 0; j < (vertical ? band.width() : band.height()); ++j) {
          const QPoint p = vertical ? band.topLeft() + QPoint(j, i) : band.topLeft() + QPoint(i, j);
          any = any || (image.rect().contains(p) && image.pixel(p) == qRgb(255, 255, 255));
        }
        lit += any;
      }
      EXPECT_GE(lit, int((vertical ? at.height() : at.width()) * scale) - 2) << line->name();
    }
  }
}

TEST_F(MainWindowOnQt, APlaceOffTheScreenComesBackInsideIt) {
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  // Stored on a second monitor that is gone.
  main.setLeft((area.right() + 400) * 15);
  main.setTop((area.bottom() + 300) * 15);
  const QRect frame = host.widgetOf(main)->frameGeometry();
  EXPECT_TRUE(area.contains(frame)) << frame.x() << "," << frame.y();
  // Partly off the left edge: moved the least.
  main.setLeft(-600);
  main.setTop(1500);
  EXPECT_EQ(host.widgetOf(main)->frameGeometry().topLeft(), QPoint(area.left(), 100));
}

TEST_F(MainWindowOnQt, TrayMessagesReachTheReceiver) {
  main.hide();
  QSystemTrayIcon* tray = host.trayIconOf(main.Receptor);
  ASSERT_NE(tray, nullptr);
  EXPECT_EQ(tray->toolTip(), "Vodivuri");
  emit tray->activated(QSystemTrayIcon::Trigger);
  settle();
  EXPECT_FALSE(main.visible());
  emit tray->activated(QSystemTrayIcon::DoubleClick);
  EXPECT_FALSE(main.visible());  // not inside the icon's own event
  settle();
  EXPECT_TRUE(main.visible());
  EXPECT_EQ(main.mnuMax.caption(), "Minimizar");

  // The right button opens the menu; its choice runs before the call returns.
  emit tray->activated(QSystemTrayIcon::Context);
  QTimer::singleShot(0, [] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    for (QAction* a : menu->actions()) {
      if (a->text() == "Minimizar") menu->setActiveAction(a);
    }
    QTest::keyClick(menu, Qt::Key_Return);
  });
  settle();
  // Without a notification area (offscreen) hiding minimises instead.
  EXPECT_TRUE(host.trayAvailable() ? !main.visible() : main.minimised());
  EXPECT_EQ(main.mnuMax.caption(), "Maximizar");
}

TEST_F(MainWindowOnQt, AClickOnATrayNotificationShowsTheWindow) {
  main.hide();
  QSystemTrayIcon* tray = host.trayIconOf(main.Receptor);
  ASSERT_NE(tray, nullptr);
  emit tray->messageClicked();
  settle();
  EXPECT_TRUE(main.visible());
  EXPECT_EQ(main.mnuMax.caption(), "Minimizar");
}

TEST_F(MainWindowOnQt, ThePopupMenuFollowsTheEntryTree) {
  main.mnuAyuda.setEnabled(false);
  main.mnuReSes.setVisible(false);
  BuiltMenu built = buildPopupMenu(main.mnuOpciones, &main.mnuMax);
  QStringList shown;
  for (const QAction* a : built.menu->actions()) shown << (a->isSeparator() ? "-" : a->text());
  EXPECT_EQ(shown, (QStringList{"Apagar el sistema", "Reiniciar el sistema", "-",
                                "Ejecutar al iniciar windows", "Maximizar", "-", "Ayuda",
                                "Acerca de...", "-", "Salir"}));
  QAction* max = built.menu->defaultAction();
  ASSERT_NE(max, nullptr);
  EXPECT_EQ(built.entryOf(max), &main.mnuMax);
  EXPECT_TRUE(max->font().bold());
  for (const QAction* a : built.menu->actions()) {
    if (a->text() == "Ayuda") {
      EXPECT_FALSE(a->isEnabled());
    }
    if (a->text() == "Salir") {
      EXPECT_EQ(built.entryOf(a), &main.mnuSalir);
    }
  }
  QMenu* startup = built.menu->actions()[3]->menu();
  ASSERT_NE(startup, nullptr);
  ASSERT_EQ(startup->actions().size(), 2);
  EXPECT_EQ(startup->actions()[0]->text(), "Si");
  EXPECT_FALSE(startup->actions()[0]->isChecked());  // "Inicio" is False
  EXPECT_TRUE(startup->actions()[1]->isChecked());
  EXPECT_EQ(built.entryOf(startup->actions()[1]), &main.mnuNo);
}

TEST_F(MainWindowOnQt, TheSessionEndStoresThePlaceAndEndsTheProgram) {
  host.widgetOf(main)->move(QPoint(200, 100));
  settle();
  registry.writes.clear();
  host.endSession();
  EXPECT_TRUE(host.quitting());
  EXPECT_EQ(program.store.readSetting("Left"), "3000");
  EXPECT_EQ(program.store.readSetting("Top"), "1500");
  EXPECT_EQ(host.trayIconOf(main.Receptor), nullptr);
  EXPECT_FALSE(host.widgetOf(main)->isVisible());
}

}  // namespace
}  // namespace vodivuri::qt
