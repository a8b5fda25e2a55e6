// The pictures as the host paints them, at the screen's dots per inch: each
// toolbar slot shows its own button, the raised button covers the slot the
// mouse is over, and the About window's background fills its client area.
// Part of the host tests (96 dpi), and built again as a program of its own
// that runs while the prefix's LogPixels says 120 (at_dpi.sh).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "app/program.hpp"
#include "frontend/win32/pictures.hpp"
#include "frontend/win32/records.hpp"
#include "frontend/win32/win32_host.hpp"
#include "support/program_doubles.hpp"
#include "toolkit/geometry.hpp"
#include "win32_support.hpp"

namespace vodivuri::win32 {
namespace {

constexpr int kDesign = Pictures::kDesignTwipsPerPixel;

std::string windowsPath(std::string unixPath) {
  for (char& c : unixPath) {
    if (c == '/') c = '\\';
  }
  return "Z:" + unixPath;
}

// Pixels as 0x00RRGGBB, rows from the top.
struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> data;
  std::uint32_t at(int x, int y) const {
    return data[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                static_cast<std::size_t>(x)];
  }
};

Pixels readBitmap(HBITMAP bitmap) {
  Pixels p;
  BITMAP info{};
  if (bitmap == nullptr || GetObjectA(bitmap, sizeof info, &info) == 0) return p;
  BITMAPINFO format{};
  format.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  format.bmiHeader.biWidth = info.bmWidth;
  format.bmiHeader.biHeight = -info.bmHeight;  // top-down
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  format.bmiHeader.biCompression = BI_RGB;
  std::vector<std::uint32_t> data(static_cast<std::size_t>(info.bmWidth) *
                                  static_cast<std::size_t>(info.bmHeight));
  HDC screen = GetDC(nullptr);
  const int rows = GetDIBits(screen, bitmap, 0, static_cast<UINT>(info.bmHeight), data.data(),
                             &format, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  if (rows != info.bmHeight) return p;
  for (auto& v : data) v &= 0xFFFFFF;
  p.width = info.bmWidth;
  p.height = info.bmHeight;
  p.data = std::move(data);
  return p;
}

// A picture as its file holds it, at its own size.
Pixels readPictureFile(const std::string& name) {
  const std::string path = windowsPath(VODIVURI_PICTURES_FOLDER) + "\\" + name;
  auto* bitmap = static_cast<HBITMAP>(
      LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
  Pixels p = readBitmap(bitmap);
  if (bitmap != nullptr) DeleteObject(bitmap);
  return p;
}

// What a window shows in its client area, its children included.
Pixels capture(HWND window) {
  RECT client;
  GetClientRect(window, &client);
  HDC dc = GetDC(window);
  HBITMAP copy = CreateCompatibleBitmap(dc, client.right, client.bottom);
  HDC mem = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(mem, copy);
  BitBlt(mem, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
  SelectObject(mem, old);
  DeleteDC(mem);
  ReleaseDC(window, dc);
  Pixels p = readBitmap(copy);
  DeleteObject(copy);
  return p;
}

int channel(std::uint32_t v, int shift) {
  return static_cast<int>((v >> shift) & 0xFF);
}

// Whether the shown pixel (x, y) is the picture's, drawn with its top-left at
// `origin` and its design pixels scaled to the screen's: every channel within
// the range the picture has around the point it maps to (any smoothing of a
// stretch stays inside it; a shrinking one reaches further), with a little leeway.
bool showsPictureAt(const Pixels& shown, int x, int y, const Pixels& picture, POINT origin,
                    int twipsPerPixelX, int twipsPerPixelY) {
  const double fx = (x - origin.x + 0.5) * twipsPerPixelX / kDesign;
  const double fy = (y - origin.y + 0.5) * twipsPerPixelY / kDesign;
  const int sx = static_cast<int>(fx), sy = static_cast<int>(fy);
  const int rx = (twipsPerPixelX + kDesign - 1) / kDesign;
  const int ry = (twipsPerPixelY + kDesign - 1) / kDesign;
  constexpr int kLeeway = 12;
  const std::uint32_t v = shown.at(x, y);
  for (int shift : {0, 8, 16}) {
    int low = 255, high = 0;
    for (int py = std::max(0, sy - ry); py <= std::min(picture.height - 1, sy + ry); ++py) {
      for (int px = std::max(0, sx - rx); px <= std::min(picture.width - 1, sx + rx); ++px) {
        low = std::min(low, channel(picture.at(px, py), shift));
        high = std::max(high, channel(picture.at(px, py), shift));
      }
    }
    const int c = channel(v, shift);
    if (c < low - kLeeway || c > high + kLeeway) return false;
  }
  return true;
}

// The pixels of `area` (in `shown`) that are not the picture's.
int pixelsNotOfPicture(const Pixels& shown, RECT area, const Pixels& picture, POINT origin,
                       int twipsPerPixelX, int twipsPerPixelY) {
  int wrong = 0;
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) {
      if (!showsPictureAt(shown, x, y, picture, origin, twipsPerPixelX, twipsPerPixelY)) ++wrong;
    }
  }
  return wrong;
}

class PicturesOnScreen : public ::testing::Test, protected vodivuri::testing::ProgramDoubles {
 protected:
  PicturesOnScreen() {
    host.notifyIcon = [](DWORD, NOTIFYICONDATAA*) { return TRUE; };
    vodivuri::testing::storeEarlierRun(program.store,
                                       {{"Siempre", "True"}, {"Left", "1500"}, {"Top", "1500"}});
    program.start();
  }

  void SetUp() override {
#ifdef VODIVURI_EXPECTED_DPI
    // This program is only worth running where the prefix was set for it.
    ASSERT_EQ(host.twipsPerPixelX(), toolkit::twipsPerPixelFor(VODIVURI_EXPECTED_DPI));
    ASSERT_EQ(host.twipsPerPixelY(), toolkit::twipsPerPixelFor(VODIVURI_EXPECTED_DPI));
#endif
    tx = host.twipsPerPixelX();
    ty = host.twipsPerPixelY();
  }

  // The main window shown and painted, as a double-click on the icon shows it.
  HWND showMain() {
    SendMessageA(host.windowOf(main.Receptor), WM_MOUSEMOVE, 0, 0x203);
    HWND window = host.windowOf(main);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    testing::pump(100);
    return window;
  }

  // Where a picture `picture` drawn from (0, 0) of its control ends, in pixels.
  RECT pictureExtent(const Pixels& picture) const {
    return {0, 0, toolkit::twipsToPixels(picture.width * kDesign, tx),
            toolkit::twipsToPixels(picture.height * kDesign, ty)};
  }

  // The slot's rectangle in the strip's pixels: where a click runs button k.
  RECT slot(int k) const {
    const int left = mainwindow::frmTransparente::ButtonLeft +
                     mainwindow::frmTransparente::ButtonWidth * (k - 1);
    const int right = left + mainwindow::frmTransparente::ButtonWidth;
    // The buttons' boxes: rows 2 to 42 of the strip's design pixels.
    return {host.toPixelsX(left), host.toPixelsY(2 * kDesign), host.toPixelsX(right),
            host.toPixelsY(42 * kDesign)};
  }

  Win32Host host{GetModuleHandleA(nullptr), windowsPath(VODIVURI_PICTURES_FOLDER)};
  app::Program program{services(host)};
  mainwindow::frmTransparente& main = program.frmTransparente;
  int tx = 15;
  int ty = 15;
};

RECT intersection(RECT a, RECT b) {
  RECT r{};
  IntersectRect(&r, &a, &b);
  return r;
}

TEST_F(PicturesOnScreen, EveryToolbarSlotShowsItsOwnButton) {
  const Pixels strip = readPictureFile("toolbar.bmp");
  ASSERT_EQ(strip.width, 387);
  showMain();
  HWND tools = host.windowOf(main.pTools);
  ASSERT_NE(tools, nullptr);
  const Pixels shown = capture(tools);
  ASSERT_GT(shown.width, 0);
  RECT client;
  GetClientRect(tools, &client);
  EXPECT_EQ(client.right, host.toPixelsX(main.pTools.width()));
  for (int k = 1; k <= 6; ++k) {
    SCOPED_TRACE("slot " + std::to_string(k));
    const RECT area = intersection(intersection(slot(k), client), pictureExtent(strip));
    ASSERT_GT(area.right - area.left, 0);
    const int pixels = (area.right - area.left) * (area.bottom - area.top);
    EXPECT_EQ(pixelsNotOfPicture(shown, area, strip, {0, 0}, tx, ty), 0) << "of " << pixels;
  }
}

TEST_F(PicturesOnScreen, TheRaisedButtonCoversTheSlotUnderTheMouse) {
  showMain();
  HWND tools = host.windowOf(main.pTools);
  ASSERT_NE(tools, nullptr);
  for (int k = 1; k <= 6; ++k) {
    SCOPED_TRACE("slot " + std::to_string(k));
    const RECT s = slot(k);
    SendMessageA(tools, WM_MOUSEMOVE, 0,
                 MAKELPARAM((s.left + s.right) / 2, (s.top + s.bottom) / 2));
    // The slot the model found under the pointer is the one drawn there.
    ASSERT_EQ(main.imRaised.picture(), "raised_" + std::to_string(k) + ".bmp");
    RedrawWindow(tools, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    testing::pump(50);
    const Pixels raised = readPictureFile(main.imRaised.picture());
    ASSERT_EQ(raised.width, 50);
    const Pixels shown = capture(tools);
    const POINT origin{host.toPixelsX(main.imRaised.left()), host.toPixelsY(main.imRaised.top())};
    RECT image{origin.x, origin.y, origin.x + host.toPixelsX(main.imRaised.width()),
               origin.y + host.toPixelsY(main.imRaised.height())};
    RECT drawn = pictureExtent(raised);
    OffsetRect(&drawn, origin.x, origin.y);
    // The raised picture fills its image, and the image the slot.
    EXPECT_GE(drawn.right, image.right);
    EXPECT_GE(drawn.bottom, image.bottom);
    const RECT area = intersection(image, s);
    ASSERT_GT(area.right - area.left, (s.right - s.left) * 9 / 10);
    const int pixels = (area.right - area.left) * (area.bottom - area.top);
    EXPECT_EQ(pixelsNotOfPicture(shown, area, raised, origin, tx, ty), 0) << "of " << pixels;
  }
}

TEST_F(PicturesOnScreen, TheAboutBackgroundFillsItsWindow) {
  const Pixels picture = readPictureFile("about_background.bmp");
  ASSERT_EQ(picture.width, 386);
  bool seen = false;
  testing::Later look(300, [&] {
    seen = true;
    HWND window = host.windowOf(program.frmAcercaDe);
    ASSERT_NE(window, nullptr);
    RECT client;
    GetClientRect(window, &client);
    // The form's painted background, under everything else on it.
    const FormRecord* record = host.formRecord(window);
    ASSERT_NE(record, nullptr);
    const Pixels background = readBitmap(record->background);
    ASSERT_EQ(background.width, client.right);
    ASSERT_EQ(background.height, client.bottom);
    EXPECT_EQ(pixelsNotOfPicture(background, client, picture, {0, 0}, tx, ty), 0);
    // On the window, right of the texts and the link: the picture to the edge.
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    const Pixels shown = capture(window);
    const RECT edge{host.toPixelsX(360 + 4650) + 1, 0, client.right, client.bottom};
    ASSERT_GT(edge.right - edge.left, 5);
    EXPECT_EQ(pixelsNotOfPicture(shown, edge, picture, {0, 0}, tx, ty), 0);
    PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0);
  });
  testing::Later giveUp(5000, [&] {
    ADD_FAILURE() << "Esc did not close it";
    program.frmAcercaDe.unload();
  });
  program.frmAcercaDe.showModal(main);
  EXPECT_TRUE(seen);
}

// At 96 dpi a picture is its file, pixel for pixel; elsewhere one copy at the
// screen's size, made once.
TEST(PicturesForTheScreen, AreScaledOnceToTheirDesignTwips) {
  const std::string folder = windowsPath(VODIVURI_PICTURES_FOLDER);
  const Pixels file = readPictureFile("raised_4.bmp");
  ASSERT_EQ(file.width, 50);
  {
    Pictures atDesign(GetModuleHandleA(nullptr), folder, 15, 15);
    const Pixels same = readBitmap(atDesign.bitmap("raised_4.bmp"));
    EXPECT_EQ(same.width, 50);
    EXPECT_EQ(same.height, 40);
    EXPECT_TRUE(same.data == file.data);
  }
  for (const auto& [x, y] : std::vector<std::pair<int, int>>{{12, 12}, {10, 10}, {20, 12}}) {
    SCOPED_TRACE(std::to_string(x) + "x" + std::to_string(y) + " twips per pixel");
    Pictures pictures(GetModuleHandleA(nullptr), folder, x, y);
    HBITMAP bitmap = pictures.bitmap("raised_4.bmp");
    EXPECT_EQ(pictures.bitmap("raised_4.bmp"), bitmap);
    const Pixels scaled = readBitmap(bitmap);
    EXPECT_EQ(scaled.width, toolkit::twipsToPixels(50 * 15, x));
    EXPECT_EQ(scaled.height, toolkit::twipsToPixels(40 * 15, y));
    const RECT all{0, 0, scaled.width, scaled.height};
    EXPECT_EQ(pixelsNotOfPicture(scaled, all, file, {0, 0}, x, y), 0);
  }
}

}  // namespace
}  // namespace vodivuri::win32
