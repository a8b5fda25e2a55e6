#include "platform/linux/registry_file.hpp"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/linux/files_linux.hpp"
#include "platform/linux/reg_format.hpp"
#include "platform/linux/settings_folder.hpp"

namespace vodivuri::platform::linux_os {

namespace {

// Far above any settings file; keeps a runaway file from filling memory.
constexpr std::size_t kMaxFileSize = 64u << 20;

// Renames `path` to the first free of path.bad, path.bad.1, ... so that no
// earlier damaged file is overwritten. Returns the new name, empty on failure.
std::string keepAside(const std::string& path, int& err) {
  for (int n = 0; n < 100; ++n) {
    const std::string bad = path + ".bad" + (n == 0 ? "" : "." + std::to_string(n));
    if (::renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, bad.c_str(), RENAME_NOREPLACE) == 0) {
      return bad;
    }
    err = errno;
    if (err == EINVAL) {
      // The file system cannot refuse to replace: check first instead.
      struct stat st {};
      if (::lstat(bad.c_str(), &st) == 0) continue;
      if (::rename(path.c_str(), bad.c_str()) == 0) return bad;
      err = errno;
      return {};
    }
    if (err != EEXIST) return {};
  }
  return {};
}

}  // namespace

std::string FileRegistry::defaultPath() {
  const std::string config = configHome();
  return config.empty() ? std::string() : config + "/vodivuri/user.reg";
}

FileRegistry::FileRegistry() : FileRegistry(defaultPath()) {}

FileRegistry::FileRegistry(std::string path) : path_(std::move(path)) {
  load();
}

void FileRegistry::load() {
  if (path_.empty()) {
    persist_ = false;
    reportError("no home folder is known; the settings last for this run only");
    return;
  }
  // Only the one running copy gets here, so no save is under way.
  const Ownership folder = secureSettingsFolder(folderOf(path_));
  if (!folder.problem.empty()) reportError(folder.problem);
  if (folder.foreign) {
    persist_ = false;
    return;
  }
  removeStaleTemporaries(path_);

  struct stat st {};
  // No file yet (first start), or a folder above it is missing.
  if (::lstat(path_.c_str(), &st) != 0 && (errno == ENOENT || errno == ENOTDIR)) return;

  std::string bytes;
  std::string problem;
  const Ownership file = readOwnFile(path_, kMaxFileSize, bytes, problem);
  if (!file.problem.empty()) reportError(file.problem);
  if (file.foreign) {
    persist_ = false;
    return;
  }
  RegFileContents contents;
  if (problem.empty()) {
    contents = parseRegFile(bytes);
    if (!contents.ok()) {
      problem = "the settings file " + path_ + " is damaged (" +
                (contents.errorLine ? "line " + std::to_string(contents.errorLine) + ": " : "") +
                contents.error + ")";
    }
  }
  if (problem.empty()) {
    applyRegFile(contents, *this, RegistryRoot::CurrentUser);
    return;
  }
  int err = 0;
  const std::string bad = keepAside(path_, err);
  if (bad.empty()) {
    // Saving would replace the only copy of what the user had.
    persist_ = false;
    reportError(withErrno(problem + "; starting with no settings, which are not saved this run "
                                    "because the file could not be kept aside",
                          err));
  } else {
    reportError(problem + "; kept as " + bad + ", starting with no settings");
  }
}

bool FileRegistry::save() {
  if (!persist_) return false;
  std::size_t skipped = 0;
  const std::string text = formatRegFile(hive(RegistryRoot::CurrentUser), &skipped);
  std::string error = makeFolders(folderOf(path_));
  if (error.empty()) error = replaceFileAtomically(path_, text, 0600);
  if (error.empty() && skipped > 0) {
    error = std::to_string(skipped) +
            " names with line breaks or bytes that are not UTF-8 were "
            "left out of " +
            path_;
  }
  if (!error.empty() && !saveFailureReported_) {
    saveFailureReported_ = true;
    reportError("cannot save the settings: " + error);
  }
  return error.empty();
}

void FileRegistry::changed(RegistryRoot root) {
  // The machine-wide root is never read back, so it is not kept.
  if (root == RegistryRoot::CurrentUser) save();
}

std::string FileRegistry::importFile(const std::string& regFile) {
  std::string error = importRegFile(regFile, *this);
  if (error.empty() && !save()) error = "imported, but the settings could not be saved";
  return error;
}

std::string importRegFile(const std::string& path, TreeRegistry& into) {
  std::string bytes;
  if (std::string error = readWholeFile(path, kMaxFileSize, bytes); !error.empty()) return error;
  const RegFileContents contents = parseRegFile(bytes);
  if (!contents.ok()) {
    return path + " cannot be imported (" +
           (contents.errorLine ? "line " + std::to_string(contents.errorLine) + ": " : "") +
           contents.error + ")";
  }
  applyRegFile(contents, into, RegistryRoot::CurrentUser);
  return {};
}

}  // namespace vodivuri::platform::linux_os
