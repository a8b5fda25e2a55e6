#include "platform/linux/instance_linux.hpp"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <memory>

#include "platform/linux_test_support.hpp"

namespace vodivuri::platform::linux_os {
namespace {

using vodivuri::testing::ScopedEnv;
using vodivuri::testing::TempFolder;

// Whether another process, claiming the same lock, gets it.
bool claimInChild(const std::string& lockPath) {
  const pid_t child = ::fork();
  if (child == 0) {
    LinuxInstance other(lockPath);
    ::_exit(other.claimSingleInstance() ? 0 : 1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(LinuxInstance, OneClaimAtATimeUntilReleased) {
  TempFolder tmp;
  const std::string lock = tmp / "vodivuri.lock";
  auto first = std::make_unique<LinuxInstance>(lock);
  EXPECT_TRUE(first->claimSingleInstance());
  EXPECT_TRUE(first->claimSingleInstance());  // claiming again keeps it
  EXPECT_FALSE(claimInChild(lock));
  EXPECT_FALSE(LinuxInstance(lock).claimSingleInstance());  // another object here too
  first.reset();
  EXPECT_TRUE(claimInChild(lock));
  EXPECT_TRUE(LinuxInstance(lock).claimSingleInstance());
}

TEST(LinuxInstance, LockLivesInTheRuntimeFolderOrTheSettingsFolder) {
  TempFolder tmp;
  {
    ScopedEnv runtime("XDG_RUNTIME_DIR", tmp / "run");
    EXPECT_EQ(LinuxInstance::defaultLockPath(), tmp / "run/vodivuri.lock");
  }
  ScopedEnv runtime("XDG_RUNTIME_DIR", std::nullopt);
  ScopedEnv config("XDG_CONFIG_HOME", tmp / "config");
  LinuxInstance instance;
  EXPECT_EQ(instance.lockPath(), tmp / "config/vodivuri/vodivuri.lock");
  EXPECT_TRUE(instance.claimSingleInstance());  // creates the missing folder
  EXPECT_FALSE(claimInChild(instance.lockPath()));
}

TEST(LinuxInstance, NamesTheRunningExecutableAndItsFolder) {
  LinuxInstance instance("");
  const std::string path = instance.executablePath();
  ASSERT_FALSE(path.empty());
  EXPECT_EQ(path[0], '/');
  EXPECT_TRUE(path.ends_with("/platform_tests")) << path;
  EXPECT_TRUE(vodivuri::testing::exists(path));
  EXPECT_EQ(instance.programFolder() + "/platform_tests", path);
}

}  // namespace
}  // namespace vodivuri::platform::linux_os
