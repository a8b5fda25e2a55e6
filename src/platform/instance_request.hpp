// The requests a copy started while another one runs hands the running copy:
// one line of text each, answered by one line, so that later requests fit the
// same channel on every platform.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace vodivuri::platform {

// Show the main window, as a double-click on the tray icon does.
inline constexpr std::string_view kShowRequest = "mostrar";
inline constexpr std::string_view kRequestDone = "ok";
// Longer lines are refused unread: no request is anywhere near it.
inline constexpr std::size_t kMaxRequestLength = 256;

// Runs the request `line` (its line end removed) and returns the answer:
// kRequestDone, or a line starting with "error:" for a request that is not
// known or that nothing here can run.
std::string answerInstanceRequest(std::string_view line, const std::function<void()>& show);

}  // namespace vodivuri::platform
