// Owners of the sd-bus objects the power back end uses: connections, messages,
// errors and strings sd-bus allocates.
#pragma once

#include <systemd/sd-bus.h>

#include <cstdlib>
#include <memory>

namespace vodivuri::platform::linux_os {

struct BusCloser {
  // Flushes first, so a method call sent without waiting still leaves.
  void operator()(sd_bus* bus) const noexcept { sd_bus_flush_close_unref(bus); }
};
using BusPtr = std::unique_ptr<sd_bus, BusCloser>;

struct MessageUnref {
  void operator()(sd_bus_message* message) const noexcept { sd_bus_message_unref(message); }
};
using MessagePtr = std::unique_ptr<sd_bus_message, MessageUnref>;

struct FreeDeleter {
  void operator()(char* text) const noexcept { std::free(text); }
};
using MallocText = std::unique_ptr<char, FreeDeleter>;

// An sd_bus_error freed when it goes out of scope.
class BusError {
 public:
  BusError() = default;
  ~BusError() { sd_bus_error_free(&error_); }
  BusError(const BusError&) = delete;
  BusError& operator=(const BusError&) = delete;

  sd_bus_error* get() { return &error_; }
  bool isSet() const { return sd_bus_error_is_set(&error_) > 0; }
  bool hasName(const char* name) const { return sd_bus_error_has_name(&error_, name) > 0; }
  const char* name() const { return error_.name ? error_.name : ""; }
  const char* message() const { return error_.message ? error_.message : ""; }

 private:
  sd_bus_error error_ = SD_BUS_ERROR_NULL;
};

}  // namespace vodivuri::platform::linux_os
