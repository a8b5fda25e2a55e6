// Word from the kernel that the wall clock was set or a suspend ended, so
// timers waiting on the monotonic clock can be set again on the wall clock.
#pragma once

#include "platform/linux/files_linux.hpp"

namespace vodivuri::platform::linux_os {

class ClockWatch {
 public:
  // Reported once on standard error when the kernel cannot give the word;
  // fd() is then -1.
  ClockWatch();
  // Readable when the clock has been set since the last changed().
  int fd() const { return fd_.get(); }
  // True once per change; the watch is armed again for the next one.
  bool changed();

 private:
  bool arm();
  UniqueFd fd_;
};

}  // namespace vodivuri::platform::linux_os
