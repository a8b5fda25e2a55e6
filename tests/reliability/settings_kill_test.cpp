// Kills a process while it saves the settings, hundreds of times: the file
// must always read back whole, every setting must hold its value from before
// or after the interrupted save, and the next start must clear the debris.
#include <dirent.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "platform/linux/reg_format.hpp"
#include "platform/linux/registry_file.hpp"
#include "platform/linux_test_support.hpp"
#include "reliability/settings_names.hpp"
#include "reliability/spawn.hpp"

namespace vodivuri::testing {
namespace {

using platform::RegistryRoot;
using platform::linux_os::FileRegistry;

int killsToMake() {
  const char* wanted = std::getenv("VODIVURI_KILLS");
  return wanted != nullptr ? std::max(1, std::atoi(wanted)) : 250;
}

std::vector<std::string> temporariesIn(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* dir = ::opendir(folder.c_str())) {
    while (const dirent* e = ::readdir(dir)) {
      const std::string name = e->d_name;
      if (name.starts_with(".user.reg.")) names.push_back(name);
    }
    ::closedir(dir);
  }
  return names;
}

TEST(KillDuringSave, EveryFileReadsBackWithOldOrNewValuesAndNoTemporaryFileStays) {
  TempFolder tmp;
  const std::string file = tmp / "vodivuri/user.reg";
  const int kills = killsToMake();
  std::mt19937 random(20261208);
  std::uniform_int_distribution<int> delayUs(5000, 60000);
  int killedMidSave = 0;
  long lastGeneration = 0;

  for (int kill = 0; kill < kills; ++kill) {
    SCOPED_TRACE("kill " + std::to_string(kill));
    {
      StartGate gate;
      const pid_t writer = gate.spawn({VODIVURI_SETTINGS_WRITER, file}, {}, tmp / "writer.err");
      gate.go();
      ::usleep(static_cast<useconds_t>(delayUs(random)));
      killAndReap(writer);
    }
    EXPECT_EQ(readFile(tmp / "writer.err"), "");

    // As the next start finds the folder, before it tidies anything.
    if (!temporariesIn(tmp / "vodivuri").empty()) ++killedMidSave;
    if (!exists(file)) continue;  // killed before its first save
    const auto contents = platform::linux_os::parseRegFile(readFile(file));
    ASSERT_TRUE(contents.ok()) << contents.error << " at line " << contents.errorLine;

    ::testing::internal::CaptureStderr();
    FileRegistry next(file);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_FALSE(exists(file + ".bad"));
    EXPECT_TRUE(temporariesIn(tmp / "vodivuri").empty());

    // Written in order one by one: the first ones of a generation may be new
    // while the rest still hold the one before, and nothing goes back.
    std::vector<long> values;
    for (const char* name : kSettingNames) {
      // Not written yet in the first generation: 0.
      const auto text = next.text(RegistryRoot::CurrentUser, "Rurevoduz", name);
      values.push_back(text ? std::atol(text->c_str()) : 0);
    }
    for (std::size_t i = 1; i < values.size(); ++i) {
      EXPECT_TRUE(values[i] == values[0] || values[i] + 1 == values[0])
          << kSettingNames[i] << " holds " << values[i] << " after " << values[0];
      EXPECT_LE(values[i], values[i - 1]);
    }
    EXPECT_GE(values.back(), lastGeneration);
    lastGeneration = values.back();
  }
  std::printf("%d kills, %d of them in the middle of a save\n", kills, killedMidSave);
  EXPECT_GT(killedMidSave, 0) << "no kill landed inside a save";
}

}  // namespace
}  // namespace vodivuri::testing
