#include "frontend/qt/assets.hpp"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
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

QPixmap AssetStore::pixmap(const std::string& name) {
  if (name.empty()) return {};
  const QString key = QString::fromStdString(name);
  if (const auto it = cache_.constFind(key); it != cache_.constEnd()) return *it;
  if (missing_.contains(key)) return {};
  // By its known format: no probing through every image plugin. Read through
  // QImageReader, not QPixmap::load, whose global cache would keep every
  // picture decoded after its window has gone.
  const QByteArray format = QFileInfo(key).suffix().toLower().toLatin1();
  QFile file(QDir(folder_).filePath(key));
  QPixmap loaded;
  if (file.open(QIODevice::ReadOnly)) {
    QImageReader reader(&file, format);
    // Without this, a named format still has every plugin loaded and asked.
    reader.setAutoDetectImageFormat(false);
    loaded = QPixmap::fromImage(reader.read());
  }
  if (loaded.isNull()) {
    missing_.insert(key);
    std::fprintf(stderr, "vodivuri: falta la imagen %s en %s\n", name.c_str(),
                 QDir(folder_).absolutePath().toLocal8Bit().constData());
    return {};
  }
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
