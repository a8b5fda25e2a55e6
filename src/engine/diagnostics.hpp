// Errors the user never sees, logged once each to standard error.
#pragma once

#include <string>

namespace vodivuri::engine {

// Prints "vodivuri: message" the first time `topic` is reported in this run.
void logOnce(const std::string& topic, const std::string& message);

}  // namespace vodivuri::engine
