// The Qt host over small forms of its own: model changes, user input, modal
// loops, message boxes, quitting.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QMessageBox>
#include <QPointer>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <csignal>

#include "frontend/qt/assets.hpp"
#include "frontend/qt/locale_names.hpp"
#include "frontend/qt/qt_host.hpp"
#include "qt_support.hpp"
#include "toolkit/looks.hpp"
#include "toolkit/timing.hpp"

namespace vodivuri::qt {
namespace {

using testing::application;
using testing::sampleAssets;
using testing::settle;
using toolkit::ControlState;

struct Sample : toolkit::Form {
  explicit Sample(toolkit::Host& host, toolkit::FormLayout layout = {.caption = "Muestra",
                                                                     .clientWidth = 3000,
                                                                     .clientHeight = 1500})
      : Form(host, "Sample", std::move(layout)) {
    for (toolkit::Control* c : controls()) c->onClick = [this, c] { clicks.push_back(c->name()); };
    onKeyDown = [this](int key) { keys.push_back(key); };
    onQueryClose = [this] { return refuseClose; };
    ticker.onTick = [this] { ++ticks; };
  }
  toolkit::Label caption{*this, "caption", {.rect = {150, 150, 1500, 300}, .caption = "Hola"}};
  toolkit::CheckBox box{*this, "box", {.rect = {150, 600, 195, 195}}};
  toolkit::OptionButton first{*this, "first", {.rect = {600, 600, 210, 195}, .value = 1}};
  toolkit::OptionButton second{*this, "second", {.rect = {900, 600, 210, 195}}};
  toolkit::Button button{*this, "button", {.rect = {1500, 600, 255, 195}, .enabled = false}};
  toolkit::Image image{*this, "image", {.rect = {1950, 600, 750, 600}}};
  toolkit::Label framed{*this,
                        "framed",
                        {.rect = {150, 1050, 1500, 300},
                         .caption = "WWWWWW",
                         .foreground = toolkit::kBlack,
                         .background = toolkit::kWhite,
                         .border = true}};
  toolkit::Timer ticker{*this, "ticker", 10, false};
  std::vector<std::string> clicks;
  std::vector<int> keys;
  bool refuseClose = false;
  int ticks = 0;
};

class QtHostTest : public ::testing::Test {
 protected:
  QtHostTest() { application(); }
  ~QtHostTest() override {
    if (host.quitting()) testing::recoverFromQuit();
  }
  QtHost host{sampleAssets()};
  Sample form{host};

  template <class W>
  W* widget(const toolkit::Control& c) {
    return dynamic_cast<W*>(host.widgetOf(c));
  }
  const ControlView* view(const toolkit::Control& c) {
    return dynamic_cast<const ControlView*>(host.widgetOf(c));
  }
};

TEST_F(QtHostTest, ModelChangesReachTheWidgetsAndNeverEchoAsClicks) {
  form.show();
  form.caption.setCaption("Adiós");
  EXPECT_EQ(view(form.caption)->shown().caption, "Adiós");

  form.box.setValue(1);  // the model's own click runs once
  settle();
  EXPECT_EQ(widget<QCheckBox>(form.box)->checkState(), Qt::Checked);
  form.box.setValue(2);
  EXPECT_EQ(widget<QCheckBox>(form.box)->checkState(), Qt::PartiallyChecked);
  form.second.select();
  EXPECT_FALSE(widget<QRadioButton>(form.first)->isChecked());
  EXPECT_TRUE(widget<QRadioButton>(form.second)->isChecked());
  settle();
  EXPECT_EQ(form.clicks, (std::vector<std::string>{"box", "box", "second"}));

  auto* button = widget<QPushButton>(form.button);
  EXPECT_FALSE(button->isEnabled());
  EXPECT_TRUE(button->icon().isNull());
  form.button.setEnabled(true);
  form.button.setPicture("arrow_up.bmp");
  EXPECT_TRUE(button->isEnabled());
  EXPECT_EQ(button->icon().pixmap(13, 11).size(), QSize(13, 11));
  form.image.setPicture("raised_2.bmp");
  EXPECT_EQ(static_cast<PaintedControl*>(host.widgetOf(form.image))->picture.size(), QSize(50, 40));
  form.image.setPicture("");
  EXPECT_TRUE(static_cast<PaintedControl*>(host.widgetOf(form.image))->picture.isNull());
  form.caption.setVisible(false);
  EXPECT_TRUE(host.widgetOf(form.caption)->isHidden());
  form.caption.setRect({300, 450, 900, 150});
  EXPECT_EQ(host.widgetOf(form.caption)->geometry(), QRect(20, 30, 60, 10));
  EXPECT_EQ(form.clicks.size(), 3u);
}

TEST_F(QtHostTest, AUserClickRunsTheHandlerOnceAndTheModelDecidesTheValue) {
  form.show();
  auto* button = widget<QPushButton>(form.button);
  QTest::mouseClick(button, Qt::LeftButton);  // disabled: nothing
  EXPECT_TRUE(form.clicks.empty());
  form.button.setEnabled(true);
  QTest::mouseClick(button, Qt::LeftButton);
  EXPECT_EQ(form.clicks, std::vector<std::string>{"button"});

  QTest::mouseClick(host.widgetOf(form.caption), Qt::LeftButton);
  EXPECT_EQ(form.clicks.back(), "caption");

  auto* box = widget<QCheckBox>(form.box);
  box->click();
  EXPECT_EQ(form.box.value(), 1);
  EXPECT_TRUE(box->isChecked());
  box->click();
  EXPECT_EQ(form.box.value(), 0);
  EXPECT_FALSE(box->isChecked());

  // Qt would uncheck a selected option on a click; the group keeps it.
  auto* first = widget<QRadioButton>(form.first);
  first->click();
  EXPECT_TRUE(first->isChecked());
  widget<QRadioButton>(form.second)->click();
  EXPECT_TRUE(form.second.selected());
  EXPECT_FALSE(first->isChecked());
  EXPECT_EQ(form.clicks, (std::vector<std::string>{"button", "caption", "box", "box", "second"}));
}

TEST_F(QtHostTest, EscReachesTheFormAndTheCloseBoxAsksTheModel) {
  form.show();
  FormWidget* window = host.widgetOf(form);
  QTest::keyClick(window, Qt::Key_Escape);
  QTest::keyClick(window, Qt::Key_A);
  EXPECT_EQ(form.keys, std::vector<int>{toolkit::kKeyEscape});

  form.refuseClose = true;
  window->close();
  EXPECT_TRUE(form.loaded());
  EXPECT_TRUE(window->isVisible());

  form.refuseClose = false;
  QPointer<FormWidget> closing = window;
  closing->close();
  EXPECT_FALSE(form.loaded());
  EXPECT_EQ(host.widgetOf(form), nullptr);
  EXPECT_EQ(host.widgetOf(form.caption), nullptr);
  settle();
  EXPECT_TRUE(closing.isNull());

  form.show();  // a new load starts from the layout
  EXPECT_NE(host.widgetOf(form), nullptr);
  EXPECT_EQ(view(form.caption)->shown().caption, "Hola");
}

TEST_F(QtHostTest, AModalWindowBlocksWhileTimersTickAndEndsWithItsUnload) {
  Sample owner{host};
  owner.show();
  form.onLoad = [&] { form.ticker.setEnabled(true); };
  QTimer::singleShot(120, [&] { form.userRequestClose(); });
  form.showModal(owner);
  EXPECT_FALSE(form.loaded());
  EXPECT_GE(form.ticks, 3);
  const int ticks = form.ticks;
  QTest::qWait(40);
  EXPECT_EQ(form.ticks, ticks);  // an unloaded form's timer is still
}

// What the clock watch calls when the clock is set or a suspend ends.
TEST_F(QtHostTest, AClockChangeTicksSleepingTimersAtOnceAndSetsThemOnTheWallClockAgain) {
  Sample idle{host};
  form.show();
  idle.show();
  idle.ticker.setEnabled(true);
  idle.ticker.setEnabled(false);
  form.ticker.setInterval(60000);
  form.ticker.setEnabled(true);
  // Away from the minute's own tick, which would be counted too.
  if (host.timerOf(form.ticker)->remainingTime() < 1000) QTest::qWait(1200);
  const int before = form.ticks;

  host.clockChanged();
  EXPECT_TRUE(QTest::qWaitFor([&] { return form.ticks == before + 1; }, 1000));
  QTest::qWait(50);
  EXPECT_EQ(form.ticks, before + 1);
  EXPECT_EQ(idle.ticks, 0);  // a stopped timer stays stopped
  const int remaining = host.timerOf(form.ticker)->remainingTime();
  EXPECT_GT(remaining, 0);
  EXPECT_LE(remaining, 60000 + toolkit::kTickOffsetMilliseconds);
}

TEST_F(QtHostTest, QuitEndsNestedLoopsStopsTimersAndRunsNothingMore) {
  Sample owner{host};
  owner.show();
  owner.ticker.setEnabled(true);
  QTimer::singleShot(60, [&] { host.quit(); });
  form.showModal(owner);  // returns although the form stays loaded
  EXPECT_TRUE(host.quitting());
  EXPECT_TRUE(form.loaded());
  EXPECT_FALSE(host.timerOf(owner.ticker)->isActive());
  EXPECT_FALSE(host.widgetOf(owner)->isVisible());
  const int ticks = owner.ticks;
  QTest::qWait(40);
  EXPECT_EQ(owner.ticks, ticks);

  EXPECT_EQ(toolkit::messageBox(host, "¿Seguro?", "Vodivuri", toolkit::MessageButtons::YesNo,
                                toolkit::MessageIcon::Question),
            toolkit::MessageAnswer::Cancel);
  widget<QCheckBox>(owner.box)->click();
  EXPECT_TRUE(owner.clicks.empty());
  EXPECT_EQ(host.exec(), 0);  // at once
}

TEST_F(QtHostTest, MessageBoxesShowTheRequestInSpanishAndReturnTheAnswer) {
  QString title, message;
  QStringList buttons;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  auto answerWith = [&](QMessageBox::StandardButton choice) {
    QTimer::singleShot(0, [&, choice] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      title = box->windowTitle();
      message = box->text();
      icon = box->icon();
      buttons.clear();
      for (QMessageBox::StandardButton b : {QMessageBox::Yes, QMessageBox::No, QMessageBox::Ok}) {
        if (box->button(b) != nullptr) buttons << box->button(b)->text();
      }
      box->button(choice)->click();
    });
  };
  answerWith(QMessageBox::Yes);
  EXPECT_EQ(toolkit::messageBox(host, "¿Seguro?", "Vodivuri", toolkit::MessageButtons::YesNo,
                                toolkit::MessageIcon::Question),
            toolkit::MessageAnswer::Yes);
  EXPECT_EQ(title, "Vodivuri");
  EXPECT_EQ(message, "¿Seguro?");
  EXPECT_EQ(icon, QMessageBox::Question);
  // Whatever the user's locale, and with no translation of Qt's own installed.
  EXPECT_EQ(buttons, (QStringList{"Sí", "No"}));
  answerWith(QMessageBox::No);
  EXPECT_EQ(toolkit::messageBox(host, "¿Seguro?", "Vodivuri", toolkit::MessageButtons::YesNo,
                                toolkit::MessageIcon::Question),
            toolkit::MessageAnswer::No);
  answerWith(QMessageBox::Ok);
  EXPECT_EQ(toolkit::messageBox(host, "Hecho", "Vodivuri", toolkit::MessageButtons::Ok,
                                toolkit::MessageIcon::Information),
            toolkit::MessageAnswer::Ok);
  EXPECT_EQ(icon, QMessageBox::Information);
  EXPECT_EQ(buttons, QStringList{"Aceptar"});
}

TEST_F(QtHostTest, AModalFormTakesAllFormInputButLeavesOtherWindowsFree) {
  Sample owner{host};
  owner.show();
  // As the notification area's icon: a window of Qt's own, not a form.
  QPushButton icon("icono");
  int iconClicks = 0;
  QObject::connect(&icon, &QPushButton::clicked, [&] { ++iconClicks; });
  icon.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&icon));
  QTimer::singleShot(60, [&] {
    // Through the window system, as a user's clicks come.
    const QPoint at = host.widgetOf(owner.caption)->geometry().center();
    QTest::mouseClick(host.widgetOf(owner)->windowHandle(), Qt::LeftButton, {}, at);
    QTest::mouseClick(icon.windowHandle(), Qt::LeftButton, {}, icon.rect().center());
    QTest::keyClick(host.widgetOf(owner)->windowHandle(), Qt::Key_Escape);
    host.widgetOf(owner)->close();  // its close box
    form.caption.userClick();       // the modal form itself still works
    form.userRequestClose();
  });
  form.showModal(owner);
  EXPECT_TRUE(owner.clicks.empty());
  EXPECT_TRUE(owner.keys.empty());
  EXPECT_TRUE(owner.loaded());
  EXPECT_EQ(iconClicks, 1);
  EXPECT_EQ(form.clicks, std::vector<std::string>{"caption"});
  // Once it has gone the owner takes input again.
  QTest::keyClick(host.widgetOf(owner)->windowHandle(), Qt::Key_Escape);
  EXPECT_EQ(owner.keys, std::vector<int>{toolkit::kKeyEscape});
}

// On a real X server a window not yet mapped is minimised once it is.
TEST_F(QtHostTest, AWindowRestoredFromTheTaskbarCanBeMinimisedAgain) {
  form.show();
  form.minimise();
  EXPECT_TRUE(QTest::qWaitFor([&] { return host.widgetOf(form)->isMinimized(); }, 2000));
  host.widgetOf(form)->setWindowState(Qt::WindowNoState);  // as the window manager does
  EXPECT_FALSE(form.minimised());
  EXPECT_TRUE(form.visible());
  form.minimise();
  EXPECT_TRUE(host.widgetOf(form)->isMinimized());
}

TEST_F(QtHostTest, AGivenOuterSizeLeavesTheClientAreaInsideAFixedFrame) {
  form.onLoad = [&] { form.setSize(5325, 7290); };  // 355 x 486 pixels
  for (int time = 1; time <= 2; ++time) {
    form.show();
    testing::waitUntil([&] { return host.widgetOf(form)->isVisible(); });
    QTest::qWait(20);
    EXPECT_EQ(host.widgetOf(form)->size(), QSize(355 - 3 - 3, 486 - 22 - 3));
    form.unload();
  }
}

TEST_F(QtHostTest, ABorderedLabelKeepsItsTextOffTheBorder) {
  form.show();
  const QImage image = host.widgetOf(form.framed)->grab().toImage();
  for (int x = 1; x <= 2; ++x) {
    for (int y = 1; y < image.height() - 1; ++y) {
      ASSERT_EQ(image.pixelColor(x, y), QColor(255, 255, 255)) << x << "," << y;
    }
  }
}

TEST_F(QtHostTest, TheGradientRunsFromBlackToBlue) {
  Sample painted{host, {.clientWidth = 1500, .clientHeight = 3840, .blueGradient = true}};
  painted.show();
  const QImage image = host.widgetOf(painted)->grab().toImage();
  ASSERT_EQ(image.height(), 256);
  EXPECT_EQ(image.pixelColor(0, 0), QColor(0, 0, 0));
  EXPECT_EQ(image.pixelColor(40, 128), QColor(0, 0, 128));
  EXPECT_EQ(image.pixelColor(99, 255), QColor(0, 0, 255));
}

TEST_F(QtHostTest, MissingPicturesShowNothingAndAreReportedOnce) {
  AssetStore store(sampleAssets());
  ::testing::internal::CaptureStderr();
  EXPECT_TRUE(store.pixmap("nothing.bmp").isNull());
  EXPECT_TRUE(store.pixmap("nothing.bmp").isNull());
  EXPECT_FALSE(store.pixmap("toolbar.bmp").isNull());
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(err.find("nothing.bmp"), err.rfind("nothing.bmp"));
  EXPECT_NE(err.find("nothing.bmp"), std::string::npos);
  EXPECT_TRUE(store.pixmap("").isNull());
}

// On a doubled screen the twice-size drawing where there is one, at the same
// size in pixels; else the picture itself, without a note.
TEST_F(QtHostTest, DoubledScreensGetTheTwiceSizeDrawings) {
  AssetStore doubled{QStringLiteral(VODIVURI_SOURCE_ASSETS)};
  doubled.setDeviceScale(2);
  ::testing::internal::CaptureStderr();
  const QPixmap strip = doubled.pixmap("toolbar.bmp");
  EXPECT_EQ(strip.deviceIndependentSize().toSize(), QSize(387, 43));
  EXPECT_EQ(strip.size(), QSize(774, 86));
  EXPECT_EQ(strip.devicePixelRatio(), 2);
  const QPixmap arrow = doubled.pixmap("arrow_up.bmp");
  EXPECT_EQ(arrow.size(), QSize(13, 11));
  EXPECT_EQ(arrow.devicePixelRatio(), 1);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  AssetStore plain{QStringLiteral(VODIVURI_SOURCE_ASSETS)};
  plain.setDeviceScale(1);
  EXPECT_EQ(plain.pixmap("toolbar.bmp").size(), QSize(387, 43));
  EXPECT_EQ(plain.pixmap("raised_3.bmp").devicePixelRatio(), 1);
}

// A window opened once must not keep its decoded pictures for the program's
// life; pictures a loaded window still shows stay decoded.
TEST_F(QtHostTest, AnUnloadedWindowGivesItsPicturesBack) {
  Sample kept{host, {.clientWidth = 3000, .clientHeight = 1500, .picture = "toolbar.bmp"}};
  kept.show();
  {
    Sample opened{host, {.clientWidth = 3000, .clientHeight = 1500, .picture = "raised_1.bmp"}};
    opened.show();
    opened.image.setPicture("raised_2.bmp");
    settle();
    ASSERT_TRUE(host.assets().holds("raised_1.bmp"));
    ASSERT_TRUE(host.assets().holds("raised_2.bmp"));
    opened.unload();
    settle();
    EXPECT_FALSE(host.assets().holds("raised_1.bmp"));
    EXPECT_FALSE(host.assets().holds("raised_2.bmp"));
    EXPECT_TRUE(host.assets().holds("toolbar.bmp"));
    // Opened again, it shows them again.
    opened.show();
    opened.image.setPicture("raised_2.bmp");
    settle();
    EXPECT_FALSE(dynamic_cast<PaintedControl*>(host.widgetOf(opened.image))->picture.isNull());
    EXPECT_TRUE(host.assets().holds("raised_2.bmp"));
    opened.unload();
  }
  settle();
  EXPECT_FALSE(host.assets().holds("raised_2.bmp"));
}

TEST(TerminationSignals, ASignalEndsTheSessionFromTheLoopAndTheOldHandlerReturns) {
  application();
  struct sigaction before {};
  ASSERT_EQ(::sigaction(SIGINT, nullptr, &before), 0);
  {
    QtHost host(sampleAssets(), true);
    Sample form{host};
    int endings = 0;
    form.onSessionEnd = [&] { ++endings; };
    form.show();
    ASSERT_EQ(::raise(SIGINT), 0);
    EXPECT_EQ(endings, 0);  // nothing runs inside the handler
    for (int i = 0; i < 100 && endings == 0; ++i) QTest::qWait(10);
    EXPECT_EQ(endings, 1);
    // The form did not end the program; the host ends it all the same.
    EXPECT_TRUE(host.quitting());
    testing::recoverFromQuit();
  }
  struct sigaction current {};
  ASSERT_EQ(::sigaction(SIGINT, nullptr, &current), 0);
  EXPECT_EQ(current.sa_handler, before.sa_handler);
}

TEST(LocaleNames, SpanishLocalesGiveTheirNamesInLowerCase) {
  const auto names = spanishDateNamesOf(QLocale(QLocale::Spanish, QLocale::Spain));
  ASSERT_TRUE(names);
  EXPECT_EQ(names->weekdays[0], "lunes");
  EXPECT_EQ(names->weekdays[2], "miércoles");
  EXPECT_EQ(names->months[0], "enero");
  EXPECT_EQ(names->months[11], "diciembre");
  EXPECT_FALSE(spanishDateNamesOf(QLocale(QLocale::English, QLocale::UnitedStates)));
}

}  // namespace
}  // namespace vodivuri::qt
