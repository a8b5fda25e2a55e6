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
