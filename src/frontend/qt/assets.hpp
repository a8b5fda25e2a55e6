// Pictures by asset name from the assets folder, decoded once while in use; a
// missing file gives an empty picture and one note on standard error.
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
  // Null when the name is empty or the file is missing or unreadable.
  QPixmap pixmap(const std::string& name);
  // Forgets the pictures nothing else holds any more; returns how many.
  int releaseUnused();
  bool holds(const std::string& name) const {
    return cache_.contains(QString::fromStdString(name));
  }

 private:
  QString folder_;
  QHash<QString, QPixmap> cache_;
  QSet<QString> missing_;
};

}  // namespace vodivuri::qt
