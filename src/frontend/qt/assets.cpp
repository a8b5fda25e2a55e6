#include "frontend/qt/assets.hpp"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <cstdio>

namespace vodivuri::qt {

AssetStore::AssetStore(QString folder) : folder_(std::move(folder)) {}

QString AssetStore::defaultFolder() {
  const QString fromEnv = qEnvironmentVariable("VODIVURI_ASSETS");
  if (!fromEnv.isEmpty()) return fromEnv;
  if (QCoreApplication::instance() != nullptr) {
    const QString installed =
        QDir(QCoreApplication::applicationDirPath() + "/../" VODIVURI_SHARE_SUBDIR).absolutePath();
    if (QFileInfo(installed).isDir()) return installed;
  }
  return QStringLiteral(VODIVURI_SOURCE_ASSETS);
}

qreal AssetStore::deviceScale() const {
  if (deviceScale_ > 0) return deviceScale_;
  return qGuiApp != nullptr ? qGuiApp->devicePixelRatio() : 1.0;
}

// By its known format: no probing through every image plugin. Read through
// QImageReader, not QPixmap::load, whose global cache would keep every
// picture decoded after its window has gone.
QImage AssetStore::read(const QString& file, const QByteArray& format) const {
  QFile in(QDir(folder_).filePath(file));
  if (!in.open(QIODevice::ReadOnly)) return {};
  QImageReader reader(&in, format);
  // Without this, a named format still has every plugin loaded and asked.
  reader.setAutoDetectImageFormat(false);
  return reader.read();
}

QPixmap AssetStore::pixmap(const std::string& name) {
  if (name.empty()) return {};
  const QString key = QString::fromStdString(name);
  if (const auto it = cache_.constFind(key); it != cache_.constEnd()) return *it;
  if (missing_.contains(key)) return {};
  const QFileInfo info(key);
  QImage image;
  if (deviceScale() >= 1.5) {
    const QString doubled = info.path() + "/" + info.completeBaseName() + "@2x.png";
    if (QFileInfo(QDir(folder_).filePath(doubled)).isFile()) {
      image = read(doubled, "png");
      image.setDevicePixelRatio(2);
    }
  }
  if (image.isNull()) image = read(key, info.suffix().toLower().toLatin1());
  if (image.isNull()) {
    missing_.insert(key);
    std::fprintf(stderr, "vodivuri: falta la imagen %s en %s\n", name.c_str(),
                 QDir(folder_).absolutePath().toLocal8Bit().constData());
    return {};
  }
  const QPixmap loaded = QPixmap::fromImage(image);
  cache_.insert(key, loaded);
  return loaded;
}

// A picture only the cache still shares is one no window shows.
int AssetStore::releaseUnused() {
  int released = 0;
  for (auto it = cache_.begin(); it != cache_.end();) {
    if (it->isDetached()) {
      it = cache_.erase(it);
      ++released;
    } else {
      ++it;
    }
  }
  return released;
}

}  // namespace vodivuri::qt
