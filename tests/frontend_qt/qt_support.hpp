// The application and the sample pictures the Qt host tests share.
#pragma once

#include <QApplication>
#include <QCoreApplication>
#include <QImage>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

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

}  // namespace vodivuri::qt::testing
