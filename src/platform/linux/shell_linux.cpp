#include "platform/linux/shell_linux.hpp"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "platform/linux/files_linux.hpp"

namespace vodivuri::platform::linux_os {

void LinuxShell::openAddress(const std::string& address) {
  // xdg-open takes a leading '-' as an option.
  if (address.empty() || address[0] == '-') {
    reportError("not opening the address \"" + address + "\"");
    return;
  }
  // Everything the children need is made before forking: after fork in a
  // program with threads only async-signal-safe calls are allowed.
  std::string program = program_;
  std::string argument = address;
  char* const argv[] = {program.data(), argument.data(), nullptr};

  const pid_t child = ::fork();
  if (child < 0) {
    reportError(withErrno("cannot start " + program_, errno));
    return;
  }
  if (child == 0) {
    // The middle process ends at once, so the opener is adopted by init and
    // never becomes our zombie.
    ::setsid();
    const pid_t opener = ::fork();
    if (opener != 0) ::_exit(opener < 0 ? 1 : 0);
    const int null = ::open("/dev/null", O_RDWR);
    if (null >= 0) {
      ::dup2(null, STDIN_FILENO);
      ::dup2(null, STDOUT_FILENO);
      ::dup2(null, STDERR_FILENO);
    }
    ::close_range(3, ~0U, 0);
    ::execvp(argv[0], argv);
    ::_exit(127);
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
}

}  // namespace vodivuri::platform::linux_os
