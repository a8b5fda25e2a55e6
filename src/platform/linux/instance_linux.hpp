// Where the running program is (/proc/self/exe) and the one-copy lock: a
// locked file in the settings folder, so that two copies never share the
// settings, or an abstract unix socket named after the user id where that
// folder cannot be used. Beside the locked file, the copy that holds it
// listens on a unix socket for the requests of copies started later.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/linux/files_linux.hpp"
#include "platform/services.hpp"

namespace vodivuri::platform::linux_os {

enum class InstanceClaim {
  Held,         // this process runs alone and holds the lock
  AnotherRuns,  // another copy of this user holds it
  Failed,       // cannot tell (reported on standard error)
};

class LinuxInstance : public Instance {
 public:
  // The lock of the settings this copy uses.
  LinuxInstance();
  // A lock of another name and folder, for tests; no folder: the socket only.
  explicit LinuxInstance(std::string lockName, std::string lockFolder = {});
  // The channel's socket goes before the lock does, so it never removes the
  // socket of a copy that took the lock after this one.
  ~LinuxInstance() override;
  LinuxInstance(const LinuxInstance&) = delete;
  LinuxInstance& operator=(const LinuxInstance&) = delete;

  std::string executablePath() override;
  std::string programFolder() override;
  // Held until this object goes; claiming again while held succeeds.
  InstanceClaim claim();
  // True only when held: a lock that cannot be checked keeps the program from
  // running, so that two copies never share the settings file.
  bool claimSingleInstance() override { return claim() == InstanceClaim::Held; }
  void setShowHandler(std::function<void()> show) override { show_ = std::move(show); }
  void setOrderHandler(OrderHandler order) override { order_ = std::move(order); }

  // The holder's side of the channel: a descriptor that turns readable when
  // serviceChannel() has something to do (a connection, a request, a client
  // that kept silent too long); -1 without a channel (not held, the
  // abstract-socket lock, or a socket that could not be made).
  int channelFd() const { return poll_.get(); }
  // Accepts the waiting connections of this user, reads what they sent and
  // answers every complete request; never waits for a client.
  void serviceChannel();

  // A later copy's side: sends `request` to the copy holding the lock and
  // returns its answer line, or nothing when none came within `timeout` (no
  // channel, no copy listening, or one that did not answer in time).
  std::optional<std::string> ask(std::string_view request,
                                 std::chrono::milliseconds timeout = std::chrono::seconds(2));
  // Whether copies of these settings have a channel at all: not beside the
  // abstract-socket lock.
  bool hasChannel() const { return !lockFolder_.empty(); }
  std::string channelPath() const { return lockFolder_ + "/instance.sock"; }

  static std::string defaultLockName();
  // The settings file's folder, made if missing, when it is this user's and
  // no one else can write in it; empty otherwise.
  static std::string settingsLockFolder();
  const std::string& lockName() const { return lockName_; }
  const std::string& lockFolder() const { return lockFolder_; }

 private:
  InstanceClaim claimFile();
  InstanceClaim claimSocket();
  InstanceClaim whoHolds();
  void openChannel();
  void acceptWaiting();
  void closeChannel();

  // A connection whose request line has not come in whole yet.
  struct Client {
    UniqueFd fd;
    std::string received;
    std::chrono::steady_clock::time_point deadline;
  };
  enum class Reading { Waiting, Complete, Dropped };
  Reading readFrom(Client& client);
  void armTimer();

  std::string lockName_;
  std::string lockFolder_;
  UniqueFd lock_;
  UniqueFd listener_;
  UniqueFd timer_;  // wakes the loop when the oldest silent client is due
  UniqueFd poll_;   // epoll over the listener, the timer and the clients
  std::vector<Client> clients_;
  std::function<void()> show_;
  OrderHandler order_;
  bool socketBound_ = false;
  bool strangerReported_ = false;
};

}  // namespace vodivuri::platform::linux_os
