// The instance mutex across processes, the program's own path, the privilege
// step on the real token, and the log of --simulate.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

#include "platform/testing/doubles.hpp"
#include "platform/win32/instance_win32.hpp"
#include "platform/win32/power_logfile.hpp"
#include "platform/win32/power_win32.hpp"
#include "win32_test_support.hpp"

namespace vodivuri::platform::win32 {
namespace {

using vodivuri::testing::besideTests;
using vodivuri::testing::runProcess;
using vodivuri::testing::scratchFolder;

std::string uniqueMutex(const char* what) {
  return std::string("Local\\VodivuriTest-") + what + "-" + std::to_string(::GetCurrentProcessId());
}

TEST(Instance, ASecondClaimFailsInAnyProcessWhileTheFirstHoldsIt) {
  const std::string name = uniqueMutex("claim");
  const std::string probe = "\"" + besideTests("win32_probe.exe") + "\" claim " + name;
  {
    Win32Instance first(name);
    ASSERT_TRUE(first.claimSingleInstance());
    EXPECT_TRUE(first.claimSingleInstance());  // its own claim holds
    Win32Instance second(name);
    EXPECT_FALSE(second.claimSingleInstance());
    EXPECT_EQ(runProcess(probe).exitCode, 1u);
  }
  // Released with its owner.
  EXPECT_EQ(runProcess(probe).exitCode, 0u);
}

TEST(Instance, AMutexThatCannotBeMadeRefusesToRun) {
  // No such namespace: the claim cannot be made, and the program must not run blind.
  Win32Instance broken("NoSuchNamespace\\Vodivuri");
  EXPECT_FALSE(broken.claimSingleInstance());
}

TEST(Instance, TheDefaultNameIsPerUserAndSession) {
  const std::string name = Win32Instance::defaultMutexName();
  EXPECT_EQ(name.rfind("Local\\Vodivuri-S-1-5-", 0), 0u) << name;
  EXPECT_EQ(name.find('\\', 6), std::string::npos) << name;
  EXPECT_EQ(Win32Instance().mutexName(), name);
}

// Stand-ins for GetUserNameA.
int __stdcall domainUser(char* name, unsigned long* size) {
  const char text[] = "EQUIPO\\Jos\xE9";  // ANSI
  if (*size < sizeof text) return FALSE;
  std::memcpy(name, text, sizeof text);
  *size = sizeof text;
  return TRUE;
}
int __stdcall noUser(char*, unsigned long*) {
  ::SetLastError(ERROR_NOT_LOGGED_ON);
  return FALSE;
}

TEST(Instance, WithoutSidsTheNameIsTheUsersOwnAndStillHolds) {
  // Where advapi32 has no ConvertSidToStringSidA (9x, NT 4.0): no Local\ prefix.
  char user[257] = {};
  DWORD size = sizeof user;
  ASSERT_TRUE(::GetUserNameA(user, &size));
  const std::string name = Win32Instance::defaultMutexName(nullptr);
  EXPECT_EQ(name, "Vodivuri-" + std::string(user));
  EXPECT_EQ(Win32Instance::defaultMutexName(nullptr, domainUser), "Vodivuri-EQUIPO_Jos\xC3\xA9");
  // No user name: one name all the same, not an empty one.
  EXPECT_EQ(Win32Instance::defaultMutexName(nullptr, noUser), "Vodivuri");

  Win32Instance first(name);
  ASSERT_TRUE(first.claimSingleInstance());
  EXPECT_EQ(runProcess("\"" + besideTests("win32_probe.exe") + "\" claim " + name).exitCode, 1u);
}

TEST(Instance, TheSidLookupIsAdvapi32s) {
  // Present in every Wine: the name keeps its SID form there.
  ASSERT_NE(Win32Instance::lookUpSidToString(), nullptr);
  EXPECT_EQ(Win32Instance::defaultMutexName(Win32Instance::lookUpSidToString(), noUser),
            Win32Instance::defaultMutexName());
}

TEST(Instance, ProgramPathAndFolderInUtf8) {
  Win32Instance self("Local\\unused");
  const std::string path = self.executablePath();
  EXPECT_EQ(path, besideTests("win32_platform_tests.exe"));
  EXPECT_EQ(self.programFolder() + "\\win32_platform_tests.exe", path);

  // A copy in a folder whose name has an accent.
  const std::string base = scratchFolder("path");
  const std::string folder = base + "\\P\xE1gina";  // ANSI
  ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr));
  const std::string copy = folder + "\\Vodivuri.exe";
  ASSERT_TRUE(::CopyFileA(besideTests("win32_probe.exe").c_str(), copy.c_str(), FALSE));
  auto shown = runProcess("\"" + copy + "\" path");
  std::erase(shown.output, '\r');
  const std::string utf8Folder = base + "\\P\xC3\xA1gina";
  EXPECT_EQ(shown.output, utf8Folder + "\\Vodivuri.exe\n" + utf8Folder + "\n");
}

// Whether the process token has the shutdown right enabled.
bool shutdownEnabled() {
  HANDLE token = nullptr;
  EXPECT_TRUE(::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token));
  LUID luid{};
  EXPECT_TRUE(::LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &luid));
  PRIVILEGE_SET set{};
  set.PrivilegeCount = 1;
  set.Control = PRIVILEGE_SET_ALL_NECESSARY;
  set.Privilege[0].Luid = luid;
  BOOL held = FALSE;
  EXPECT_TRUE(::PrivilegeCheck(token, &set, &held));
  ::CloseHandle(token);
  return held != FALSE;
}

void disableShutdown() {
  HANDLE token = nullptr;
  ASSERT_TRUE(::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &token));
  TOKEN_PRIVILEGES off{};
  off.PrivilegeCount = 1;
  ASSERT_TRUE(::LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &off.Privileges[0].Luid));
  off.Privileges[0].Attributes = 0;
  ASSERT_TRUE(::AdjustTokenPrivileges(token, FALSE, &off, 0, nullptr, nullptr));
  ::CloseHandle(token);
}

TEST(Power, ThePrivilegeStepEnablesTheShutdownRightAndClosesTheToken) {
  disableShutdown();
  ASSERT_FALSE(shutdownEnabled());
  Win32Power power;
  DWORD before = 0;
  ASSERT_TRUE(::GetProcessHandleCount(::GetCurrentProcess(), &before));
  power.enableShutdownPrivilege();
  EXPECT_TRUE(shutdownEnabled());
  for (int i = 0; i < 20; ++i) power.enableShutdownPrivilege();
  DWORD after = 0;
  ASSERT_TRUE(::GetProcessHandleCount(::GetCurrentProcess(), &after));
  EXPECT_EQ(after, before);
}

std::string readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(SimulatedPower, EveryRequestIsOneLineOfTheLog) {
  testing::FakeClock clock({{2026, 12, 8}, 7, 30, 0});
  const std::string folder = scratchFolder("log");
  // The path comes in UTF-8; the file is made under its Windows-1252 name.
  LogFilePower power(folder + "\\simulaci\xC3\xB3n.log", clock);
  power.enableShutdownPrivilege();
  EXPECT_TRUE(power.requestExit(12));
  clock.set({{2026, 12, 8}, 7, 30, 1});
  EXPECT_TRUE(power.requestExit(0));
  EXPECT_TRUE(power.requestExit(6));
  EXPECT_EQ(readAll(folder + "\\simulaci\xF3n.log"),
            "2026-12-08 07:30:00 habilitar el permiso de apagado (SeShutdownPrivilege)\r\n"
            "2026-12-08 07:30:00 ExitWindowsEx indicadores 12: apagar el equipo, forzado\r\n"
            "2026-12-08 07:30:01 ExitWindowsEx indicadores 0: cerrar la sesi\xC3\xB3n\r\n"
            "2026-12-08 07:30:01 ExitWindowsEx indicadores 6: reiniciar el equipo, forzado\r\n");

  // A second program run appends.
  LogFilePower again(power.path(), clock);
  EXPECT_TRUE(again.requestExit(1));
  EXPECT_NE(readAll(folder + "\\simulaci\xF3n.log").find("indicadores 1: cerrar el sistema\r\n"),
            std::string::npos);
}

// CreateFileA as Windows 9x has it: FILE_SHARE_DELETE and the NT-only access
// rights (FILE_APPEND_DATA) are refused. Notes every sharing mode asked for.
std::vector<unsigned long> sharingAsked;
void* __stdcall createFileWithout9xShareDelete(const char* name, unsigned long access,
                                               unsigned long share, _SECURITY_ATTRIBUTES* security,
                                               unsigned long disposition, unsigned long attributes,
                                               void* model) {
  sharingAsked.push_back(share);
  if ((share & FILE_SHARE_DELETE) != 0 || (access & ~(GENERIC_READ | GENERIC_WRITE)) != 0) {
    ::SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  return ::CreateFileA(name, access, share, security, disposition, attributes, model);
}

TEST(SimulatedPower, TheLogOpensWhereDeleteSharingIsRefused) {
  testing::FakeClock clock({{2026, 12, 8}, 7, 30, 0});
  const std::string path = scratchFolder("log9x") + "\\simulate.log";
  sharingAsked.clear();
  LogFilePower power(path, clock, createFileWithout9xShareDelete);
  EXPECT_TRUE(power.requestExit(8));
  EXPECT_TRUE(power.requestExit(0));
  EXPECT_EQ(readAll(path),
            "2026-12-08 07:30:00 ExitWindowsEx indicadores 8: apagar el equipo\r\n"
            "2026-12-08 07:30:00 ExitWindowsEx indicadores 0: cerrar la sesi\xC3\xB3n\r\n");
  // Each line asks with delete sharing first, as NT gives it.
  const unsigned long all = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  const unsigned long without = FILE_SHARE_READ | FILE_SHARE_WRITE;
  EXPECT_EQ(sharingAsked, (std::vector<unsigned long>{all, without, all, without}));
}

void* __stdcall recordingCreateFile(const char* name, unsigned long access, unsigned long share,
                                    _SECURITY_ATTRIBUTES* security, unsigned long disposition,
                                    unsigned long attributes, void* model) {
  sharingAsked.push_back(share);
  return ::CreateFileA(name, access, share, security, disposition, attributes, model);
}

TEST(SimulatedPower, OnlyARefusedSharingIsAskedAgain) {
  // A missing folder is another failure: asked once, and a refusal.
  testing::FakeClock clock;
  sharingAsked.clear();
  LogFilePower power(scratchFolder("nolog9x") + "\\no\\such\\folder.log", clock,
                     recordingCreateFile);
  EXPECT_FALSE(power.requestExit(8));
  EXPECT_EQ(sharingAsked.size(), 1u);
  // And where 9x refuses the sharing, the plain one fails on the folder all the same.
  sharingAsked.clear();
  LogFilePower on9x(power.path(), clock, createFileWithout9xShareDelete);
  EXPECT_FALSE(on9x.requestExit(8));
  EXPECT_EQ(sharingAsked.size(), 2u);
}

TEST(SimulatedPower, ALogThatCannotBeWrittenIsARefusal) {
  testing::FakeClock clock;
  LogFilePower power(scratchFolder("nolog") + "\\no\\such\\folder.log", clock);
  EXPECT_FALSE(power.requestExit(8));
}

}  // namespace
}  // namespace vodivuri::platform::win32
