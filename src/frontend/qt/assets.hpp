// Pictures by asset name from the assets folder, decoded once while in use; a
// missing file gives an empty picture and one note on standard error. On a
// screen with 1.5 or more device pixels to the pixel, a picture's twice-size
// drawing ("name@2x.png") where there is one.
#pragma once

#include <QHash>
#include <QPixmap>
#include <QSet>
#include <QString>

namespace vodivuri::qt {

class AssetStore {
 public:
  explicit AssetStore(QString folder);

  // $VODIVURI_ASSETS when set; else the installed share folder next to the
  // program when it exists; else the source tree's assets/.
  static QString defaultFolder();

  const QString& folder() const { return folder_; }
  // The device pixels per pixel pictures are chosen for; by default the
  // application's, as its screens have it.
  void setDeviceScale(qreal scale) { deviceScale_ = scale; }
  // Null when the name is empty or the file is missing or unreadable.
  QPixmap pixmap(const std::string& name);
  // Forgets the pictures nothing else holds any more; returns how many.
  int releaseUnused();
  bool holds(const std::string& name) const {
    return cache_.contains(QString::fromStdString(name));
  }

 private:
  QImage read(const QString& file, const QByteArray& format) const;
  qreal deviceScale() const;

  QString folder_;
  qreal deviceScale_ = 0;
  QHash<QString, QPixmap> cache_;
  QSet<QString> missing_;
};

}  // namespace vodivuri::qt
