// Texts at the ANSI API boundary: the program's UTF-8 in the system's ANSI code page, by the
// back ends' one conversion.
#pragma once

#include <string>

#include "platform/win32/codepage.hpp"

namespace vodivuri::win32 {

inline std::string toAnsi(const std::string& utf8) {
  return platform::win32::utf8ToAnsi(utf8);
}
inline std::string fromAnsi(const std::string& ansi) {
  return platform::win32::ansiToUtf8(ansi);
}

}  // namespace vodivuri::win32
