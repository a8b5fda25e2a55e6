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

  // "Local\Vodivuri-" followed by the user's SID (or name where there is none).
  static std::string defaultMutexName();
  const std::string& mutexName() const { return mutexName_; }

 private:
  std::string mutexName_;
  UniqueHandle mutex_;
};

}  // namespace vodivuri::platform::win32
