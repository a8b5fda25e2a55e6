// Child processes for the reliability tests: started together on a signal,
// with their own environment and standard error kept in a file.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace vodivuri::testing {

// Children forked now, each waiting for go() before it runs its program.
class StartGate {
 public:
  StartGate() {
    if (::pipe2(fds_, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
  }
  ~StartGate() { go(); }
  StartGate(const StartGate&) = delete;
  StartGate& operator=(const StartGate&) = delete;

  // `env` adds or (with nullopt) removes variables.
  pid_t spawn(const std::vector<std::string>& argv,
              const std::map<std::string, std::optional<std::string>>& env,
              const std::string& stderrFile) {
    std::vector<std::string> entries;
    for (char** e = environ; *e; ++e) {
      const std::string entry = *e;
      if (!env.contains(entry.substr(0, entry.find('=')))) entries.push_back(entry);
    }
    for (const auto& [name, value] : env) {
      if (value) entries.push_back(name + "=" + *value);
    }
    std::vector<std::string> args = argv;
    std::vector<char*> argp, envp;
    for (auto& a : args) argp.push_back(a.data());
    argp.push_back(nullptr);
    for (auto& e : entries) envp.push_back(e.data());
    envp.push_back(nullptr);

    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid == 0) {
      // Only async-signal-safe calls from here on.
      ::prctl(PR_SET_PDEATHSIG, SIGKILL);
      if (::getppid() != parent) ::_exit(127);
      ::close(fds_[1]);
      char byte;
      while (::read(fds_[0], &byte, 1) < 0) {
      }
      const int err = ::open(stderrFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
      const int out = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
      if (err >= 0) ::dup2(err, STDERR_FILENO);
      if (out >= 0) ::dup2(out, STDOUT_FILENO);
      ::execve(argp[0], argp.data(), envp.data());
      ::_exit(127);
    }
    return pid;
  }

  // Lets every child spawned so far run, all at once.
  void go() {
    if (fds_[1] >= 0) {
      ::close(fds_[1]);
      fds_[1] = -1;
    }
    if (fds_[0] >= 0) {
      ::close(fds_[0]);
      fds_[0] = -1;
    }
  }

 private:
  int fds_[2] = {-1, -1};
};

// The exit status of `pid` if it ends within `limit`, else nullopt.
inline std::optional<int> waitFor(pid_t pid, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  for (;;) {
    int status = 0;
    if (::waitpid(pid, &status, WNOHANG) == pid) return status;
    if (std::chrono::steady_clock::now() >= end) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

inline void killAndReap(pid_t pid) {
  ::kill(pid, SIGKILL);
  ::waitpid(pid, nullptr, 0);
}

}  // namespace vodivuri::testing
