#include "platform/testing/doubles.hpp"

#include <algorithm>

namespace vodivuri::platform::testing {

long MemoryRegistry::track(long status, RegistryRoot root, const std::string& path,
                           RegistryKey key) {
  if (status == kRegOk) {
    where_.emplace_back(key, Where{root, path});
    ++openHandles_;
  }
  return status;
}

long MemoryRegistry::openKey(RegistryRoot root, const std::string& path, RegistryKey& key) {
  const long status = TreeRegistry::openKey(root, path, key);
  return track(status, root, path, key);
}

long MemoryRegistry::createKey(RegistryRoot root, const std::string& path, RegistryKey& key) {
  const long status = TreeRegistry::createKey(root, path, key);
  return track(status, root, path, key);
}

long MemoryRegistry::closeKey(RegistryKey key) {
  const long status = TreeRegistry::closeKey(key);
  if (status == kRegOk) {
    --openHandles_;
    std::erase_if(where_, [&](const auto& w) { return w.first == key; });
  }
  return status;
}

long MemoryRegistry::setValue(RegistryKey key, const std::string& name, std::uint32_t type,
                              const std::vector<std::uint8_t>& data) {
  const long status = TreeRegistry::setValue(key, name, type, data);
  if (status == kRegOk) {
    const auto w =
        std::find_if(where_.begin(), where_.end(), [&](const auto& x) { return x.first == key; });
    if (w != where_.end())
      writes.push_back(Write{w->second.root, w->second.path, name, type, data});
  }
  return status;
}

std::vector<std::string> MemoryRegistry::writtenNames() const {
  std::vector<std::string> names;
  for (const Write& w : writes) names.push_back(w.name);
  return names;
}

void RecordingPower::enableShutdownPrivilege() {
  ++privilegeCalls;
  privilegePending_ = true;
}

bool RecordingPower::requestExit(std::uint32_t flags) {
  requests.push_back(Request{flags, privilegePending_});
  privilegePending_ = false;
  return !refuse;
}

bool RecordingPower::requestConfirmedExit(std::uint32_t flags) {
  confirmedFlags.push_back(flags);
  return requestExit(flags);
}

void FakeClock::advanceMilliseconds(long ms) {
  long total = subsecond_ + ms;
  long seconds = total / 1000;
  subsecond_ = total % 1000;
  while (seconds > 0) {
    const long step = std::min<long>(seconds, 86400);
    long s = now_.second + now_.minute * 60L + now_.hour * 3600L + step;
    int days = static_cast<int>(s / 86400);
    s %= 86400;
    now_.hour = static_cast<int>(s / 3600);
    now_.minute = static_cast<int>((s / 60) % 60);
    now_.second = static_cast<int>(s % 60);
    if (days > 0) now_.date = toolkit::addDays(now_.date, days);
    seconds -= step;
  }
}

}  // namespace vodivuri::platform::testing
