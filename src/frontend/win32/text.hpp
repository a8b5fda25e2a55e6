// Texts at the ANSI API boundary: the program's UTF-8 as Windows-1252.
#pragma once

#include <string>

namespace vodivuri::win32 {

// Characters Windows-1252 cannot hold, and malformed bytes, become '?'.
std::string toAnsi(const std::string& utf8);
std::string fromAnsi(const std::string& ansi);

}  // namespace vodivuri::win32
