// Where the running program is (GetModuleFileNameA) and one instance per user
// session (a named mutex held for the life of this object).
#pragma once

#include <string>

#include "platform/services.hpp"
#include "platform/win32/handle_win32.hpp"

namespace vodivuri::platform::win32 {

class Win32Instance : public Instance {
 public:
  // The mutex of this user in this session, see defaultMutexName().
  Win32Instance();
  explicit Win32Instance(std::string mutexName) : mutexName_(std::move(mutexName)) {}

  // In UTF-8; empty (and reported) when the system cannot tell.
  std::string executablePath() override;
  std::string programFolder() override;
  // False when another process holds the mutex, and also when it cannot be
  // created at all: the program then refuses to run rather than risk a second
  // copy writing the same settings.
  bool claimSingleInstance() override;

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
  std::string mutexName_;
  UniqueHandle mutex_;
};

}  // namespace vodivuri::platform::win32
