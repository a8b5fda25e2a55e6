// Where the running program is (GetModuleFileNameA) and one instance per user
// session (a named mutex held for the life of this object). The holder keeps a
// hidden window that copies started later find by name and hand their
// requests to with WM_COPYDATA.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "platform/services.hpp"
#include "platform/win32/handle_win32.hpp"

namespace vodivuri::platform::win32 {

class Win32Instance : public Instance {
 public:
  // The mutex of this user in this session, see defaultMutexName().
  Win32Instance();
  explicit Win32Instance(std::string mutexName) : mutexName_(std::move(mutexName)) {}
  // The window goes before the mutex does: a copy that finds the window may
  // rely on this one still running.
  ~Win32Instance() override;
  Win32Instance(const Win32Instance&) = delete;
  Win32Instance& operator=(const Win32Instance&) = delete;

  // In UTF-8; empty (and reported) when the system cannot tell.
  std::string executablePath() override;
  std::string programFolder() override;
  // False when another process holds the mutex, and also when it cannot be
  // created at all: the program then refuses to run rather than risk a second
  // copy writing the same settings.
  bool claimSingleInstance() override;
  // Run by the thread's message loop, from the hidden window's WndProc.
  void setShowHandler(std::function<void()> show) override { show_ = std::move(show); }
  void setOrderHandler(OrderHandler order) override { order_ = std::move(order); }

  enum class Answer { Done, Refused, NoAnswer };
  // A later copy's side: hands `request` to the holder's window and waits for
  // it at most `timeoutMs`. NoAnswer: no window of this name, or one that
  // did not answer in time.
  Answer ask(std::string_view request, unsigned timeoutMs = 2000);
  // The holder's hidden window (an HWND), null while nothing is held.
  void* channelWindow() const { return window_; }
  // The hidden window's class; its name is the mutex's, so per user.
  static constexpr const char* kChannelClass = "VodivuriInstanceChannel";
  // WM_COPYDATA's dwData for a request line.
  static constexpr unsigned long kRequestTag = 0x56445652;  // "VDVR"

  // advapi32's ConvertSidToStringSidA (Windows 2000 and later), and a
  // function like GetUserNameA.
  using SidToString = int(__stdcall*)(void* sid, char** text);
  using UserName = int(__stdcall*)(char* name, unsigned long* size);
  static SidToString lookUpSidToString();

  // "Local\Vodivuri-" followed by the user's SID (or name where there is
  // none). Without `sidToString` (9x has no SIDs, NT 4.0 no Local\ namespace):
  // "Vodivuri-" followed by the user's name, or "Vodivuri" where that is
  // unknown, so one copy per user still holds there. `userName` null:
  // GetUserNameA.
  static std::string defaultMutexName(SidToString sidToString = lookUpSidToString(),
                                      UserName userName = nullptr);
  const std::string& mutexName() const { return mutexName_; }

 private:
  friend struct ChannelWindow;
  void openChannel();

  std::string mutexName_;
  UniqueHandle mutex_;
  void* window_ = nullptr;
  std::function<void()> show_;
  OrderHandler order_;
};

}  // namespace vodivuri::platform::win32
