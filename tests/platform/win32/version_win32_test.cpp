// The version record under Wine's Windows-version emulation, named and sorted
// into the families as the program does it.
#include <gtest/gtest.h>

#include <cstdio>
#include <iostream>

#include "engine/power_actions.hpp"
#include "platform/testing/doubles.hpp"
#include "win32_test_support.hpp"

namespace vodivuri::platform::win32 {
namespace {

using vodivuri::testing::besideTests;
using vodivuri::testing::putRaw;
using vodivuri::testing::runProcess;

// Only the probe is emulated, so tests running beside this one are not.
constexpr const char* kProbeDefaults = "Software\\Wine\\AppDefaults\\win32_version_probe.exe";

struct Emulation {
  const char* wineName;
  VersionRecord record;
  const char* name;
  bool nt;
  bool win9x;
};

TEST(Version, EveryEmulatedWindowsIsNamedAndSorted) {
  const Emulation rows[] = {
      {"win95", {1, 4, 0}, "Windows 95", false, true},
      {"win98", {1, 4, 10}, "Windows 98", false, true},
      {"winme", {1, 4, 90}, "Windows Mellinnium", false, true},
      {"nt351", {2, 3, 51}, "Windows NT 3.51", true, false},
      {"nt40", {2, 4, 0}, "Windows NT 4.0", true, false},
      {"win2k", {2, 5, 0}, "Windows 2000", true, false},
      {"winxp", {2, 5, 1}, "Windows XP", true, false},
      {"win7", {2, 6, 1}, "Windows NT 6.1", true, false},
      {"win10", {2, 6, 2}, "Windows NT 6.2", true, false},  // no manifest: 6.2
  };
  const std::string probe = "\"" + besideTests("win32_version_probe.exe") + "\" version";
  struct Cleanup {
    ~Cleanup() { ::RegDeleteTreeA(HKEY_CURRENT_USER, kProbeDefaults); }
  } cleanup;
  for (const Emulation& row : rows) {
    ASSERT_TRUE(putRaw(HKEY_CURRENT_USER, kProbeDefaults, "Version", REG_SZ,
                       std::string(row.wineName) + '\0'));
    const auto result = runProcess(probe);
    ASSERT_EQ(result.exitCode, 0u) << result.output;
    VersionRecord seen;
    ASSERT_EQ(
        std::sscanf(result.output.c_str(), "%u %u %u", &seen.platformId, &seen.major, &seen.minor),
        3)
        << result.output;
    EXPECT_EQ(seen, row.record) << row.wineName << ": " << result.output;
    vodivuri::platform::testing::ScriptedVersion version(seen);
    const std::string name = engine::GetWindowsVersionName(version);
    EXPECT_EQ(name, row.name) << row.wineName;
    EXPECT_EQ(engine::NtFamily(name), row.nt) << row.wineName;
    EXPECT_EQ(engine::Win9xFamily(name), row.win9x) << row.wineName;
    EXPECT_EQ(engine::IsWindowsNT(version) != 0, seen.platformId == 2) << row.wineName;
    std::cout << row.wineName << "\t" << seen.platformId << " " << seen.major << "." << seen.minor
              << "\t\"" << name << "\"\tNT " << engine::NtFamily(name) << "\t9x "
              << engine::Win9xFamily(name) << "\n";
  }
}

}  // namespace
}  // namespace vodivuri::platform::win32
