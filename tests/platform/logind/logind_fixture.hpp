// A private bus with dbusmock's logind template on it, shared by the tests of
// one suite, and the environment each test starts from.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>

#include "platform/linux_test_support.hpp"
#include "platform/logind/dbus_mock.hpp"
#include "platform/services.hpp"

namespace vodivuri::testing {

inline constexpr const char* kLogindName = "org.freedesktop.login1";
inline constexpr const char* kLogindPath = "/org/freedesktop/login1";
inline constexpr const char* kLogindManager = "org.freedesktop.login1.Manager";

// A clock that stays where the test puts it.
class SetClock : public platform::Clock {
 public:
  toolkit::DateTime now() override { return at; }
  toolkit::DateTime at{{2026, 12, 8}, 7, 30, 5};
};

class LogindSuite : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    systemBus_ = std::make_unique<PrivateBus>();
    logind_ = std::make_unique<MockServer>(*systemBus_, true, kLogindName,
                                           std::vector<std::string>{"--template", "logind"});
    client_ = std::make_unique<BusClient>(systemBus_->address());
  }
  static void TearDownTestSuite() {
    client_.reset();
    logind_.reset();
    systemBus_.reset();
  }

  void SetUp() override {
    systemEnv_.emplace("DBUS_SYSTEM_BUS_ADDRESS", systemBus_->address());
    sessionEnv_.emplace("DBUS_SESSION_BUS_ADDRESS", "disabled:");
    sessionIdEnv_.emplace("XDG_SESSION_ID", "c7");
    client_->clearCalls(kLogindName, kLogindPath);
  }
  void TearDown() override {
    sessionIdEnv_.reset();
    sessionEnv_.reset();
    systemEnv_.reset();
  }

  static std::vector<std::string> logindCalls() { return client_->calls(kLogindName, kLogindPath); }
  static void addLogindMethod(const std::string& name, const std::string& inSig,
                              const std::string& outSig, const std::string& code) {
    client_->addMethod(kLogindName, kLogindPath, kLogindManager, name, inSig, outSig, code);
  }
  static const std::string& systemAddress() { return systemBus_->address(); }

  SetClock clock;
  std::optional<ScopedEnv> systemEnv_, sessionEnv_, sessionIdEnv_;

  static inline std::unique_ptr<PrivateBus> systemBus_;
  static inline std::unique_ptr<MockServer> logind_;
  static inline std::unique_ptr<BusClient> client_;
};

// Code for Mock.AddMethod that answers with a D-Bus error.
inline std::string raising(const std::string& name, const std::string& message) {
  return "raise dbus.exceptions.DBusException('" + message + "', name='" + name + "')";
}

}  // namespace vodivuri::testing
