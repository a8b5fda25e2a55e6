// ShellExecuteA with the program's own texts, and the local clock.
#include <gtest/gtest.h>

#include <windows.h>
// After windows.h, which it needs.
#include <objbase.h>

#include <ctime>
#include <thread>

#include "platform/win32/clock_win32.hpp"
#include "platform/win32/shell_win32.hpp"
#include "win32_test_support.hpp"

namespace vodivuri::platform::win32 {
namespace {

using vodivuri::testing::besideTests;
using vodivuri::testing::runProcess;
using vodivuri::testing::scratchFolder;

TEST(Shell, OpensTheAddressGivenInUtf8) {
  // A command script stands in for the browser: "open" runs it.
  const std::string folder = scratchFolder("shell");
  const std::string ansiFolder = folder + "\\P\xE1gina";
  ASSERT_TRUE(::CreateDirectoryA(ansiFolder.c_str(), nullptr));
  const std::string marker = folder + "\\abierto.txt";
  {
    HANDLE file = ::CreateFileA((ansiFolder + "\\abrir.cmd").c_str(), GENERIC_WRITE, 0, nullptr,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    const std::string script = "@echo abierto> \"" + marker + "\"\r\n";
    DWORD written = 0;
    ::WriteFile(file, script.data(), static_cast<DWORD>(script.size()), &written, nullptr);
    ::CloseHandle(file);
  }
  Win32Shell().openAddress(folder + "\\P\xC3\xA1gina\\abrir.cmd");
  for (int i = 0; i < 600 && ::GetFileAttributesA(marker.c_str()) == INVALID_FILE_ATTRIBUTES; ++i) {
    ::Sleep(50);
  }
  EXPECT_NE(::GetFileAttributesA(marker.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(Shell, AFailureIsReportedOnceWithTheSystemsWords) {
  const auto result =
      runProcess("\"" + besideTests("win32_probe.exe") + "\" open C:\\no\\existe\\nada.html");
  EXPECT_EQ(result.exitCode, 0u);
  EXPECT_NE(result.output.find("vodivuri: cannot open C:\\no\\existe\\nada.html: "),
            std::string::npos)
      << result.output;
  EXPECT_EQ(result.output.find("error 0"), std::string::npos) << result.output;
}

// A stand-in for CoInitializeEx that notes how it was called.
struct ComCall {
  int count = 0;
  void* reserved = reinterpret_cast<void*>(1);
  unsigned long model = 0;
};
ComCall comCall;
long __stdcall recordingCoInitializeEx(void* reserved, unsigned long model) {
  ++comCall.count;
  comCall.reserved = reserved;
  comCall.model = model;
  return S_FALSE;
}

// Whether this thread is in a single-threaded apartment: asking for the
// multithreaded one is then refused.
bool inSingleThreadedApartment() {
  const HRESULT other = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  if (SUCCEEDED(other)) ::CoUninitialize();
  return other == RPC_E_CHANGED_MODE;
}

// Runs `body` on a thread of its own, whose COM state starts empty.
template <typename Body>
void onNewThread(Body body) {
  std::thread(body).join();
}

TEST(Shell, ComIsTheApartmentThroughCoInitializeExWhereOle32HasIt) {
  comCall = {};
  EXPECT_EQ(initializeCom(recordingCoInitializeEx), S_FALSE);
  EXPECT_EQ(comCall.count, 1);
  EXPECT_EQ(comCall.reserved, nullptr);
  EXPECT_EQ(comCall.model,
            static_cast<unsigned long>(COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));

  // The real one, found at run time.
  ASSERT_EQ(lookUpCoInitializeEx(),
            reinterpret_cast<CoInitializeExFunction>(reinterpret_cast<void (*)()>(
                ::GetProcAddress(::GetModuleHandleA("ole32.dll"), "CoInitializeEx"))));
  onNewThread([] {
    EXPECT_EQ(initializeCom(lookUpCoInitializeEx()), S_OK);
    EXPECT_TRUE(inSingleThreadedApartment());
    ::CoUninitialize();
  });
}

TEST(Shell, ComIsTheApartmentThroughCoInitializeWhereCoInitializeExIsMissing) {
  onNewThread([] {
    EXPECT_EQ(initializeCom(nullptr), S_OK);
    EXPECT_TRUE(inSingleThreadedApartment());
    EXPECT_EQ(initializeCom(nullptr), S_FALSE);  // already: to balance all the same
    ::CoUninitialize();
    ::CoUninitialize();
  });
}

TEST(Clock, IsTheLocalTime) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    const std::time_t before = std::time(nullptr);
    const toolkit::DateTime now = Win32Clock().now();
    if (std::time(nullptr) != before) continue;  // a second ticked over: again
    const std::tm local = *std::localtime(&before);
    EXPECT_EQ(now, (toolkit::DateTime{{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday},
                                      local.tm_hour,
                                      local.tm_min,
                                      local.tm_sec}));
    return;
  }
  FAIL() << "the clock never stood still for a second";
}

}  // namespace
}  // namespace vodivuri::platform::win32
