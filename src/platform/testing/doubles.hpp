// Test doubles of the platform services: in-memory registry, recording power,
// scripted version record, fake clock, recording shell and autostart,
// scripted instance.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/power.hpp"
#include "platform/services.hpp"
#include "platform/tree_registry.hpp"

namespace vodivuri::platform::testing {

// The in-memory registry, with a log of every value written.
class MemoryRegistry : public TreeRegistry {
 public:
  struct Write {
    RegistryRoot root;
    std::string path;
    std::string name;
    std::uint32_t type;
    std::vector<std::uint8_t> data;
  };
  long setValue(RegistryKey key, const std::string& name, std::uint32_t type,
                const std::vector<std::uint8_t>& data) override;
  long openKey(RegistryRoot root, const std::string& path, RegistryKey& key) override;
  long createKey(RegistryRoot root, const std::string& path, RegistryKey& key) override;
  long closeKey(RegistryKey key) override;

  std::vector<Write> writes;
  // Names of the values written, in order ("Hora", "Minutos", ...).
  std::vector<std::string> writtenNames() const;
  // Keys opened or created and not closed yet.
  int openHandles() const { return openHandles_; }

 private:
  struct Where {
    RegistryRoot root;
    std::string path;
  };
  long track(long status, RegistryRoot root, const std::string& path, RegistryKey key);
  std::vector<std::pair<RegistryKey, Where>> where_;

  int openHandles_ = 0;
};

// Every power request, in order, with whether the privilege step ran before it.
class RecordingPower : public Power {
 public:
  struct Request {
    std::uint32_t flags;
    bool privilegeStep;  // the shutdown right was enabled since the last request
    friend bool operator==(const Request&, const Request&) = default;
  };
  void enableShutdownPrivilege() override;
  bool requestExit(std::uint32_t flags) override;
  // Recorded in `requests` too.
  bool requestConfirmedExit(std::uint32_t flags) override;

  std::vector<Request> requests;
  std::vector<std::uint32_t> confirmedFlags;  // the flags of the confirmed requests
  int privilegeCalls = 0;
  bool refuse = false;  // answer every request with a refusal

 private:
  bool privilegePending_ = false;
};

class ScriptedVersion : public VersionInfo {
 public:
  explicit ScriptedVersion(std::optional<VersionRecord> record = VersionRecord{2, 5, 1})
      : record(record) {}
  std::optional<VersionRecord> query() override {
    ++queries;
    return record;
  }
  std::optional<VersionRecord> record;
  int queries = 0;
};

class FakeClock : public Clock {
 public:
  explicit FakeClock(toolkit::DateTime start = {{2026, 12, 7}, 9, 5, 7}) : now_(start) {}
  toolkit::DateTime now() override { return now_; }
  void set(const toolkit::DateTime& when) { now_ = when; }
  void advanceMilliseconds(long ms);
  long millisecondsOfSecond() const { return subsecond_; }

 private:
  toolkit::DateTime now_;
  long subsecond_ = 0;
};

class RecordingShell : public Shell {
 public:
  void openAddress(const std::string& address) override { opened.push_back(address); }
  std::vector<std::string> opened;
};

class ScriptedInstance : public Instance {
 public:
  std::string executablePath() override { return path; }
  std::string programFolder() override { return folder; }
  bool claimSingleInstance() override {
    ++claims;
    return !anotherRunning;
  }
  void setShowHandler(std::function<void()> show) override { showHandler = std::move(show); }
  // What a copy started later asking to show the window runs; false when
  // nothing would run.
  bool requestShow() {
    if (!showHandler) return false;
    showHandler();
    return true;
  }
  void setOrderHandler(OrderHandler order) override { orderHandler = std::move(order); }
  // A later copy's command line, as the channel hands it over.
  std::string requestOrder(const std::vector<std::string>& words) {
    return answerInstanceRequest(orderRequest(words), showHandler, orderHandler);
  }
  std::string path = "C:\\Archivos de programa\\Vodivuri\\Vodivuri.exe";
  std::string folder = "C:\\Archivos de programa\\Vodivuri";
  bool anotherRunning = false;
  int claims = 0;
  std::function<void()> showHandler;
  OrderHandler orderHandler;
};

class RecordingAutostart : public Autostart {
 public:
  void mirror(const std::string& command) override { mirrored.push_back(command); }
  std::vector<std::string> mirrored;
};

}  // namespace vodivuri::platform::testing
