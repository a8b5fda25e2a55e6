#include "platform/linux/settings_folder.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/linux/registry_file.hpp"
#include "platform/linux_test_support.hpp"

namespace vodivuri::platform::linux_os {
namespace {

using vodivuri::testing::countLines;
using vodivuri::testing::exists;
using vodivuri::testing::modeOf;
using vodivuri::testing::readFile;
using vodivuri::testing::TempFolder;
using vodivuri::testing::writeFile;
constexpr RegistryRoot kUser = RegistryRoot::CurrentUser;
constexpr uid_t kNobody = 65534;
const std::string kSettings = "REGEDIT4\n\n[HKEY_CURRENT_USER\\Rurevoduz]\n\"Hora\"=\"07\"\n\n";

void setHora(Registry& r, const std::string& text) {
  RegistryKey key = kNoKey;
  ASSERT_EQ(r.createKey(kUser, "Rurevoduz", key), kRegOk);
  r.setValue(key, "Hora", kRegSz, textBytes(text));
  r.closeKey(key);
}

TEST(SettingsFolder, TemporaryFilesOfInterruptedSavesGoAtStart) {
  TempFolder tmp;
  const std::string file = tmp / "user.reg";
  writeFile(file, kSettings);
  const std::vector<std::string> stale{".user.reg.Xy12ab", ".user.reg.000000"};
  const std::vector<std::string> kept{".user.reg.Xy12a", ".user.reg.Xy12abc", ".user.reg.Xy-2ab",
                                      "user.reg.Xy12ab", ".other.reg.Xy12ab", ".user.reg.bad",
                                      "user.reg.bad"};
  for (const auto& name : stale) writeFile(tmp / name, "REGEDIT4\n\n[HKEY_CURRENT_USER\\Rur");
  for (const auto& name : kept) writeFile(tmp / name, "x");
  ::mkdir((tmp / ".user.reg.Folder").c_str(), 0700);  // not a file: not ours to remove

  ::testing::internal::CaptureStderr();
  FileRegistry reg(file);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(reg.text(kUser, "Rurevoduz", "Hora"), "07");
  for (const auto& name : stale) EXPECT_FALSE(exists(tmp / name)) << name;
  for (const auto& name : kept) EXPECT_TRUE(exists(tmp / name)) << name;
  EXPECT_TRUE(exists(tmp / ".user.reg.Folder"));
  EXPECT_EQ(readFile(file), kSettings);
}

TEST(SettingsFolder, LooseModesAreMadePrivateAtStart) {
  TempFolder tmp;
  const std::string folder = tmp / "vodivuri";
  const std::string file = folder + "/user.reg";
  ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
  writeFile(file, kSettings);
  ASSERT_EQ(::chmod(folder.c_str(), 0777), 0);
  ASSERT_EQ(::chmod(file.c_str(), 0666), 0);
  {
    FileRegistry reg(file);
    // Made private before any save, not only by the next one.
    EXPECT_EQ(modeOf(folder), 0700u);
    EXPECT_EQ(modeOf(file), 0600u);
    EXPECT_EQ(reg.text(kUser, "Rurevoduz", "Hora"), "07");
  }
  // Only the bits of others go; what the owner chose stays.
  ASSERT_EQ(::chmod(folder.c_str(), 0755), 0);
  ASSERT_EQ(::chmod(file.c_str(), 0440), 0);
  FileRegistry again(file);
  EXPECT_EQ(modeOf(folder), 0700u);
  EXPECT_EQ(modeOf(file), 0400u);
  EXPECT_EQ(again.text(kUser, "Rurevoduz", "Hora"), "07");
}

TEST(SettingsFolder, AFolderOrFileOfAnotherUserIsNeitherReadNorWritten) {
  if (::getuid() != 0) GTEST_SKIP() << "needs root to give a file to another user";
  struct Case {
    const char* what;
    bool foreignFolder;
  };
  for (const Case c : {Case{"file", false}, Case{"folder", true}}) {
    SCOPED_TRACE(c.what);
    TempFolder tmp;
    const std::string folder = tmp / "vodivuri";
    const std::string file = folder + "/user.reg";
    ASSERT_EQ(::mkdir(folder.c_str(), 0777), 0);
    ASSERT_EQ(::chmod(folder.c_str(), 0777), 0);
    writeFile(file, kSettings);
    ASSERT_EQ(::chmod(file.c_str(), 0666), 0);
    ASSERT_EQ(::chown(file.c_str(), kNobody, kNobody), 0);
    if (c.foreignFolder) {
      ASSERT_EQ(::chown(folder.c_str(), kNobody, kNobody), 0);
    }
    writeFile(tmp / "vodivuri/.user.reg.Xy12ab", "x");

    ::testing::internal::CaptureStderr();
    FileRegistry reg(file);
    const bool read = !reg.hive(kUser).empty();
    setHora(reg, "09");
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(countLines(err), 1u) << err;
    EXPECT_NE(err.find("belongs to another user (user id 65534)"), std::string::npos) << err;
    EXPECT_FALSE(read);
    // Not read: the program runs on with what it is given, and leaves the place alone.
    EXPECT_EQ(reg.text(kUser, "Rurevoduz", "Hora"), "09");
    EXPECT_EQ(readFile(file), kSettings);
    EXPECT_FALSE(exists(file + ".bad"));
    EXPECT_EQ(modeOf(file), 0666u);
    EXPECT_EQ(modeOf(folder), c.foreignFolder ? 0777u : 0700u);
    EXPECT_EQ(exists(tmp / "vodivuri/.user.reg.Xy12ab"), c.foreignFolder);
  }
}

}  // namespace
}  // namespace vodivuri::platform::linux_os
