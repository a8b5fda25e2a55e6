#include "engine/diagnostics.hpp"

#include <iostream>
#include <set>

namespace vodivuri::engine {

void logOnce(const std::string& topic, const std::string& message) {
  static std::set<std::string> reported;
  if (!reported.insert(topic).second) return;
  std::cerr << "vodivuri: " << message << '\n';
}

}  // namespace vodivuri::engine
