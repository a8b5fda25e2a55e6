#include "platform/linux/settings_folder.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>

#include "platform/linux/files_linux.hpp"

namespace vodivuri::platform::linux_os {

namespace {

constexpr mode_t kShared = S_IRWXG | S_IRWXO;

std::string belongsTo(const std::string& what, const std::string& path, uid_t owner) {
  return what + " " + path + " belongs to another user (user id " + std::to_string(owner) +
         "); the settings are neither read from it nor saved this run";
}

// The names mkostemp makes from ".name.XXXXXX".
bool isTemporaryOf(std::string_view entry, std::string_view base) {
  if (entry.size() != base.size() + 8 || entry[0] != '.') return false;
  if (entry.substr(1, base.size()) != base || entry[base.size() + 1] != '.') return false;
  for (char c : entry.substr(base.size() + 2)) {
    const bool alnum = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    if (!alnum) return false;
  }
  return true;
}

}  // namespace

Ownership secureSettingsFolder(const std::string& folder) {
  Ownership result;
  UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  // Missing (or not a folder): the first save makes it or reports why not.
  if (!fd.valid()) return result;
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) return result;
  if (st.st_uid != ::getuid()) {
    result.foreign = true;
    result.problem = belongsTo("the settings folder", folder, st.st_uid);
    return result;
  }
  if ((st.st_mode & kShared) != 0 && ::fchmod(fd.get(), st.st_mode & 07777 & ~kShared) != 0) {
    result.problem = withErrno("cannot make the settings folder " + folder + " private", errno);
  }
  return result;
}

std::size_t removeStaleTemporaries(const std::string& file) {
  const std::string folder = folderOf(file);
  const auto slash = file.rfind('/');
  const std::string base = slash == std::string::npos ? file : file.substr(slash + 1);
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return 0;
  DIR* dir = ::fdopendir(fd);
  if (dir == nullptr) {
    ::close(fd);
    return 0;
  }
  std::size_t removed = 0;
  while (const dirent* entry = ::readdir(dir)) {
    if (!isTemporaryOf(entry->d_name, base)) continue;
    struct stat st {};
    if (::fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (!S_ISREG(st.st_mode) || st.st_uid != ::getuid()) continue;
    if (::unlinkat(fd, entry->d_name, 0) == 0) ++removed;
  }
  ::closedir(dir);
  return removed;
}

Ownership readOwnFile(const std::string& path, std::size_t limit, std::string& out,
                      std::string& error) {
  Ownership result;
  out.clear();
  // Looked at before opening: another user's file may not even be readable,
  // and must then not be taken for a damaged one of ours.
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0 && st.st_uid != ::getuid()) {
    result.foreign = true;
    result.problem = belongsTo("the settings file", path, st.st_uid);
    return result;
  }
  // Non-blocking, so a FIFO in the way cannot hang the program.
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (!fd.valid()) {
    error = withErrno("cannot open " + path, errno);
    return result;
  }
  if (::fstat(fd.get(), &st) != 0) {
    error = withErrno("cannot read " + path, errno);
    return result;
  }
  if (st.st_uid != ::getuid()) {
    result.foreign = true;
    result.problem = belongsTo("the settings file", path, st.st_uid);
    return result;
  }
  if (S_ISREG(st.st_mode) && (st.st_mode & kShared) != 0 &&
      ::fchmod(fd.get(), st.st_mode & 07777 & ~kShared) != 0) {
    result.problem = withErrno("cannot make the settings file " + path + " private", errno);
  }
  error = readAll(fd.get(), path, limit, out);
  return result;
}

}  // namespace vodivuri::platform::linux_os
