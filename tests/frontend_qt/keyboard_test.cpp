// The keyboard on the Qt host: every key of the core reaches the model and
// nothing else, Qt's focus and the ring follow the model's, a click that
// focuses tells the model, and the ring stands out from what is beneath it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include "frontend/qt/focus_ring.hpp"
#include "frontend/qt/keyboard.hpp"
#include "program_on_qt.hpp"
#include "qt_support.hpp"
#include "toolkit/focus.hpp"

namespace vodivuri::qt {
namespace {

using testing::settle;

class KeyboardOnQt : public MainWindowOnQt {
 protected:
  KeyboardOnQt() {
    settle();
    window()->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(window()));
  }
  FormWidget* window() const { return host.widgetOf(main); }
  // A key as the window system delivers it: to the window, then its focus.
  void key(Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier, toolkit::Form* form = nullptr) {
    QTest::keyClick(host.widgetOf(form != nullptr ? *form : main)->windowHandle(), k, m);
  }
  long writesOf(const std::string& name) const {
    return std::count_if(registry.writes.begin(), registry.writes.end(),
                         [&](const auto& w) { return w.name == name; });
  }
};

TEST(CoreKeys, QtKeysMapToTheCoresAndOthersAreLeftAlone) {
  const auto map = [](int key, Qt::KeyboardModifiers m = Qt::NoModifier) {
    return coreKey(QKeyEvent(QEvent::KeyPress, key, m));
  };
  ASSERT_TRUE(map(Qt::Key_Backtab));
  EXPECT_EQ(map(Qt::Key_Backtab)->key, toolkit::Key::Tab);
  EXPECT_TRUE(map(Qt::Key_Backtab)->shift);
  EXPECT_EQ(map(Qt::Key_Enter)->key, toolkit::Key::Return);  // the keypad's
  EXPECT_TRUE(map(Qt::Key_PageDown, Qt::ControlModifier)->ctrl);
  EXPECT_FALSE(map(Qt::Key_A));
  EXPECT_FALSE(map(Qt::Key_F4));
  EXPECT_FALSE(map(Qt::Key_Tab, Qt::AltModifier));  // the desktop's window switch
}

TEST_F(KeyboardOnQt, TabWalksTheModelsStopsAndQtsFocusAndTheRingFollow) {
  ASSERT_EQ(main.focus(), &main.chApagar);  // the first stop at the first showing
  key(Qt::Key_Space);                       // armed: the editor's stops come in
  const std::vector<toolkit::Control*> stops = toolkit::tabStops(main);
  ASSERT_EQ(stops.size(), 10u);  // the calendar's arrow is off with «Siempre»
  for (std::size_t i = 1; i <= stops.size(); ++i) {
    key(Qt::Key_Tab);
    toolkit::Control* expected = stops[i % stops.size()];
    SCOPED_TRACE(expected->name());
    ASSERT_EQ(main.focus(), expected);
    EXPECT_EQ(QApplication::focusWidget(), widget(*expected));
    const QRect around = widget(*expected)->geometry();
    EXPECT_TRUE(window()->ring->ring().intersects(around));
    EXPECT_TRUE(window()->ring->isVisible());
  }
  key(Qt::Key_Tab, Qt::ShiftModifier);  // arrives as Backtab
  EXPECT_EQ(main.focus(), stops.back());
}

TEST_F(KeyboardOnQt, SpaceTicksABoxOnceAndArrowsStepTheTimeOncePerPress) {
  registry.writes.clear();
  key(Qt::Key_Space);
  EXPECT_EQ(main.chApagar.value(), 1);
  EXPECT_EQ(writesOf("ApagarSistema"), 1);
  // Qt's own Space (down on press, click on release) never runs.
  EXPECT_FALSE(static_cast<QAbstractButton*>(widget(main.chApagar))->isDown());
  EXPECT_TRUE(static_cast<QAbstractButton*>(widget(main.chApagar))->isChecked());
  main.setFocus(&main.cmdAumHora);
  EXPECT_EQ(QApplication::focusWidget(), widget(main.cmdAumHora));
  const std::string before = main.txtHora.caption();
  key(Qt::Key_Up);
  key(Qt::Key_Up);
  key(Qt::Key_Down);
  EXPECT_EQ(toolkit::parseInteger(main.txtHora.caption()),
            (toolkit::parseInteger(before).value_or(0) + 1) % 24);
  key(Qt::Key_Space);  // pressing the button steps it too
  EXPECT_EQ(toolkit::parseInteger(main.txtHora.caption()),
            (toolkit::parseInteger(before).value_or(0) + 2) % 24);
}

TEST_F(KeyboardOnQt, ArrowsChooseInTheOptionGroupAndAClickThatFocusesTellsTheModel) {
  key(Qt::Key_Space);  // armed, so the options are enabled
  main.setFocus(&main.opSiempre);
  key(Qt::Key_Up);
  EXPECT_TRUE(main.opSelFecha.selected());
  EXPECT_FALSE(main.opSiempre.selected());
  EXPECT_EQ(main.focus(), &main.opSelFecha);
  EXPECT_EQ(QApplication::focusWidget(), widget(main.opSelFecha));
  // A click on another box moves the focus there before it ticks it.
  QTest::mouseClick(widget(main.chReSist), Qt::LeftButton);
  EXPECT_EQ(main.focus(), &main.chReSist);
  EXPECT_EQ(main.chReSist.value(), 1);
  EXPECT_EQ(QApplication::focusWidget(), widget(main.chReSist));
  // A click on what takes no focus leaves it.
  QTest::mouseClick(widget(main.Label3), Qt::LeftButton);
  EXPECT_EQ(main.focus(), &main.chReSist);
}

TEST_F(KeyboardOnQt, TheToolbarsPartsTakeTheRingAndTheQuestionKeepsQtsOwnKeys) {
  main.setFocus(&main.pTools);
  EXPECT_EQ(main.pTools.focusedPart(), 0);
  const QRect first = window()->ring->ring();
  key(Qt::Key_End);
  key(Qt::Key_Left);
  key(Qt::Key_Left);
  EXPECT_EQ(main.pTools.focusedPart(), 3);
  EXPECT_EQ(window()->ring->ring(), first.translated(3 * 50, 0));
  // «Salir» asks; Esc in the question is the question's (No), not the window's.
  bool asked = false;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    asked = box != nullptr;
    if (box != nullptr) QTest::keyClick(box, Qt::Key_Escape);
  });
  key(Qt::Key_Return);
  EXPECT_TRUE(asked);
  EXPECT_FALSE(host.quitting());
  EXPECT_EQ(main.pTools.focusedPart(), 3);
}

TEST_F(KeyboardOnQt, AClickOnTheToolbarPressesThePartUnderThePointerThenFocusesIt) {
  QWidget* tools = widget(main.pTools);
  const QPoint second(50 + 30, 20);  // «No start», the keyboard being on the first
  QTest::mouseMove(tools, second);
  if (testing::onRealDisplay()) QTest::qWait(100);
  std::string notice;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    notice = box->text().toStdString();
    box->accept();
  });
  registry.writes.clear();
  QTest::mouseClick(tools, Qt::LeftButton, Qt::NoModifier, second);
  settle();
  EXPECT_EQ(notice, "Esta aplicación no se ejecutará al inicio de windows");
  EXPECT_EQ(program.store.readSetting("Inicio"), "False");
  ASSERT_NE(main.focus(), nullptr);
  EXPECT_EQ(main.focus()->name(), "pTools");
}

// The contrast of each ring pixel with the same pixel without the focus there.
TEST_F(KeyboardOnQt, EveryStopsRingIsTwoPixelsWideAndStandsOutThreeToOne) {
  key(Qt::Key_Space);
  main.setFocus(nullptr);
  settle();
  const QImage plain = window()->grab().toImage().convertToFormat(QImage::Format_RGB32);
  for (toolkit::Control* stop : toolkit::tabStops(main)) {
    SCOPED_TRACE(stop->name());
    main.setFocus(stop);
    settle();
    const QRect ring = window()->ring->ring();
    ASSERT_FALSE(ring.isEmpty());
    const QImage shown = window()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    int standingOut = 0, band = 0;
    for (int y = ring.top(); y <= ring.bottom(); ++y) {
      for (int x = ring.left(); x <= ring.right(); ++x) {
        const bool inBand = x < ring.left() + kRingWidth || x > ring.right() - kRingWidth ||
                            y < ring.top() + kRingWidth || y > ring.bottom() - kRingWidth;
        if (!inBand) continue;
        ++band;
        const QRgb a = plain.pixel(x, y), b = shown.pixel(x, y);
        if (toolkit::contrastRatio(qRed(a), qGreen(a), qBlue(a), qRed(b), qGreen(b), qBlue(b)) >=
            3.0) {
          ++standingOut;
        }
      }
    }
    EXPECT_GE(standingOut, band * 9 / 10) << standingOut << " of " << band;
    main.setFocus(nullptr);
  }
}

}  // namespace
}  // namespace vodivuri::qt
