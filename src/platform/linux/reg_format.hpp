// The text format of registry export files (REGEDIT4 and regedit 5.00): the
// reader for the settings file and for imports, and the REGEDIT4 writer.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/tree_registry.hpp"

namespace vodivuri::platform::linux_os {

// One key section of a file, below HKEY_CURRENT_USER.
struct RegFileKey {
  std::string path;
  std::vector<RegistryValue> values;
};

struct RegFileContents {
  std::vector<RegFileKey> keys;  // in file order; other roots are left out
  std::string error;             // empty when the whole file was understood
  std::size_t errorLine = 0;     // 1-based line of the error, 0 for the whole file
  bool ok() const { return error.empty(); }
};

// Reading rules: the first line is REGEDIT4 or "Windows Registry Editor Version
// 5.00" (after a UTF-8 BOM; a UTF-16LE file with its BOM is converted first);
// LF or CRLF; a line that is not UTF-8 is taken as Windows-1252. Blank lines
// and ';' comments are skipped; sections of other roots, and values on the
// root itself, are skipped. Values are "text" (only \\ and \" escaped),
// dword:1-8 hex digits, hex: or hex(type): byte lists continued over lines
// ending in '\'; @ names the default value. Anything else is an error: a value
// before any key, a bad escape or hex byte, an unclosed header or text, an
// empty path part, and the deletions [-key] and "name"=- (never written here).
// Never throws on any input; the first problem found ends the reading.
RegFileContents parseRegFile(std::string_view bytes);

// Adds the keys and values to `root`, replacing values of the same name.
void applyRegFile(const RegFileContents& contents, TreeRegistry& registry, RegistryRoot root);

// The REGEDIT4 text of a user hive. Keys and values whose names a file line
// cannot hold (line breaks, NUL, not UTF-8, empty path parts) are left out and
// counted in `skipped`.
std::string formatRegFile(const RegistryHive& hive, std::size_t* skipped = nullptr);

bool isValidUtf8(std::string_view text);
std::string cp1252ToUtf8(std::string_view text);

}  // namespace vodivuri::platform::linux_os
