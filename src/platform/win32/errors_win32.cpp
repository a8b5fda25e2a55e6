#include "platform/win32/errors_win32.hpp"

#include <windows.h>

#include <cstdio>
#include <set>

#include "platform/win32/codepage.hpp"

namespace vodivuri::platform::win32 {

std::string systemMessage(unsigned long code) {
  char* buffer = nullptr;
  const DWORD n = ::FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
  std::string text;
  if (n > 0 && buffer != nullptr) text.assign(buffer, n);
  if (buffer != nullptr) ::LocalFree(buffer);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
    text.pop_back();
  }
  if (text.empty()) return "error " + std::to_string(code);
  return ansiToUtf8(text);
}

void reportOnce(const std::string& topic, const std::string& message) {
  static std::set<std::string> reported;
  if (!reported.insert(topic).second) return;
  const std::string line = "vodivuri: " + message + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

}  // namespace vodivuri::platform::win32
