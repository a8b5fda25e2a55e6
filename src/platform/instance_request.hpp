// The requests a copy started while another one runs hands the running copy:
// one line of text each, answered by one line, so that later requests fit the
// same channel on every platform.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vodivuri::platform {

// Show the main window, as a double-click on the tray icon does.
inline constexpr std::string_view kShowRequest = "mostrar";
inline constexpr std::string_view kRequestDone = "ok";
// Longer lines are refused unread: no request is anywhere near it.
inline constexpr std::size_t kMaxRequestLength = 256;

// A command line for the running copy: "orden", then each word after a unit
// separator; answered "respuesta <status> <text>".
inline constexpr std::string_view kOrderRequest = "orden";
inline constexpr char kWordSeparator = '\x1f';

struct OrderAnswer {
  int status = 2;  // as the command line's exit status
  std::string text;
  friend bool operator==(const OrderAnswer&, const OrderAnswer&) = default;
};
using OrderHandler = std::function<OrderAnswer(const std::vector<std::string>& words)>;

// The request line for `words`; empty when a word holds a line end or the
// separator, or the line would be too long.
std::string orderRequest(const std::vector<std::string>& words);
// The answer line's status and text; empty when it is no such answer.
std::optional<OrderAnswer> orderAnswer(std::string_view line);

// Runs the request `line` (its line end removed) and returns the answer:
// kRequestDone or an order's answer, or a line starting with "error:" for a
// request that is not known or that nothing here can run.
std::string answerInstanceRequest(std::string_view line, const std::function<void()>& show,
                                  const OrderHandler& order = {});

}  // namespace vodivuri::platform
