// The settings registry on Linux: the user root kept in a REGEDIT4 text file,
// rewritten atomically on every change; the machine-wide root in memory only.
#pragma once

#include <string>

#include "platform/tree_registry.hpp"

namespace vodivuri::platform::linux_os {

class FileRegistry : public TreeRegistry {
 public:
  // $XDG_CONFIG_HOME/vodivuri/user.reg (or ~/.config/vodivuri/user.reg).
  FileRegistry();
  // Loads `path`; a damaged file is renamed to `path`.bad and reported once.
  // Made only by the copy that holds the instance lock: it also makes the
  // folder and file private and removes temporary files of interrupted saves.
  // A folder or file of another user is neither read nor written.
  explicit FileRegistry(std::string path);

  // The default file, empty when no home folder is known.
  static std::string defaultPath();
  const std::string& path() const { return path_; }

  // Writes the user root now; false when it could not be written.
  bool save();
  // Adds the HKEY_CURRENT_USER keys of a regedit export and saves. Returns an
  // error text, empty on success; a failed import changes nothing.
  std::string importFile(const std::string& regFile);

 protected:
  void changed(RegistryRoot root) override;

 private:
  void load();
  std::string path_;
  bool persist_ = true;
  bool saveFailureReported_ = false;
};

// Adds the HKEY_CURRENT_USER keys and values of a file exported by regedit
// (REGEDIT4 or 5.00; UTF-8, UTF-16 or Windows-1252; LF or CRLF) to the user
// root of `into`, all or nothing. Returns an error text, empty on success.
std::string importRegFile(const std::string& path, TreeRegistry& into);

}  // namespace vodivuri::platform::linux_os
