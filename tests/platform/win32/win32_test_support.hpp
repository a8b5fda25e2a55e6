// Helpers of the Win32 back-end tests: child processes with their output,
// scratch registry keys and folders, raw registry reads.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace vodivuri::testing {

struct ProcessResult {
  DWORD exitCode = 0;
  std::string output;  // standard output and standard error together
};

// Runs an ANSI command line, waits for it (at most `timeoutMs`) and collects
// what it wrote. A start failure or a time-out fails the calling test.
ProcessResult runProcess(const std::string& commandLine, DWORD timeoutMs = 60000);

// A file next to the running test program (the probe, for instance).
std::string besideTests(const std::string& fileName);

// A fresh, empty folder below the temporary folder (ANSI path).
std::string scratchFolder(const std::string& name);

// "Software\VodivuriTests\<name>" below HKEY_CURRENT_USER, deleted when the
// object is made and when it goes.
class ScratchKey {
 public:
  explicit ScratchKey(const std::string& name);
  ~ScratchKey();
  ScratchKey(const ScratchKey&) = delete;
  ScratchKey& operator=(const ScratchKey&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

struct RawValue {
  DWORD type = 0;
  std::string bytes;
};
// The value as RegQueryValueExA gives it; empty when missing.
std::optional<RawValue> rawValue(HKEY root, const std::string& path, const std::string& name);
// Writes exactly these bytes; false on failure.
bool putRaw(HKEY root, const std::string& path, const std::string& name, DWORD type,
            const std::string& bytes);
void deleteValue(HKEY root, const std::string& path, const std::string& name);

}  // namespace vodivuri::testing
