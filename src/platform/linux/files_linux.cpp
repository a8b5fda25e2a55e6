#include "platform/linux/files_linux.hpp"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace vodivuri::platform::linux_os {

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
  if (this != &other) reset(other.release());
  return *this;
}

int UniqueFd::release() {
  const int fd = fd_;
  fd_ = -1;
  return fd;
}

void UniqueFd::reset(int fd) noexcept {
  // close() is not retried on EINTR: on Linux the descriptor is gone either way.
  if (fd_ >= 0) ::close(fd_);
  fd_ = fd;
}

namespace {

std::string absoluteEnv(const char* name) {
  const char* value = std::getenv(name);
  // Relative values are invalid by the XDG rules and ignored.
  if (value == nullptr || value[0] != '/') return {};
  return value;
}

std::string homeFolder() {
  std::string home = absoluteEnv("HOME");
  if (!home.empty()) return home;
  std::vector<char> buffer(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
      found->pw_dir && found->pw_dir[0] == '/') {
    return found->pw_dir;
  }
  return {};
}

std::string trimSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

}  // namespace

std::string configHome() {
  std::string config = absoluteEnv("XDG_CONFIG_HOME");
  if (!config.empty()) return trimSlashes(config);
  const std::string home = homeFolder();
  if (home.empty()) return {};
  return trimSlashes(home) + "/.config";
}

std::string folderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string withErrno(const std::string& message, int err) {
  return message + ": " + std::strerror(err);
}

std::string makeFolders(const std::string& folder) {
  if (folder.empty()) return "no folder";
  for (std::size_t pos = folder.find('/', 1);; pos = folder.find('/', pos + 1)) {
    const std::string part = pos == std::string::npos ? folder : folder.substr(0, pos);
    if (!part.empty() && part != "/") {
      if (::mkdir(part.c_str(), 0700) == 0) {
        // The umask may have taken bits the owner needs.
        ::chmod(part.c_str(), 0700);
      } else {
        const int err = errno;
        struct stat st {};
        if (err != EEXIST || ::stat(part.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
          return withErrno("cannot create the folder " + part, err == EEXIST ? ENOTDIR : err);
        }
      }
    }
    if (pos == std::string::npos) break;
  }
  return {};
}

namespace {

bool writeAll(int fd, const std::string& data) {
  std::size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

std::string replaceFileAtomically(const std::string& path, const std::string& contents,
                                  unsigned mode) {
  const std::string folder = folderOf(path);
  const auto slash = path.rfind('/');
  const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  // A dot name, so a stale one left by a killed process is never taken for settings.
  std::string temp = folder + "/." + base + ".XXXXXX";
  UniqueFd fd(::mkostemp(temp.data(), O_CLOEXEC));
  if (!fd.valid()) return withErrno("cannot create a temporary file in " + folder, errno);

  std::string error;
  if (::fchmod(fd.get(), static_cast<mode_t>(mode)) != 0) {
    error = withErrno("cannot set the mode of " + temp, errno);
  } else if (!writeAll(fd.get(), contents)) {
    error = withErrno("cannot write " + temp, errno);
  } else if (::fsync(fd.get()) != 0) {
    error = withErrno("cannot sync " + temp, errno);
  } else if (::close(fd.release()) != 0) {
    error = withErrno("cannot close " + temp, errno);
  } else if (::rename(temp.c_str(), path.c_str()) != 0) {
    error = withErrno("cannot replace " + path, errno);
  }
  if (!error.empty()) {
    ::unlink(temp.c_str());
    return error;
  }
  // Makes the rename itself lasting.
  UniqueFd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!dir.valid()) return withErrno("cannot open the folder " + folder, errno);
  if (::fsync(dir.get()) != 0) return withErrno("cannot sync the folder " + folder, errno);
  return {};
}

std::string readWholeFile(const std::string& path, std::size_t limit, std::string& out) {
  out.clear();
  // Non-blocking, so a FIFO in the way cannot hang the program.
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (!fd.valid()) return withErrno("cannot open " + path, errno);
  return readAll(fd.get(), path, limit, out);
}

std::string readAll(int fd, const std::string& path, std::size_t limit, std::string& out) {
  out.clear();
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      return withErrno("cannot read " + path, errno);
    }
    if (n == 0) break;
    if (out.size() + static_cast<std::size_t>(n) > limit) {
      return path + " is larger than " + std::to_string(limit) + " bytes";
    }
    out.append(buffer, static_cast<std::size_t>(n));
  }
  return {};
}

void reportError(const std::string& message) {
  const std::string line = "vodivuri: " + message + "\n";
  // One write, so lines of several processes do not interleave.
  const ssize_t ignored = ::write(STDERR_FILENO, line.data(), line.size());
  (void)ignored;
}

}  // namespace vodivuri::platform::linux_os
