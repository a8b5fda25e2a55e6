// The holder's hidden window: a later copy (another process) finds it by the
// mutex's name and its request runs the handler from the holder's message
// loop; unknown, foreign or oversized requests are refused.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <future>
#include <string>

#include "platform/instance_request.hpp"
#include "platform/win32/instance_win32.hpp"
#include "win32_test_support.hpp"

namespace vodivuri::platform::win32 {
namespace {

using namespace std::chrono_literals;
using vodivuri::testing::besideTests;
using vodivuri::testing::runProcess;

std::string uniqueMutex(const char* what) {
  return std::string("Local\\VodivuriTest-") + what + "-" + std::to_string(::GetCurrentProcessId());
}

// The holder's message loop, as the host runs it, until `done` is ready.
template <typename T>
T pumpUntil(std::future<T>& done) {
  while (done.wait_for(0s) != std::future_status::ready) {
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&message);
  }
  return done.get();
}

// WM_COPYDATA sent straight to the holder's window.
LRESULT sendCopyData(void* window, unsigned long tag, const std::string& bytes) {
  COPYDATASTRUCT data{};
  data.dwData = tag;
  data.cbData = static_cast<DWORD>(bytes.size());
  data.lpData = const_cast<char*>(bytes.data());
  return ::SendMessageA(static_cast<HWND>(window), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
}

TEST(InstanceChannel, ALaterCopysRequestRunsTheHandlerFromTheHoldersMessageLoop) {
  const std::string name = uniqueMutex("show");
  auto holder = std::make_unique<Win32Instance>(name);
  ASSERT_TRUE(holder->claimSingleInstance());
  ASSERT_NE(holder->channelWindow(), nullptr);
  EXPECT_FALSE(::IsWindowVisible(static_cast<HWND>(holder->channelWindow())));
  int shows = 0;
  holder->setShowHandler([&] { ++shows; });

  // A second copy in a process of its own: its claim fails, it asks, it ends.
  const std::string probe = "\"" + besideTests("win32_probe.exe") + "\" ask " + name;
  auto asked = std::async(std::launch::async, [&] { return runProcess(probe).exitCode; });
  EXPECT_EQ(pumpUntil(asked), 0u);
  EXPECT_EQ(shows, 1);

  // One whose claim failed has no window of its own to steal the requests.
  Win32Instance second(name);
  EXPECT_FALSE(second.claimSingleInstance());
  EXPECT_EQ(second.channelWindow(), nullptr);
  auto again =
      std::async(std::launch::async, [&] { return Win32Instance(name).ask(kShowRequest); });
  EXPECT_EQ(pumpUntil(again), Win32Instance::Answer::Done);
  EXPECT_EQ(shows, 2);

  // Gone with the holder: nobody answers, and fast.
  holder.reset();
  const DWORD started = ::GetTickCount();
  EXPECT_EQ(Win32Instance(name).ask(kShowRequest), Win32Instance::Answer::NoAnswer);
  EXPECT_LT(::GetTickCount() - started, 1000u);
  EXPECT_EQ(shows, 2);
}

TEST(InstanceChannel, OtherUsersUnknownAndBrokenRequestsRunNothing) {
  const std::string name = uniqueMutex("refused");
  Win32Instance holder(name);
  ASSERT_TRUE(holder.claimSingleInstance());
  int shows = 0;
  // Another user's copy looks for a window of another name.
  EXPECT_EQ(Win32Instance(name + "-otro").ask(kShowRequest), Win32Instance::Answer::NoAnswer);
  // No handler yet: refused.
  auto early =
      std::async(std::launch::async, [&] { return Win32Instance(name).ask(kShowRequest); });
  EXPECT_EQ(pumpUntil(early), Win32Instance::Answer::Refused);

  holder.setShowHandler([&] { ++shows; });
  void* window = holder.channelWindow();
  const unsigned long tag = Win32Instance::kRequestTag;
  EXPECT_EQ(sendCopyData(window, tag, "apagar"), FALSE);
  EXPECT_EQ(sendCopyData(window, tag, "MOSTRAR"), FALSE);
  EXPECT_EQ(sendCopyData(window, tag, ""), FALSE);
  EXPECT_EQ(sendCopyData(window, tag, std::string("mos\0trar", 8)), FALSE);
  EXPECT_EQ(sendCopyData(window, tag + 1, "mostrar"), FALSE);  // someone else's data
  EXPECT_EQ(sendCopyData(window, tag, std::string(kMaxRequestLength + 1, 'm')), FALSE);
  EXPECT_EQ(::SendMessageA(static_cast<HWND>(window), WM_COPYDATA, 0, 0), FALSE);
  EXPECT_EQ(shows, 0);
  // With its terminator, or a line end, it is the same request.
  EXPECT_EQ(sendCopyData(window, tag, std::string("mostrar\0", 8)), TRUE);
  EXPECT_EQ(sendCopyData(window, tag, "mostrar\r\n"), TRUE);
  EXPECT_EQ(shows, 2);
}

}  // namespace
}  // namespace vodivuri::platform::win32
