#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "platform/linux/clock_linux.hpp"
#include "platform/linux/shell_linux.hpp"
#include "platform/linux/version_linux.hpp"
#include "platform/linux_test_support.hpp"

namespace vodivuri::platform::linux_os {
namespace {

using vodivuri::testing::readFile;
using vodivuri::testing::ScopedEnv;
using vodivuri::testing::TempFolder;

// Waits for a file the detached script writes last.
std::string waitForFile(const std::string& path) {
  for (int i = 0; i < 500 && !vodivuri::testing::exists(path); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return readFile(path);
}

TEST(LinuxShell, StartsTheOpenerDetachedWithNothingOfOurs) {
  TempFolder tmp;
  const std::string script = tmp / "opener";
  // $$ inside $(...) is still the script, so these read the script's own descriptors.
  vodivuri::testing::writeFile(
      script,
      "#!/bin/sh\n"
      "in=$(readlink /proc/$$/fd/0); out=$(readlink /proc/$$/fd/1); err=$(readlink /proc/$$/fd/2)\n"
      "if [ -e /proc/$$/fd/$LEAK_FD ]; then leak=leaked; else leak=clean; fi\n"
      "sid=$(cut -d' ' -f6 /proc/$$/stat)\n"
      "echo noise; echo noise >&2\n"
      "printf '%s\\n' \"$#\" \"$1\" \"$in\" \"$out\" \"$err\" \"$leak\" \"$sid\" > "
      "\"$RECORD.tmp\"\n"
      "mv \"$RECORD.tmp\" \"$RECORD\"\n");
  ::chmod(script.c_str(), 0700);
  // A descriptor without close-on-exec, as a library might leave one.
  const int leak = ::open("/dev/null", O_RDONLY);
  ASSERT_GE(leak, 0);
  ScopedEnv record("RECORD", tmp / "record");
  ScopedEnv leakFd("LEAK_FD", std::to_string(leak));

  LinuxShell shell(script);
  shell.openAddress("https://vodivuri.example.org/a b?x=1&y='2'");
  // The middle process is reaped and the opener is not our child.
  errno = 0;
  EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);

  const std::string got = waitForFile(tmp / "record");
  ::close(leak);
  const std::string expected =
      "1\nhttps://vodivuri.example.org/a b?x=1&y='2'\n/dev/null\n/dev/null\n/dev/null\nclean\n";
  ASSERT_TRUE(got.starts_with(expected)) << got;
  // Its own session, away from our terminal.
  EXPECT_NE(got.substr(expected.size()), std::to_string(::getsid(0)) + "\n");
}

TEST(LinuxShell, RefusesOptionLikeAddressesAndSurvivesAMissingProgram) {
  TempFolder tmp;
  const std::string script = tmp / "opener";
  vodivuri::testing::writeFile(script, "#!/bin/sh\ntouch \"$RECORD\"\n");
  ::chmod(script.c_str(), 0700);
  ScopedEnv record("RECORD", tmp / "record");
  ::testing::internal::CaptureStderr();
  LinuxShell(script).openAddress("--help");
  EXPECT_EQ(vodivuri::testing::countLines(::testing::internal::GetCapturedStderr()), 1u);
  LinuxShell(tmp / "no-such-program").openAddress("https://vodivuri.example.org");
  LinuxShell(script).openAddress("https://vodivuri.example.org");
  waitForFile(tmp / "record");  // only the last call ran the script
  EXPECT_TRUE(vodivuri::testing::exists(tmp / "record"));
}

TEST(EnvVersion, ParsesPlatformMajorMinor) {
  EXPECT_EQ(parseVersion("1.4.10"), (VersionRecord{1, 4, 10}));
  EXPECT_EQ(parseVersion("2.3.51"), (VersionRecord{2, 3, 51}));
  EXPECT_EQ(parseVersion("1.4.090"), (VersionRecord{1, 4, 90}));
  EXPECT_EQ(parseVersion("4294967295.0.0"), (VersionRecord{4294967295u, 0, 0}));
  for (const char* bad :
       {"", "1.4", "1.4.10.1", "a.b.c", " 1.4.10", "1.4.10 ", "-1.4.10", "+1.4.10", "1..4", "1.4.",
        ".4.10", "4294967296.0.0", "1.4.1x", "1,4,10"}) {
    EXPECT_FALSE(parseVersion(bad)) << bad;
  }
}

TEST(EnvVersion, DefaultsToXpAndReportsABadValueOnce) {
  EnvVersion version;
  {
    ScopedEnv unset("VODIVURI_OS_VERSION", std::nullopt);
    EXPECT_EQ(version.query(), (VersionRecord{2, 5, 1}));
  }
  {
    ScopedEnv nine("VODIVURI_OS_VERSION", std::string("1.4.90"));
    EXPECT_EQ(version.query(), (VersionRecord{1, 4, 90}));
  }
  ScopedEnv bad("VODIVURI_OS_VERSION", std::string("winxp"));
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(version.query(), (VersionRecord{2, 5, 1}));
  EXPECT_EQ(version.query(), (VersionRecord{2, 5, 1}));
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(vodivuri::testing::countLines(err), 1u) << err;
  EXPECT_NE(err.find("winxp"), std::string::npos);
}

int minutesOf(const toolkit::DateTime& t) {
  return static_cast<int>(toolkit::toDayNumber(t.date)) * 1440 + t.hour * 60 + t.minute;
}

TEST(SystemClock, GivesLocalTimeAndFollowsTheZone) {
  SystemClock clock;
  int utc = 0, plusFive = 0;
  {
    ScopedEnv tz("TZ", std::string("UTC0"));
    utc = minutesOf(clock.now());
  }
  {
    ScopedEnv tz("TZ", std::string("XST-5"));  // five hours east of Greenwich
    plusFive = minutesOf(clock.now());
  }
  ::tzset();
  const int diff = plusFive - utc;
  EXPECT_TRUE(diff == 300 || diff == 301) << diff;
  const toolkit::DateTime now = clock.now();
  EXPECT_TRUE(toolkit::isValidDate(now.date));
  EXPECT_GE(now.date.year, 2024);
  EXPECT_LE(now.second, 59);
}

}  // namespace
}  // namespace vodivuri::platform::linux_os
