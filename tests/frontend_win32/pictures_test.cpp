// Pictures by asset name: the module's resources first, then the assets
// folder; the tray record built from the receiver and the tooltip.
#include <gtest/gtest.h>

#include <string>

#include "frontend/win32/pictures.hpp"
#include "frontend/win32/win32_host.hpp"

namespace vodivuri::win32 {
namespace {

std::string windowsPath(std::string unixPath) {
  for (char& c : unixPath) {
    if (c == '/') c = '\\';
  }
  return "Z:" + unixPath;
}

SIZE sizeOf(HBITMAP bitmap) {
  BITMAP info{};
  GetObjectA(bitmap, sizeof info, &info);
  return {info.bmWidth, info.bmHeight};
}

TEST(Pictures, ResourcesComeFirstUnderTheAssetNameWithoutExtension) {
  EXPECT_EQ(Pictures::resourceName("toolbar.bmp"), "toolbar");
  EXPECT_EQ(Pictures::resourceName("about_background.jpg"), "about_background");
  Pictures pictures(GetModuleHandleA(nullptr), "Z:\\nonexistent", Pictures::kDesignTwipsPerPixel,
                    Pictures::kDesignTwipsPerPixel);
  HBITMAP toolbar = pictures.bitmap("toolbar.bmp");
  ASSERT_NE(toolbar, nullptr);
  EXPECT_EQ(sizeOf(toolbar).cx, 387);
  EXPECT_EQ(sizeOf(toolbar).cy, 43);
  EXPECT_EQ(pictures.bitmap("toolbar.bmp"), toolbar);  // loaded once
  EXPECT_NE(pictures.icon("vodivuri.ico", 32), nullptr);
  EXPECT_NE(pictures.icon("vodivuri.ico", 16), pictures.icon("vodivuri.ico", 32));
  EXPECT_NE(pictures.cursor("hand"), LoadCursor(nullptr, IDC_HAND));
  // Found nowhere: nothing to draw, and the system's hand.
  EXPECT_EQ(pictures.bitmap("raised_1.bmp"), nullptr);
  EXPECT_EQ(pictures.bitmap(""), nullptr);
  EXPECT_EQ(pictures.icon("help.ico", 32), nullptr);
}

TEST(Pictures, FilesBesideTheProgramStandInForMissingResources) {
  Pictures pictures(GetModuleHandleA(nullptr), windowsPath(VODIVURI_SOURCE_ASSETS),
                    Pictures::kDesignTwipsPerPixel, Pictures::kDesignTwipsPerPixel);
  HBITMAP raised = pictures.bitmap("raised_3.bmp");
  ASSERT_NE(raised, nullptr);
  EXPECT_EQ(sizeOf(raised).cx, 50);
  EXPECT_NE(pictures.icon("help.ico", 32), nullptr);
  // A JPEG asset is read from its BMP twin, never from the JPEG itself.
  EXPECT_EQ(pictures.bitmap("about_background.jpg"), nullptr);
  char folder[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, folder);
  const std::string twinFolder = std::string(folder) + "vodivuri-pictures-test";
  CreateDirectoryA(twinFolder.c_str(), nullptr);
  const std::string twin = twinFolder + "\\about_background.bmp";
  ASSERT_TRUE(CopyFileA((windowsPath(VODIVURI_SOURCE_ASSETS) + "\\raised_1.bmp").c_str(),
                        twin.c_str(), FALSE));
  {
    Pictures fromTwin(GetModuleHandleA(nullptr), twinFolder, Pictures::kDesignTwipsPerPixel,
                      Pictures::kDesignTwipsPerPixel);
    EXPECT_NE(fromTwin.bitmap("about_background.jpg"), nullptr);
  }
  DeleteFileA(twin.c_str());
  RemoveDirectoryA(twinFolder.c_str());
}

TEST(TrayRecord, HoldsTheReceiverTheCallbackAndTheTooltipInItsFirstAnsiForm) {
  HWND receiver = reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x1234));
  HICON icon = LoadIcon(nullptr, IDI_APPLICATION);
  const NOTIFYICONDATAA r = makeTrayRecord(receiver, icon, "Apagar a las 07:30 — sesión");
  EXPECT_EQ(r.cbSize, offsetof(NOTIFYICONDATAA, szTip) + 64);
  EXPECT_EQ(r.hWnd, receiver);
  EXPECT_EQ(r.uID, 0x1234u);
  EXPECT_EQ(r.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
  EXPECT_EQ(r.uCallbackMessage, static_cast<UINT>(WM_MOUSEMOVE));
  EXPECT_EQ(r.hIcon, icon);
  EXPECT_STREQ(r.szTip, "Apagar a las 07:30 \x97 sesi\xF3n");

  // A tooltip longer than the field keeps its NUL: 63 characters and the end.
  const NOTIFYICONDATAA longer = makeTrayRecord(receiver, icon, std::string(100, 'x'));
  EXPECT_EQ(std::string(longer.szTip), std::string(63, 'x'));
}

}  // namespace
}  // namespace vodivuri::win32
