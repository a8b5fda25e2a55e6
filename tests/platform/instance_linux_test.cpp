#include "platform/linux/instance_linux.hpp"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstddef>
#include <cstring>
#include <memory>

#include "platform/linux_test_support.hpp"

namespace vodivuri::platform::linux_os {
namespace {

using vodivuri::testing::ScopedEnv;
using vodivuri::testing::TempFolder;

// A lock name of this test process only, so tests never meet a real copy.
std::string testLockName(const char* what) {
  return "vodivuri-test/" + std::to_string(::getpid()) + "/" + what;
}

// What another process, claiming the same lock, gets: 0 held, 1 another
// runs, 2 failed.
int claimInChild(const std::string& name, void (*prepare)() = nullptr,
                 const std::string& folder = {}) {
  const pid_t child = ::fork();
  if (child == 0) {
    if (prepare) prepare();
    LinuxInstance other(name, folder);
    const InstanceClaim claim = other.claim();
    ::_exit(claim == InstanceClaim::Held ? 0 : claim == InstanceClaim::AnotherRuns ? 1 : 2);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Binds `name` in the abstract namespace, as something else than the program might.
UniqueFd squat(const std::string& name, bool listening) {
  UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  sockaddr_un at{};
  at.sun_family = AF_UNIX;
  std::memcpy(at.sun_path + 1, name.data(), name.size());
  const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
  EXPECT_EQ(::bind(fd.get(), reinterpret_cast<const sockaddr*>(&at), length), 0);
  if (listening) {
    EXPECT_EQ(::listen(fd.get(), 4), 0);
  }
  return fd;
}

TEST(LinuxInstance, OneClaimAtATimeUntilReleased) {
  const std::string name = testLockName("one");
  auto first = std::make_unique<LinuxInstance>(name);
  EXPECT_EQ(first->claim(), InstanceClaim::Held);
  EXPECT_TRUE(first->claimSingleInstance());  // claiming again keeps it
  EXPECT_EQ(claimInChild(name), 1);
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(LinuxInstance(name).claimSingleInstance());  // another object here too
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");  // a second copy ends silently
  first.reset();
  EXPECT_EQ(claimInChild(name), 0);
  EXPECT_TRUE(LinuxInstance(name).claimSingleInstance());
}

TEST(LinuxInstance, EveryCopyWithTheSameSettingsFindsTheSameLockWhateverElseItsEnvironmentSays) {
  TempFolder tmp;
  {
    ScopedEnv config("XDG_CONFIG_HOME", tmp / "config");
    ScopedEnv runtime("XDG_RUNTIME_DIR", std::nullopt);
    const std::string folder = tmp / "config/vodivuri";
    EXPECT_EQ(LinuxInstance().lockFolder(), folder);  // made, private
    struct stat st {};
    ASSERT_EQ(::stat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    ScopedEnv otherRuntime("XDG_RUNTIME_DIR", tmp / "no-existe");
    EXPECT_EQ(LinuxInstance().lockFolder(), folder);
    // A folder left open to the group is made private, as the start-up does.
    ASSERT_EQ(::chmod(folder.c_str(), 0775), 0);
    EXPECT_EQ(LinuxInstance().lockFolder(), folder);
    ASSERT_EQ(::stat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
  }
  {
    ScopedEnv config("XDG_CONFIG_HOME", std::nullopt);
    ScopedEnv home("HOME", tmp / "casa");
    EXPECT_EQ(LinuxInstance().lockFolder(), tmp / "casa/.config/vodivuri");
  }
  // No usable settings folder: the socket named after the user, which a copy
  // whose folders are all unusable still finds.
  const std::string name = LinuxInstance::defaultLockName();
  EXPECT_NE(name.find(std::to_string(::getuid())), std::string::npos) << name;
  {
    ScopedEnv config("XDG_CONFIG_HOME", "/proc/no-se-puede");
    EXPECT_EQ(LinuxInstance().lockFolder(), "");
    EXPECT_EQ(LinuxInstance().lockName(), name);
  }
  const std::string test = testLockName("env");
  LinuxInstance holder(test);
  ASSERT_EQ(holder.claim(), InstanceClaim::Held);
  EXPECT_EQ(claimInChild(test,
                         [] {
                           ::unsetenv("XDG_RUNTIME_DIR");
                           ::setenv("HOME", "/proc/no-se-puede", 1);
                           ::setenv("XDG_CONFIG_HOME", "/proc/no-se-puede", 1);
                         }),
            1);
}

TEST(LinuxInstance, ALockThatCannotBeCheckedKeepsTheProgramFromRunning) {
  {
    // Something that is not the program sits on the name.
    const std::string name = testLockName("squatted");
    const UniqueFd other = squat(name, false);
    ::testing::internal::CaptureStderr();
    LinuxInstance instance(name);
    EXPECT_EQ(instance.claim(), InstanceClaim::Failed);
    EXPECT_FALSE(instance.claimSingleInstance());
    const std::string log = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("vodivuri: the instance lock is taken by something that is not a copy"),
              std::string::npos)
        << log;
  }
  {
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(LinuxInstance(std::string(200, 'x')).claim(), InstanceClaim::Failed);
    EXPECT_EQ(LinuxInstance("").claim(), InstanceClaim::Failed);
    EXPECT_EQ(vodivuri::testing::countLines(::testing::internal::GetCapturedStderr()), 2u);
  }
}

TEST(LinuxInstance, ALockHeldByAnotherUserIsNotTakenForACopy) {
  if (::getuid() != 0) GTEST_SKIP() << "needs root to listen as another user";
  const std::string name = testLockName("other-user");
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t child = ::fork();
  if (child == 0) {
    if (::setuid(65534) != 0) ::_exit(1);
    const UniqueFd fd = squat(name, true);
    const char byte = 1;
    if (::write(ready[1], &byte, 1) != 1) ::_exit(1);
    ::pause();
    ::_exit(0);
  }
  char byte = 0;
  ASSERT_EQ(::read(ready[0], &byte, 1), 1);
  ::testing::internal::CaptureStderr();
  const InstanceClaim claim = LinuxInstance(name).claim();
  const std::string log = ::testing::internal::GetCapturedStderr();
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
  ::close(ready[0]);
  ::close(ready[1]);
  EXPECT_EQ(claim, InstanceClaim::Failed);
  EXPECT_NE(log.find("of user id 65534"), std::string::npos) << log;
}

TEST(LinuxInstance, InTheSettingsFolderNoOneElseCanTakeTheLockFirst) {
  TempFolder tmp;
  const std::string name = testLockName("squatted-file");
  // Someone binds the socket name first, as any user of the machine can.
  const UniqueFd other = squat(name, true);
  auto first = std::make_unique<LinuxInstance>(name, tmp.path());
  EXPECT_EQ(first->claim(), InstanceClaim::Held);
  EXPECT_EQ(claimInChild(name, nullptr, tmp.path()), 1);
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(LinuxInstance(name, tmp.path()).claim(), InstanceClaim::AnotherRuns);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  first.reset();
  EXPECT_EQ(claimInChild(name, nullptr, tmp.path()), 0);

  // A lock file that cannot be made keeps the program from running, and says why.
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(LinuxInstance(name, tmp / "no-existe").claim(), InstanceClaim::Failed);
  const std::string log = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(log.find("cannot open the instance lock"), std::string::npos) << log;
}

TEST(LinuxInstance, NamesTheRunningExecutableAndItsFolder) {
  LinuxInstance instance(testLockName("exe"));
  const std::string path = instance.executablePath();
  ASSERT_FALSE(path.empty());
  EXPECT_EQ(path[0], '/');
  EXPECT_TRUE(path.ends_with("/platform_tests")) << path;
  EXPECT_TRUE(vodivuri::testing::exists(path));
  EXPECT_EQ(instance.programFolder() + "/platform_tests", path);
}

}  // namespace
}  // namespace vodivuri::platform::linux_os
