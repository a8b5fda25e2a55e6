// Opens a web address with xdg-open, detached from the program.
#pragma once

#include <string>

#include "platform/services.hpp"

namespace vodivuri::platform::linux_os {

class LinuxShell : public Shell {
 public:
  // `program` is looked up on PATH unless it holds a '/'.
  explicit LinuxShell(std::string program = "xdg-open") : program_(std::move(program)) {}

  // Starts `program address` in its own session with no terminal, its output
  // discarded and no descriptor of ours; returns without waiting for it.
  void openAddress(const std::string& address) override;

 private:
  std::string program_;
};

}  // namespace vodivuri::platform::linux_os
