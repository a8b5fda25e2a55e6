// Care of the settings folder and file when the program starts: who owns
// them, their permissions, and temporary files left by an interrupted save.
#pragma once

#include <cstddef>
#include <string>

namespace vodivuri::platform::linux_os {

// What a look at the folder or file found.
struct Ownership {
  bool foreign = false;  // it belongs to another user: neither read nor written
  std::string problem;   // the line to report, empty when there is nothing to say
};

// Clears the group and other permission bits of our own folder. A missing
// folder is fine (the first save makes it, private).
Ownership secureSettingsFolder(const std::string& folder);

// Removes the temporary files of earlier saves of `file` (".name.XXXXXX" in
// its folder) that are ours. Returns how many went.
std::size_t removeStaleTemporaries(const std::string& file);

// Reads our own settings file of at most `limit` bytes into `out`, clearing
// its group and other permission bits first. `error` is set when it cannot be
// read; `foreign` in the result when it belongs to another user.
Ownership readOwnFile(const std::string& path, std::size_t limit, std::string& out,
                      std::string& error);

}  // namespace vodivuri::platform::linux_os
