// The channel beside the instance lock: a later copy's request reaches the
// holder's handler only through serviceChannel(), unknown or broken requests
// are refused, silent clients are dropped, and a holder that was killed does
// not keep the next one from listening.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <future>
#include <memory>
#include <optional>
#include <string>

#include "platform/instance_request.hpp"
#include "platform/linux/instance_linux.hpp"
#include "platform/linux_test_support.hpp"

namespace vodivuri::platform::linux_os {
namespace {

using namespace std::chrono_literals;
using vodivuri::testing::TempFolder;

std::string testLockName(const char* what) {
  return "vodivuri-test/" + std::to_string(::getpid()) + "/channel/" + what;
}

bool readable(int fd, int ms) {
  pollfd p{fd, POLLIN, 0};
  return ::poll(&p, 1, ms) == 1;
}

// Serves the holder's channel, as the event loop does, until `done` is ready.
template <typename T>
T serveUntil(LinuxInstance& holder, std::future<T>& done) {
  while (done.wait_for(0s) != std::future_status::ready) {
    if (readable(holder.channelFd(), 50)) holder.serviceChannel();
  }
  return done.get();
}

// A client written by hand, to send what no copy of the program would.
UniqueFd connectTo(const std::string& path) {
  UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  sockaddr_un at{};
  at.sun_family = AF_UNIX;
  std::memcpy(at.sun_path, path.data(), path.size());
  EXPECT_EQ(::connect(fd.get(), reinterpret_cast<const sockaddr*>(&at), sizeof at), 0)
      << std::strerror(errno);
  return fd;
}

void sendAll(int fd, const std::string& bytes) {
  ASSERT_EQ(::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL),
            static_cast<ssize_t>(bytes.size()));
}

// What the holder answers before it closes the connection ("" for nothing).
std::string answerOf(LinuxInstance& holder, int fd) {
  std::string answer;
  for (int round = 0; round < 100; ++round) {
    if (readable(holder.channelFd(), 10)) holder.serviceChannel();
    if (!readable(fd, 10)) continue;
    char buffer[512];
    const ssize_t n = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
    if (n <= 0) return answer;
    answer.append(buffer, static_cast<std::size_t>(n));
  }
  ADD_FAILURE() << "the connection stayed open";
  return answer;
}

struct Holder {
  TempFolder folder;
  std::string name = testLockName("holder");
  std::unique_ptr<LinuxInstance> instance = std::make_unique<LinuxInstance>(name, folder.path());
  int shows = 0;
  Holder() {
    EXPECT_EQ(instance->claim(), InstanceClaim::Held);
    instance->setShowHandler([this] { ++shows; });
  }
  std::future<std::optional<std::string>> askLater(std::chrono::milliseconds timeout = 2s) {
    return std::async(std::launch::async, [this, timeout] {
      LinuxInstance later(name, folder.path());
      EXPECT_EQ(later.claim(), InstanceClaim::AnotherRuns);
      EXPECT_EQ(later.channelFd(), -1);
      return later.ask(kShowRequest, timeout);
    });
  }
};

TEST(InstanceChannel, ALaterCopysRequestRunsTheHandlerOnlyWhenTheHolderServesIt) {
  Holder holder;
  ASSERT_GE(holder.instance->channelFd(), 0);
  auto asked = holder.askLater();
  // The descriptor the event loop watches turns readable; nothing runs before
  // the loop calls in.
  ASSERT_TRUE(readable(holder.instance->channelFd(), 2000));
  EXPECT_EQ(holder.shows, 0);
  EXPECT_EQ(serveUntil(*holder.instance, asked), std::optional<std::string>("ok"));
  EXPECT_EQ(holder.shows, 1);
  // Served: nothing left to wake the loop for.
  EXPECT_FALSE(readable(holder.instance->channelFd(), 0));

  // The later copy going does not take the holder's socket with it.
  auto again = holder.askLater();
  EXPECT_EQ(serveUntil(*holder.instance, again), std::optional<std::string>("ok"));
  EXPECT_EQ(holder.shows, 2);

  // Nor does a copy whose claim failed take it; the holder going does.
  const std::string socket = holder.instance->channelPath();
  ASSERT_TRUE(vodivuri::testing::exists(socket));
  holder.instance.reset();
  EXPECT_FALSE(vodivuri::testing::exists(socket));
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(LinuxInstance(holder.name, holder.folder.path()).ask(kShowRequest, 300ms),
            std::nullopt);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
}

TEST(InstanceChannel, UnknownBrokenAndOversizedRequestsAreRefusedWithoutRunningTheHandler) {
  Holder holder;
  const std::string path = holder.instance->channelPath();
  const std::string requests[] = {
      "apagar\n",      "mostrar ya\n", "MOSTRAR\n", "\n", std::string("mos\0trar\n", 9),
      "\xff\xfe\x01\n"};
  for (const std::string& request : requests) {
    const UniqueFd client = connectTo(path);
    sendAll(client.get(), request);
    const std::string answer = answerOf(*holder.instance, client.get());
    EXPECT_TRUE(answer.starts_with("error:") && answer.ends_with("\n")) << answer;
    EXPECT_EQ(vodivuri::testing::countLines(answer), 1u) << answer;
  }
  {
    // A line that never ends is cut off at the bound, not buffered forever.
    const UniqueFd client = connectTo(path);
    sendAll(client.get(), std::string(kMaxRequestLength + 50, 'm'));
    EXPECT_EQ(answerOf(*holder.instance, client.get()), "error: petición demasiado larga\n");
  }
  {
    // Ended before its line did: closed, nothing run.
    UniqueFd client = connectTo(path);
    sendAll(client.get(), "mostrar");
    ::shutdown(client.get(), SHUT_WR);
    EXPECT_EQ(answerOf(*holder.instance, client.get()), "");
  }
  EXPECT_EQ(holder.shows, 0);

  // A request in pieces is put together; CR LF is a line end too.
  const UniqueFd client = connectTo(path);
  sendAll(client.get(), "most");
  for (int i = 0; i < 5; ++i) {
    if (readable(holder.instance->channelFd(), 20)) holder.instance->serviceChannel();
  }
  EXPECT_EQ(holder.shows, 0);
  sendAll(client.get(), "rar\r\n");
  EXPECT_EQ(answerOf(*holder.instance, client.get()), "ok\n");
  EXPECT_EQ(holder.shows, 1);

  // No handler yet (the program is still being made): refused, not lost in a crash.
  holder.instance->setShowHandler({});
  const UniqueFd early = connectTo(path);
  sendAll(early.get(), "mostrar\n");
  EXPECT_TRUE(answerOf(*holder.instance, early.get()).starts_with("error:"));
}

TEST(InstanceChannel, ASilentClientNeitherHoldsUpOthersNorStaysForever) {
  Holder holder;
  const UniqueFd silent = connectTo(holder.instance->channelPath());
  ASSERT_TRUE(readable(holder.instance->channelFd(), 1000));
  const auto start = std::chrono::steady_clock::now();
  holder.instance->serviceChannel();
  EXPECT_LT(std::chrono::steady_clock::now() - start, 100ms);  // never waits for it
  auto asked = holder.askLater();
  EXPECT_EQ(serveUntil(*holder.instance, asked), std::optional<std::string>("ok"));
  // The channel wakes the loop when the silent one's time is up, and drops it.
  EXPECT_FALSE(readable(silent.get(), 0));
  ASSERT_TRUE(readable(holder.instance->channelFd(), 3000));
  holder.instance->serviceChannel();
  ASSERT_TRUE(readable(silent.get(), 0));
  char byte;
  EXPECT_EQ(::recv(silent.get(), &byte, 1, MSG_DONTWAIT), 0);
  EXPECT_FALSE(readable(holder.instance->channelFd(), 0));
  EXPECT_EQ(holder.shows, 1);
}

TEST(InstanceChannel, ASocketLeftByAKilledHolderDoesNotStopTheNextOne) {
  TempFolder folder;
  const std::string name = testLockName("killed");
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t child = ::fork();
  if (child == 0) {
    LinuxInstance first(name, folder.path());
    const char byte = first.claim() == InstanceClaim::Held && first.channelFd() >= 0 ? 1 : 0;
    if (::write(ready[1], &byte, 1) != 1) ::_exit(1);
    ::pause();
    ::_exit(0);
  }
  char byte = 0;
  ASSERT_EQ(::read(ready[0], &byte, 1), 1);
  ::close(ready[0]);
  ::close(ready[1]);
  ASSERT_EQ(byte, 1);
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
  LinuxInstance next(name, folder.path());
  const std::string socket = next.channelPath();
  ASSERT_TRUE(vodivuri::testing::exists(socket));  // stale: nobody listens
  // A copy asking meanwhile does not mistake it for an answer.
  EXPECT_EQ(LinuxInstance(name, folder.path()).ask(kShowRequest, 200ms), std::nullopt);

  ASSERT_EQ(next.claim(), InstanceClaim::Held);
  int shows = 0;
  next.setShowHandler([&] { ++shows; });
  auto asked = std::async(std::launch::async,
                          [&] { return LinuxInstance(name, folder.path()).ask(kShowRequest); });
  EXPECT_EQ(serveUntil(next, asked), std::optional<std::string>("ok"));
  EXPECT_EQ(shows, 1);
}

TEST(InstanceChannel, TheAbstractSocketLockHasNone) {
  LinuxInstance holder(testLockName("abstract"));
  ASSERT_EQ(holder.claim(), InstanceClaim::Held);
  EXPECT_EQ(holder.channelFd(), -1);
  holder.serviceChannel();  // harmless
  LinuxInstance later(testLockName("abstract"));
  EXPECT_EQ(later.claim(), InstanceClaim::AnotherRuns);
  EXPECT_FALSE(later.hasChannel());
  EXPECT_EQ(later.ask(kShowRequest, 100ms), std::nullopt);
}

TEST(InstanceChannel, AnotherUsersConnectionIsClosedAndReportedOnce) {
  if (::getuid() != 0) GTEST_SKIP() << "needs root to connect as another user";
  Holder holder;
  // Open the way, which the private folder otherwise bars.
  ASSERT_EQ(::chmod(holder.folder.path().c_str(), 0711), 0);
  ASSERT_EQ(::chmod(holder.instance->channelPath().c_str(), 0666), 0);
  const std::string path = holder.instance->channelPath();
  // What a process of user 65534 hears back: 0 closed unanswered, 1 an answer, 2 failed.
  auto stranger = [&path] {
    const pid_t child = ::fork();
    if (child == 0) {
      if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(2);
      UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM, 0));
      sockaddr_un at{};
      at.sun_family = AF_UNIX;
      std::memcpy(at.sun_path, path.data(), path.size());
      if (::connect(fd.get(), reinterpret_cast<const sockaddr*>(&at), sizeof at) != 0) ::_exit(2);
      // Closed at once, the send itself may fail: no answer all the same.
      const ssize_t sent = ::send(fd.get(), "mostrar\n", 8, MSG_NOSIGNAL);
      (void)sent;
      char buffer[16];
      ::_exit(::recv(fd.get(), buffer, sizeof buffer, 0) > 0 ? 1 : 0);
    }
    return child;
  };
  ::testing::internal::CaptureStderr();
  for (int i = 0; i < 2; ++i) {
    const pid_t child = stranger();
    std::future<int> status = std::async(std::launch::async, [child] {
      int s = 0;
      ::waitpid(child, &s, 0);
      return WIFEXITED(s) ? WEXITSTATUS(s) : -1;
    });
    EXPECT_EQ(serveUntil(*holder.instance, status), 0);
  }
  const std::string log = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(holder.shows, 0);
  EXPECT_EQ(vodivuri::testing::countLines(log), 1u) << log;
  EXPECT_NE(log.find("of user id 65534"), std::string::npos) << log;
}

}  // namespace
}  // namespace vodivuri::platform::linux_os
