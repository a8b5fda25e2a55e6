// Vodivuri.exe's resources: every picture, icon and cursor the windows name is
// in the program file, in the form Windows loads, and its version record.
#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "frontend/testhost/test_host.hpp"
#include "frontend/win32/pictures.hpp"
#include "support/program_doubles.hpp"

#ifndef VODIVURI_EXE
#error "VODIVURI_EXE must name the built Vodivuri.exe"
#endif

namespace {

using vodivuri::win32::Pictures;

// The file as Windows sees it: the build passes a path of the build machine.
std::string exePath() {
  std::string path = VODIVURI_EXE;
  if (path.starts_with("/")) path = "Z:" + path;
  return path;
}

class Resources : public ::testing::Test {
 protected:
  void SetUp() override {
    module = LoadLibraryExA(exePath().c_str(), nullptr,
                            LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module, nullptr) << exePath() << ": error " << GetLastError();
  }
  void TearDown() override {
    if (module) FreeLibrary(module);
  }

  // The resource's bytes; empty when it is missing.
  std::string bytes(const std::string& name, LPCSTR type) const {
    HRSRC found = FindResourceA(module, name.c_str(), type);
    if (!found) return {};
    HGLOBAL loaded = LoadResource(module, found);
    const char* data = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    return data ? std::string(data, SizeofResource(module, found)) : std::string();
  }

  HMODULE module = nullptr;
};

// Every asset the four windows name in their layouts, with what names it.
std::set<std::string> assetsOfTheWindows() {
  vodivuri::testing::ProgramDoubles doubles;
  vodivuri::testhost::TestHost host{doubles.clock};
  vodivuri::app::Program program{doubles.services(host)};
  std::set<std::string> assets;
  const vodivuri::toolkit::Form* forms[] = {&program.frmTransparente, &program.Calen,
                                            &program.frmAcercaDe, &program.frmAyuda};
  for (const auto* form : forms) {
    if (!form->layout().icon.empty()) assets.insert(form->layout().icon);
    if (!form->layout().picture.empty()) assets.insert(form->layout().picture);
    for (const auto* control : form->controls()) {
      if (!control->picture().empty()) assets.insert(control->picture());
      if (!control->state().cursor.empty()) assets.insert(control->state().cursor + ".cur");
    }
  }
  return assets;
}

LPCSTR typeOf(const std::string& asset) {
  if (asset.ends_with(".ico")) return RT_GROUP_ICON;
  if (asset.ends_with(".cur")) return RT_GROUP_CURSOR;
  return RT_BITMAP;
}

TEST_F(Resources, EveryPictureTheWindowsNameIsInTheProgram) {
  const std::set<std::string> assets = assetsOfTheWindows();
  ASSERT_GE(assets.size(), 19u);  // toolbar, six raised buttons, arrows, icons, help pictures...
  for (const std::string& asset : assets) {
    SCOPED_TRACE(asset);
    EXPECT_FALSE(bytes(Pictures::resourceName(asset), typeOf(asset)).empty());
  }
}

// Width, height and bits per pixel of a bitmap resource as Windows loads it.
struct BitmapShape {
  LONG width = 0, height = 0;
  WORD bits = 0;
  friend bool operator==(const BitmapShape&, const BitmapShape&) = default;
};

TEST_F(Resources, BitmapsAre24BitsAtTheirLayoutSizes) {
  const auto shape = [&](const char* name) {
    HANDLE image = LoadImageA(module, name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
    BitmapShape s;
    BITMAP info{};
    if (image && GetObjectA(image, sizeof info, &info) == sizeof info) {
      s = {info.bmWidth, info.bmHeight, info.bmBitsPixel};
    }
    if (image) DeleteObject(image);
    return s;
  };
  EXPECT_EQ(shape("toolbar"), (BitmapShape{387, 43, 24}));
  for (const char* raised :
       {"raised_1", "raised_2", "raised_3", "raised_4", "raised_5", "raised_6"}) {
    EXPECT_EQ(shape(raised), (BitmapShape{50, 40, 24})) << raised;
  }
  for (const char* arrow : {"arrow_up", "arrow_down", "cal_arrow_up", "cal_arrow_down"}) {
    EXPECT_EQ(shape(arrow), (BitmapShape{13, 11, 24})) << arrow;
  }
  // Decoded from the JPEG and PNG assets.
  EXPECT_EQ(shape("about_background"), (BitmapShape{386, 321, 24}));
  EXPECT_EQ(shape("help_main_window").bits, 24);
}

#pragma pack(push, 2)
struct GroupEntry {  // one entry of an RT_GROUP_ICON directory
  BYTE width, height, colours, reserved;
  WORD planes, bits;
  DWORD bytes;
  WORD id;
};
#pragma pack(pop)

TEST_F(Resources, IconsHave256ColoursWithThe32PixelOneFirst) {
  for (const char* name : {"vodivuri", "about", "help", "#1"}) {
    SCOPED_TRACE(name);
    const std::string dir = bytes(name, RT_GROUP_ICON);
    ASSERT_GE(dir.size(), 6u + sizeof(GroupEntry));
    const WORD count = *reinterpret_cast<const WORD*>(dir.data() + 4);
    ASSERT_EQ(dir.size(), 6u + count * sizeof(GroupEntry));
    for (WORD i = 0; i < count; ++i) {
      const auto* e = reinterpret_cast<const GroupEntry*>(dir.data() + 6 + i * sizeof(GroupEntry));
      EXPECT_EQ(e->bits, 8);
      if (i == 0) {
        EXPECT_EQ(e->width, 32);
      }
    }
  }
  HICON icon = static_cast<HICON>(LoadImageA(module, "vodivuri", IMAGE_ICON, 32, 32, 0));
  EXPECT_NE(icon, nullptr);
  if (icon) DestroyIcon(icon);
}

TEST_F(Resources, TheHandCursorPointsWithTheTipOfItsFinger) {
  HCURSOR hand = static_cast<HCURSOR>(LoadImageA(module, "hand", IMAGE_CURSOR, 0, 0, 0));
  ASSERT_NE(hand, nullptr);
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(hand, &info));
  EXPECT_FALSE(info.fIcon);
  EXPECT_EQ(info.xHotspot, 10u);
  EXPECT_EQ(info.yHotspot, 1u);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  DestroyCursor(hand);
}

TEST(Version, SpanishRecordOfVodivuri10) {
  const std::string path = exePath();
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::string block(size, '\0');
  ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, block.data()));
  void* value = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(block.data(), "\\", &value, &length));
  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0u);
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
  ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &value, &length));
  ASSERT_EQ(length, 4u);
  EXPECT_EQ(static_cast<const WORD*>(value)[0], 0x0C0A);
  EXPECT_EQ(static_cast<const WORD*>(value)[1], 1252);
  const auto text = [&](const char* key) {
    const std::string query = std::string("\\StringFileInfo\\0C0A04E4\\") + key;
    return VerQueryValueA(block.data(), query.c_str(), &value, &length) && length > 0
               ? std::string(static_cast<const char*>(value))
               : std::string();
  };
  EXPECT_EQ(text("ProductName"), "Vodivuri");
  EXPECT_EQ(text("FileVersion"), "1.0.0.0");
  EXPECT_EQ(text("ProductVersion"), "1.0.0.0");
  EXPECT_EQ(text("OriginalFilename"), "Vodivuri.exe");
  EXPECT_FALSE(text("FileDescription").empty());
}

}  // namespace
