#include "platform/instance_request.hpp"

namespace vodivuri::platform {

std::string answerInstanceRequest(std::string_view line, const std::function<void()>& show) {
  // A line written by hand may end in CR LF.
  if (line.ends_with('\r')) line.remove_suffix(1);
  if (line == kShowRequest) {
    if (!show) return "error: la ventana todavía no se puede mostrar";
    show();
    return std::string(kRequestDone);
  }
  return "error: petición desconocida";
}

}  // namespace vodivuri::platform
