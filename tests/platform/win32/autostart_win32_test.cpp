// The run-at-start-up entry that an earlier install left machine-wide.
#include <gtest/gtest.h>

#include "engine/run_at_startup.hpp"
#include "platform/testing/doubles.hpp"
#include "platform/win32/autostart_win32.hpp"
#include "platform/win32/registry_win32.hpp"
#include "win32_test_support.hpp"

namespace vodivuri::platform::win32 {
namespace {

using vodivuri::testing::deleteValue;
using vodivuri::testing::putRaw;
using vodivuri::testing::rawValue;

constexpr const char* kRun = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

// One test, as all of it shares the machine's Run value.
TEST(Autostart, SwitchingOffEmptiesAMachineWideEntryButNeverMakesOne) {
  struct Cleanup {
    ~Cleanup() {
      deleteValue(HKEY_LOCAL_MACHINE, kRun, "Vodivuri");
      deleteValue(HKEY_CURRENT_USER, kRun, "Vodivuri");
    }
  } cleanup;
  deleteValue(HKEY_LOCAL_MACHINE, kRun, "Vodivuri");
  Win32Autostart autostart;

  autostart.mirror("");
  EXPECT_FALSE(rawValue(HKEY_LOCAL_MACHINE, kRun, "Vodivuri"));

  const std::string old = "\"C:\\Archivos de programa\\Vodivuri\\Vodivuri.exe\"";
  ASSERT_TRUE(putRaw(HKEY_LOCAL_MACHINE, kRun, "Vodivuri", REG_SZ, old + '\0'));
  autostart.mirror("\"C:\\Nuevo\\Vodivuri.exe\"");  // switching on leaves it alone
  EXPECT_EQ(rawValue(HKEY_LOCAL_MACHINE, kRun, "Vodivuri")->bytes, old + '\0');

  autostart.mirror("");
  const auto emptied = rawValue(HKEY_LOCAL_MACHINE, kRun, "Vodivuri");
  ASSERT_TRUE(emptied);
  EXPECT_EQ(emptied->type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(emptied->bytes, std::string(1, '\0'));

  // Through the engine's switch-off: the user's entry and the machine's both empty.
  ASSERT_TRUE(putRaw(HKEY_LOCAL_MACHINE, kRun, "Vodivuri", REG_EXPAND_SZ, old + '\0'));
  ASSERT_TRUE(putRaw(HKEY_CURRENT_USER, kRun, "Vodivuri", REG_SZ, old + '\0'));
  Win32Registry registry;
  engine::ProgramState state;
  engine::SettingsStore store(registry, state);
  engine::clearRunEntry(store, autostart);
  EXPECT_EQ(rawValue(HKEY_CURRENT_USER, kRun, "Vodivuri")->bytes, std::string(1, '\0'));
  EXPECT_EQ(rawValue(HKEY_LOCAL_MACHINE, kRun, "Vodivuri")->bytes, std::string(1, '\0'));
  EXPECT_EQ(rawValue(HKEY_LOCAL_MACHINE, kRun, "Vodivuri")->type, static_cast<DWORD>(REG_SZ));
}

}  // namespace
}  // namespace vodivuri::platform::win32
