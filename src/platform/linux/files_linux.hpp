// File-system helpers the Linux back ends share: an owned descriptor, the XDG
// folders, folder creation, atomic replacement and the error line on stderr.
#pragma once

#include <string>

namespace vodivuri::platform::linux_os {

// Owns one file descriptor; closes it when it goes out of scope.
class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd() { reset(); }
  UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept;
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  int release();
  void reset(int fd = -1) noexcept;

 private:
  int fd_ = -1;
};

// $XDG_CONFIG_HOME when absolute, else $HOME/.config (or the password entry's
// home); empty when no home is known.
std::string configHome();

// The part of `path` before its last '/' ("/" for a file at the root).
std::string folderOf(const std::string& path);

// Creates the folder and any missing folders above it with mode 0700. Returns
// an error text, empty on success.
std::string makeFolders(const std::string& folder);

// Replaces `path` with `contents` so that a reader sees either the old or the
// new file: a temporary file in the same folder, written and synced, renamed
// over the target, then the folder synced. Returns an error text, empty on success.
std::string replaceFileAtomically(const std::string& path, const std::string& contents,
                                  unsigned mode);

// Reads a whole file of at most `limit` bytes. Returns an error text, empty on success.
std::string readWholeFile(const std::string& path, std::size_t limit, std::string& out);
// The same from an open descriptor; `path` names it in the error text.
std::string readAll(int fd, const std::string& path, std::size_t limit, std::string& out);

// "message: strerror(err)".
std::string withErrno(const std::string& message, int err);

// Writes "vodivuri: message" as one line to standard error.
void reportError(const std::string& message);

}  // namespace vodivuri::platform::linux_os
