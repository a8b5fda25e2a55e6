#include "platform/instance_request.hpp"

namespace vodivuri::platform {

namespace {
constexpr std::string_view kAnswerPrefix = "respuesta ";
}  // namespace

std::string orderRequest(const std::vector<std::string>& words) {
  std::string line(kOrderRequest);
  for (const std::string& word : words) {
    if (word.find_first_of("\r\n\x1f") != std::string::npos) return {};
    line += kWordSeparator;
    line += word;
  }
  return line.size() < kMaxRequestLength ? line : std::string();
}

std::optional<OrderAnswer> orderAnswer(std::string_view line) {
  if (!line.starts_with(kAnswerPrefix)) return std::nullopt;
  line.remove_prefix(kAnswerPrefix.size());
  if (line.size() < 2 || line[0] < '0' || line[0] > '2' || line[1] != ' ') return std::nullopt;
  return OrderAnswer{line[0] - '0', std::string(line.substr(2))};
}

std::string answerInstanceRequest(std::string_view line, const std::function<void()>& show,
                                  const OrderHandler& order) {
  // A line written by hand may end in CR LF.
  if (line.ends_with('\r')) line.remove_suffix(1);
  if (line == kShowRequest) {
    if (!show) return "error: la ventana todavía no se puede mostrar";
    show();
    return std::string(kRequestDone);
  }
  if (line.starts_with(kOrderRequest) &&
      (line.size() == kOrderRequest.size() || line[kOrderRequest.size()] == kWordSeparator)) {
    if (!order) return "error: la programación todavía no se puede cambiar";
    std::vector<std::string> words;
    for (std::size_t at = kOrderRequest.size(); at < line.size();) {
      const std::size_t next = line.find(kWordSeparator, at + 1);
      words.emplace_back(
          line.substr(at + 1, next == std::string_view::npos ? next : next - at - 1));
      at = next == std::string_view::npos ? line.size() : next;
    }
    OrderAnswer answer = order(words);
    // One line back, whatever the text holds.
    for (char& c : answer.text) {
      if (c == '\n' || c == '\r') c = ' ';
    }
    const int status = answer.status >= 0 && answer.status <= 2 ? answer.status : 2;
    return std::string(kAnswerPrefix) + std::to_string(status) + " " + answer.text;
  }
  return "error: petición desconocida";
}

}  // namespace vodivuri::platform
