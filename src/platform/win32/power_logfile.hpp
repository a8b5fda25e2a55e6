// The power of --simulate on Windows: every request is appended as a line to
// a log file instead of being carried out.
#pragma once

#include <string>

#include "platform/power.hpp"
#include "platform/services.hpp"

struct _SECURITY_ATTRIBUTES;

namespace vodivuri::platform::win32 {

class LogFilePower : public Power {
 public:
  // A function like CreateFileA.
  using CreateFileFunction = void*(__stdcall*)(const char* name, unsigned long access,
                                               unsigned long share, _SECURITY_ATTRIBUTES* security,
                                               unsigned long disposition, unsigned long attributes,
                                               void* model);

  // `path` in UTF-8; the time of each line comes from `clock`. `createFile`
  // null: CreateFileA.
  LogFilePower(std::string path, Clock& clock, CreateFileFunction createFile = nullptr)
      : path_(std::move(path)), clock_(clock), createFile_(createFile) {}

  // Logs the privilege step.
  void enableShutdownPrivilege() override;
  // Logs the request; false (and reported once) when the line cannot be written.
  bool requestExit(std::uint32_t flags) override;

  const std::string& path() const { return path_; }

 private:
  bool append(const std::string& text);
  std::string path_;
  Clock& clock_;
  CreateFileFunction createFile_;
};

}  // namespace vodivuri::platform::win32
