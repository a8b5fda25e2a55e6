#include "frontend/win32/pictures.hpp"

#include <algorithm>

#include "frontend/win32/gdi.hpp"
#include "toolkit/geometry.hpp"

namespace vodivuri::win32 {

namespace {

std::string exeFolder() {
  char path[MAX_PATH] = {};
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string s(path, n);
  const auto slash = s.find_last_of("\\/");
  return slash == std::string::npos ? std::string(".") : s.substr(0, slash);
}

std::string extension(const std::string& asset) {
  const auto dot = asset.find_last_of('.');
  if (dot == std::string::npos) return {};
  std::string ext = asset.substr(dot + 1);
  for (char& c : ext) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return ext;
}

}  // namespace

Pictures::Pictures(HINSTANCE instance, std::string folder, int twipsPerPixelX, int twipsPerPixelY)
    : instance_(instance),
      folder_(folder.empty() ? exeFolder() + "\\assets" : std::move(folder)),
      twipsPerPixelX_(twipsPerPixelX > 0 ? twipsPerPixelX : kDesignTwipsPerPixel),
      twipsPerPixelY_(twipsPerPixelY > 0 ? twipsPerPixelY : kDesignTwipsPerPixel) {}

Pictures::~Pictures() {
  for (auto& [name, h] : bitmaps_) {
    if (h != nullptr) DeleteObject(h);
  }
  for (auto& [name, h] : icons_) {
    if (h != nullptr) DestroyIcon(h);
  }
  for (auto& [name, h] : cursors_) {
    if (h != nullptr) DestroyCursor(h);
  }
}

std::string Pictures::resourceName(const std::string& asset) {
  const auto slash = asset.find_last_of("\\/");
  std::string name = slash == std::string::npos ? asset : asset.substr(slash + 1);
  const auto dot = name.find_last_of('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

HANDLE Pictures::load(const std::string& asset, UINT type, int size, const std::string& fileAsset) {
  const UINT flags = type == IMAGE_BITMAP ? LR_CREATEDIBSECTION : 0;
  const std::string resource = resourceName(asset);
  if (HANDLE h = LoadImageA(instance_, resource.c_str(), type, size, size, flags)) return h;
  const std::string path = folder_ + "\\" + fileAsset;
  return LoadImageA(nullptr, path.c_str(), type, size, size, flags | LR_LOADFROMFILE);
}

HBITMAP Pictures::bitmap(const std::string& asset) {
  if (asset.empty()) return nullptr;
  if (const auto it = bitmaps_.find(asset); it != bitmaps_.end()) return it->second;
  // Only BMP files load from disk: a JPEG or PNG asset comes as its BMP twin.
  const std::string ext = extension(asset);
  const std::string file = ext == "bmp" ? asset : resourceName(asset) + ".bmp";
  auto* h = static_cast<HBITMAP>(load(asset, IMAGE_BITMAP, 0, file));
  if (h != nullptr) h = toScreenSize(h);
  bitmaps_[asset] = h;
  return h;
}

HBITMAP Pictures::toScreenSize(HBITMAP original) const {
  if (twipsPerPixelX_ == kDesignTwipsPerPixel && twipsPerPixelY_ == kDesignTwipsPerPixel) {
    return original;
  }
  BITMAP info{};
  if (GetObjectA(original, sizeof info, &info) == 0 || info.bmWidth <= 0 || info.bmHeight <= 0) {
    return original;
  }
  const int width =
      std::max(1, toolkit::twipsToPixels(info.bmWidth * kDesignTwipsPerPixel, twipsPerPixelX_));
  const int height =
      std::max(1, toolkit::twipsToPixels(info.bmHeight * kDesignTwipsPerPixel, twipsPerPixelY_));
  // A 24-bit DIB like the loaded ones: no alpha for a button to misread, and
  // the same on every display depth.
  BITMAPINFO format{};
  format.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  format.bmiHeader.biWidth = width;
  format.bmiHeader.biHeight = height;
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 24;
  format.bmiHeader.biCompression = BI_RGB;
  HDC screen = GetDC(nullptr);
  void* bits = nullptr;
  HBITMAP copy = CreateDIBSection(screen, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool copied = false;
  if (copy != nullptr) {
    MemoryDc from(screen, original);
    MemoryDc to(screen, copy);
    if (from.ok() && to.ok()) {
      // Averaged where the system can, else whole pixels (Windows 9x has no
      // halftone stretching).
      auto stretch = [&] {
        return StretchBlt(to.get(), 0, 0, width, height, from.get(), 0, 0, info.bmWidth,
                          info.bmHeight, SRCCOPY) != FALSE;
      };
      const bool halftone = SetStretchBltMode(to.get(), HALFTONE) != 0;
      if (halftone) SetBrushOrgEx(to.get(), 0, 0, nullptr);
      copied = stretch();
      if (!copied && halftone) {
        SetStretchBltMode(to.get(), COLORONCOLOR);
        copied = stretch();
      }
    }
  }
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  if (!copied) {
    // Drawn at its own size is better than not drawn at all.
    if (copy != nullptr) DeleteObject(copy);
    return original;
  }
  DeleteObject(original);
  return copy;
}

void Pictures::keepOnlyBitmaps(const std::set<std::string>& inUse) {
  for (auto it = bitmaps_.begin(); it != bitmaps_.end();) {
    if (inUse.count(it->first) != 0) {
      ++it;
      continue;
    }
    if (it->second != nullptr) DeleteObject(it->second);
    it = bitmaps_.erase(it);
  }
}

HICON Pictures::icon(const std::string& asset, int size) {
  if (asset.empty()) return nullptr;
  const std::string key = asset + "@" + std::to_string(size);
  if (const auto it = icons_.find(key); it != icons_.end()) return it->second;
  auto* h = static_cast<HICON>(load(asset, IMAGE_ICON, size, asset));
  icons_[key] = h;
  return h;
}

HCURSOR Pictures::cursor(const std::string& name) {
  if (name.empty()) return LoadCursor(nullptr, IDC_ARROW);
  if (const auto it = cursors_.find(name); it != cursors_.end()) {
    return it->second != nullptr ? it->second : LoadCursor(nullptr, IDC_HAND);
  }
  auto* h = static_cast<HCURSOR>(load(name + ".cur", IMAGE_CURSOR, 0, name + ".cur"));
  cursors_[name] = h;
  return h != nullptr ? h : LoadCursor(nullptr, IDC_HAND);
}

}  // namespace vodivuri::win32
