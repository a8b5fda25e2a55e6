// Text at the Windows API boundary: UTF-8 inside the program, the system's
// ANSI code page for the ANSI calls (names, texts, paths), so that accented
// text keeps its accents on every Windows that can show them.
#pragma once

#include <string>
#include <string_view>

namespace vodivuri::platform::win32 {

// Characters the code page cannot hold become '?', one per character (never a
// look-alike of the code page's: "ñ" is not "n" under Windows-1251); bytes
// that are not UTF-8 are taken to be ANSI already and kept. NUL bytes pass
// through.
std::string utf8ToAnsi(std::string_view utf8);
// Every byte, or double-byte character where the code page has them, as the
// system reads it.
std::string ansiToUtf8(std::string_view ansi);

// At most `maxBytes` of ANSI text, never ending in the first half of a
// double-byte character (fixed-size fields of the API: the tray's tip).
std::string ansiPrefix(std::string_view ansi, std::size_t maxBytes, unsigned codePage = 0);

// The same for a code page given by number (CP_ACP, 0, is the system's).
std::string utf8ToCodePage(std::string_view utf8, unsigned codePage);
std::string codePageToUtf8(std::string_view bytes, unsigned codePage);

}  // namespace vodivuri::platform::win32
