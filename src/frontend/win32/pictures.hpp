// The program's pictures by asset name: from the module's resources, else
// from files in an assets folder; loaded once while in use.
#pragma once

#include <windows.h>

#include <map>
#include <set>
#include <string>

namespace vodivuri::win32 {

class Pictures {
 public:
  // An empty folder means "assets" beside the executable.
  Pictures(HINSTANCE instance, std::string folder);
  ~Pictures();
  Pictures(const Pictures&) = delete;
  Pictures& operator=(const Pictures&) = delete;

  // Null when the picture is found nowhere (or the name is empty).
  HBITMAP bitmap(const std::string& asset);
  HICON icon(const std::string& asset, int size);
  // "hand" is hand.cur, else the system's hand.
  HCURSOR cursor(const std::string& name);
  const std::string& folder() const { return folder_; }
  // Frees the bitmaps not named in `inUse` (icons and cursors are small and stay).
  void keepOnlyBitmaps(const std::set<std::string>& inUse);
  bool holdsBitmap(const std::string& asset) const { return bitmaps_.count(asset) != 0; }

  // "toolbar.bmp" -> "toolbar"; the resource name of an asset.
  static std::string resourceName(const std::string& asset);

 private:
  HANDLE load(const std::string& asset, UINT type, int size, const std::string& fileAsset);

  HINSTANCE instance_;
  std::string folder_;
  std::map<std::string, HBITMAP> bitmaps_;
  std::map<std::string, HICON> icons_;
  std::map<std::string, HCURSOR> cursors_;
};

}  // namespace vodivuri::win32
