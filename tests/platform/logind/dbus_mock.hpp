// Private D-Bus daemons and python-dbusmock servers on them, started and
// stopped by the tests of the power back ends, and a client that reads back
// the calls a mock received.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <map>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/linux/files_linux.hpp"
#include "platform/linux/logind/sd_bus_owner.hpp"

extern char** environ;

namespace vodivuri::testing {

using platform::linux_os::BusError;
using platform::linux_os::BusPtr;
using platform::linux_os::MessagePtr;
using platform::linux_os::UniqueFd;

// A child process, ended (SIGTERM, then SIGKILL) and reaped with the object.
class Child {
 public:
  Child() = default;
  // `env` adds or replaces variables; `quiet` discards standard output.
  Child(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env,
        bool quiet = false) {
    std::vector<std::string> envStrings;
    for (char** e = environ; *e; ++e) {
      const std::string entry = *e;
      if (!env.contains(entry.substr(0, entry.find('=')))) envStrings.push_back(entry);
    }
    for (const auto& [name, value] : env) envStrings.push_back(name + "=" + value);
    std::vector<char*> argvPtrs, envPtrs;
    std::vector<std::string> args = argv;
    for (auto& a : args) argvPtrs.push_back(a.data());
    argvPtrs.push_back(nullptr);
    for (auto& e : envStrings) envPtrs.push_back(e.data());
    envPtrs.push_back(nullptr);

    const pid_t parent = ::getpid();
    pid_ = ::fork();
    if (pid_ < 0) throw std::runtime_error("cannot start " + argv[0] + ": " + std::strerror(errno));
    if (pid_ == 0) {
      // Only async-signal-safe calls from here. A test killed before its
      // destructors run must not leave daemons behind.
      ::prctl(PR_SET_PDEATHSIG, SIGTERM);
      if (::getppid() != parent) ::_exit(127);
      if (quiet) {
        const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (null >= 0) ::dup2(null, STDOUT_FILENO);
      }
      ::execve(argvPtrs[0], argvPtrs.data(), envPtrs.data());
      ::_exit(127);
    }
  }
  ~Child() { stop(); }
  Child(Child&& other) noexcept : pid_(other.pid_) { other.pid_ = -1; }
  Child& operator=(Child&& other) noexcept {
    if (this != &other) {
      stop();
      pid_ = other.pid_;
      other.pid_ = -1;
    }
    return *this;
  }

  bool running() {
    if (pid_ <= 0) return false;
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      return false;
    }
    return true;
  }

  void stop() noexcept {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    int status = 0;
    for (int i = 0; i < 200; ++i) {
      if (::waitpid(pid_, &status, WNOHANG) != 0) {
        pid_ = -1;
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
  }

 private:
  pid_t pid_ = -1;
};

// A dbus-daemon of our own with the session configuration: anyone may own
// any name, so a mock can play logind on it.
class PrivateBus {
 public:
  PrivateBus() {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    UniqueFd readEnd(ends[0]), closeOnExec(ends[1]);
    // An inheritable copy for the daemon alone.
    UniqueFd writeEnd(::fcntl(closeOnExec.get(), F_DUPFD, 10));
    closeOnExec.reset();
    if (!writeEnd.valid()) throw std::runtime_error("fcntl failed");
    daemon_ = Child({"/usr/bin/dbus-daemon", "--session", "--nofork",
                     "--print-address=" + std::to_string(writeEnd.get())},
                    {});
    writeEnd.reset();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (address_.find('\n') == std::string::npos) {
      pollfd p{readEnd.get(), POLLIN, 0};
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0) {
        throw std::runtime_error("dbus-daemon did not tell its address");
      }
      char buffer[256];
      const ssize_t n = ::read(readEnd.get(), buffer, sizeof buffer);
      if (n <= 0) throw std::runtime_error("dbus-daemon ended before telling its address");
      address_.append(buffer, static_cast<std::size_t>(n));
    }
    address_.erase(address_.find('\n'));
  }
  const std::string& address() const { return address_; }

 private:
  Child daemon_;
  std::string address_;
};

// A client connection to a private bus.
class BusClient {
 public:
  explicit BusClient(const std::string& address) {
    sd_bus* raw = nullptr;
    if (sd_bus_new(&raw) < 0) throw std::runtime_error("sd_bus_new failed");
    bus_.reset(raw);
    if (sd_bus_set_address(raw, address.c_str()) < 0 || sd_bus_set_bus_client(raw, 1) < 0 ||
        sd_bus_start(raw) < 0) {
      throw std::runtime_error("cannot connect to " + address);
    }
  }

  bool nameHasOwner(const std::string& name) {
    BusError error;
    sd_bus_message* raw = nullptr;
    const int r = sd_bus_call_method(bus_.get(), "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                     "org.freedesktop.DBus", "NameHasOwner", error.get(), &raw, "s",
                                     name.c_str());
    MessagePtr reply(raw);
    int owned = 0;
    return r >= 0 && sd_bus_message_read(raw, "b", &owned) >= 0 && owned;
  }

  // Mock.AddMethod on the mock's main object.
  void addMethod(const std::string& dest, const std::string& path, const std::string& interface,
                 const std::string& name, const std::string& inSig, const std::string& outSig,
                 const std::string& code) {
    callMock(dest, path, "AddMethod", "sssss", interface.c_str(), name.c_str(), inSig.c_str(),
             outSig.c_str(), code.c_str());
  }

  void clearCalls(const std::string& dest, const std::string& path) {
    callMock(dest, path, "ClearCalls", "");
  }

  // Every call the mock logged since the last clearCalls, as "Method arg arg"
  // (booleans as true/false).
  std::vector<std::string> calls(const std::string& dest, const std::string& path) {
    BusError error;
    sd_bus_message* raw = nullptr;
    int r = sd_bus_call_method(bus_.get(), dest.c_str(), path.c_str(), "org.freedesktop.DBus.Mock",
                               "GetCalls", error.get(), &raw, "");
    MessagePtr reply(raw);
    if (r < 0) throw std::runtime_error(std::string("GetCalls failed: ") + error.message());
    std::vector<std::string> out;
    check(sd_bus_message_enter_container(raw, 'a', "(tsav)"));
    while ((r = sd_bus_message_enter_container(raw, 'r', "tsav")) > 0) {
      std::uint64_t when = 0;
      const char* method = nullptr;
      check(sd_bus_message_read(raw, "ts", &when, &method));
      std::string line = method;
      check(sd_bus_message_enter_container(raw, 'a', "v"));
      char type = 0;
      const char* contents = nullptr;
      while (sd_bus_message_peek_type(raw, &type, &contents) > 0) {
        check(sd_bus_message_enter_container(raw, 'v', contents));
        line += " " + readBasic(raw, contents[0]);
        check(sd_bus_message_exit_container(raw));
      }
      check(sd_bus_message_exit_container(raw));
      check(sd_bus_message_exit_container(raw));
      out.push_back(line);
    }
    check(r);
    return out;
  }

  // A method of the mock interface with sd-bus's argument types.
  template <typename... Args>
  void callMock(const std::string& dest, const std::string& path, const char* method,
                const char* types, Args... args) {
    BusError error;
    sd_bus_message* raw = nullptr;
    const int r =
        sd_bus_call_method(bus_.get(), dest.c_str(), path.c_str(), "org.freedesktop.DBus.Mock",
                           method, error.get(), &raw, types, args...);
    MessagePtr reply(raw);
    if (r < 0) throw std::runtime_error(std::string(method) + " failed: " + error.message());
  }

 private:
  static void check(int r) {
    if (r < 0) throw std::runtime_error(std::string("bad GetCalls reply: ") + std::strerror(-r));
  }

  static std::string readBasic(sd_bus_message* m, char type) {
    switch (type) {
      case 'b': {
        int v = 0;
        check(sd_bus_message_read_basic(m, 'b', &v));
        return v ? "true" : "false";
      }
      case 'u': {
        std::uint32_t v = 0;
        check(sd_bus_message_read_basic(m, 'u', &v));
        return std::to_string(v);
      }
      case 'i': {
        std::int32_t v = 0;
        check(sd_bus_message_read_basic(m, 'i', &v));
        return std::to_string(v);
      }
      case 's':
      case 'o': {
        const char* v = nullptr;
        check(sd_bus_message_read_basic(m, type, &v));
        return v;
      }
      default:
        check(sd_bus_message_skip(m, nullptr));
        return "?";
    }
  }

  BusPtr bus_;
};

// A python-dbusmock server on a private bus, up once it owns its name.
class MockServer {
 public:
  // `args` follow "python3 -m dbusmock"; `name` is the bus name it claims.
  MockServer(const PrivateBus& bus, bool systemBus, const std::string& name,
             std::vector<std::string> args) {
    std::vector<std::string> argv{"/usr/bin/python3", "-m", "dbusmock",
                                  systemBus ? "--system" : "--session"};
    argv.insert(argv.end(), args.begin(), args.end());
    process_ = Child(
        argv, {{systemBus ? "DBUS_SYSTEM_BUS_ADDRESS" : "DBUS_SESSION_BUS_ADDRESS", bus.address()}},
        true);
    BusClient client(bus.address());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (!client.nameHasOwner(name)) {
      if (!process_.running()) throw std::runtime_error("dbusmock for " + name + " ended");
      if (std::chrono::steady_clock::now() > deadline) {
        throw std::runtime_error("dbusmock did not claim " + name);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }

 private:
  Child process_;
};

}  // namespace vodivuri::testing
