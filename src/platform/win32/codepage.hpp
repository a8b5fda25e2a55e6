// Text at the Windows API boundary: UTF-8 inside the program, Windows-1252 for
// the ANSI calls (names, texts, paths), so that accented Spanish keeps its accents.
#pragma once

#include <string>
#include <string_view>

namespace vodivuri::platform::win32 {

// Characters Windows-1252 cannot hold become '?'; bytes that are not UTF-8 are
// taken to be Windows-1252 already and kept. NUL bytes pass through.
std::string utf8ToAnsi(std::string_view utf8);
// Every byte is a Windows-1252 character; the five unassigned ones map to the
// C1 control of the same number, as Windows does.
std::string ansiToUtf8(std::string_view ansi);

}  // namespace vodivuri::platform::win32
