// The program's pictures by asset name: from the module's resources, else
// from files in an assets folder; loaded once while in use.
//
// The layouts place pictures in twips as drawn at 96 dots per inch (15 twips
// per pixel). On another screen a bitmap is scaled once, as it is loaded, to
// the pixels its twips take there, so that everything that draws it (the
// forms' backgrounds, picture boxes, images, button glyphs) shows it where the
// layout's rectangles are: at 120 dpi a 50-pixel button is 63 pixels wide.
#pragma once

#include <windows.h>

#include <map>
#include <set>
#include <string>

namespace vodivuri::win32 {

class Pictures {
 public:
  // An empty folder means "assets" beside the executable. Bitmaps are scaled
  // for the screen's twips per pixel given.
  Pictures(HINSTANCE instance, std::string folder, int twipsPerPixelX, int twipsPerPixelY);
  ~Pictures();
  Pictures(const Pictures&) = delete;
  Pictures& operator=(const Pictures&) = delete;

  // Null when the picture is found nowhere (or the name is empty). Already in
  // the screen's pixels: drawn at its own size, it covers its twips.
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

  // The twips per pixel the pictures are drawn for.
  static constexpr int kDesignTwipsPerPixel = 15;

 private:
  HANDLE load(const std::string& asset, UINT type, int size, const std::string& fileAsset);
  // The bitmap at this screen's size; the original is freed once copied.
  HBITMAP toScreenSize(HBITMAP original) const;

  HINSTANCE instance_;
  std::string folder_;
  int twipsPerPixelX_;
  int twipsPerPixelY_;
  std::map<std::string, HBITMAP> bitmaps_;
  std::map<std::string, HICON> icons_;
  std::map<std::string, HCURSOR> cursors_;
};

}  // namespace vodivuri::win32
