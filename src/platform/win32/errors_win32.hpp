// The OS's own words for an error code, and the once-per-topic line on
// standard error for the failures the user never sees.
#pragma once

#include <string>

namespace vodivuri::platform::win32 {

// FormatMessageA's text for `code` in UTF-8, without the trailing line break;
// "error N" when the system has no text for it.
std::string systemMessage(unsigned long code);

// Writes "vodivuri: message" to standard error the first time `topic` is seen.
void reportOnce(const std::string& topic, const std::string& message);

}  // namespace vodivuri::platform::win32
