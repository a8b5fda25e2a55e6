// The application and the sample pictures the Qt host tests share.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QImage>
#include <QMenu>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <deque>
#include <functional>

namespace vodivuri::qt::testing {

// The test program's application (made by its main).
inline QApplication& application() {
  return *qobject_cast<QApplication*>(QCoreApplication::instance());
}

// A folder with a few of the program's pictures, drawn in flat colours.
inline const QString& sampleAssets() {
  static QTemporaryDir dir;
  static const bool drawn = [] {
    auto draw = [](const char* name, int w, int h, QColor c) {
      QImage image(w, h, QImage::Format_RGB32);
      image.fill(c);
      image.save(dir.filePath(name));
    };
    draw("toolbar.bmp", 387, 43, QColor(0, 128, 128));
    draw("arrow_up.bmp", 13, 11, QColor(255, 255, 255));
    draw("arrow_down.bmp", 13, 11, QColor(255, 255, 255));
    for (int k = 1; k <= 6; ++k) {
      draw(qPrintable(QString("raised_%1.bmp").arg(k)), 50, 40, QColor(k * 40, 0, 0));
    }
    return true;
  }();
  static const QString path = (void(drawn), dir.path());
  return path;
}

// After QCoreApplication::exit every nested loop returns at once until the
// application's own loop has run; the next test needs working loops.
inline void recoverFromQuit() {
  QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
  QCoreApplication::exec();
}

// Lets queued events and deferred deletions run.
inline void settle() {
  QCoreApplication::processEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  QCoreApplication::processEvents();
}

// Whether the tests run on a real X server, where windows are really placed.
inline bool onRealDisplay() {
  return QGuiApplication::platformName() == "xcb";
}

// Lets events run until `done` holds or the time is up; returns `done()`.
inline bool waitUntil(const std::function<bool()>& done, int milliseconds = 2000) {
  QDeadlineTimer deadline(milliseconds);
  while (!done() && !deadline.hasExpired()) QTest::qWait(5);
  return done();
}

// Steps run in turn as what they wait for appears (a menu, a question...),
// from whichever loop is running: a user acting on the windows as they come.
class UserScript {
 public:
  using Step = std::function<bool()>;  // true once done
  UserScript() {
    timer_.callOnTimeout([this] {
      if (!steps_.empty() && steps_.front()()) steps_.pop_front();
    });
    timer_.start(10);
  }
  UserScript& then(Step step) {
    steps_.push_back(std::move(step));
    return *this;
  }
  bool finished() const { return steps_.empty(); }

 private:
  QTimer timer_;
  std::deque<Step> steps_;
};

// Chooses the entry with this text in the open popup menu; `disabled`, when
// given, receives the texts of its greyed entries.
inline UserScript::Step chooseInMenu(QString text, QStringList* disabled = nullptr) {
  return [text, disabled] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (menu == nullptr || !menu->isVisible()) return false;
    QAction* chosen = nullptr;
    for (QAction* a : menu->actions()) {
      if (disabled != nullptr && !a->isSeparator() && !a->isEnabled()) *disabled << a->text();
      if (a->text() == text) chosen = a;
    }
    if (chosen == nullptr) return false;
    menu->setActiveAction(chosen);
    QTest::keyClick(menu, Qt::Key_Return);
    return true;
  };
}

// The message box on show, if any.
inline QMessageBox* openMessageBox() {
  return qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
}

// Presses the button with this text in the message box on show.
inline UserScript::Step pressInMessageBox(QString text) {
  return [text] {
    QMessageBox* box = openMessageBox();
    if (box == nullptr || !box->isVisible()) return false;
    for (QAbstractButton* b : box->buttons()) {
      if (b->text() == text) {
        b->click();
        return true;
      }
    }
    return false;
  };
}

}  // namespace vodivuri::qt::testing
