#include "platform/linux/autostart_linux.hpp"

#include <vector>

#include "platform/linux/files_linux.hpp"

namespace vodivuri::platform::linux_os {

namespace {

constexpr std::size_t kMaxEntrySize = 1u << 20;

// The words of a run entry. The program writes the path between two double
// quotes with nothing escaped, so everything between the first and the last
// quote is the path; a quoted path followed by blank-separated arguments and an
// unquoted path (blanks and all, as Windows reads it) are taken too.
std::vector<std::string> splitCommand(const std::string& command) {
  if (command.size() >= 2 && command.front() == '"' && command.back() == '"') {
    return {command.substr(1, command.size() - 2)};
  }
  if (command.empty() || command[0] != '"') return {command};
  const auto close = command.find('"', 1);
  std::vector<std::string> words = {
      command.substr(1, close == std::string::npos ? close : close - 1)};
  for (std::size_t pos = close == std::string::npos ? command.size() : close + 1;
       pos < command.size();) {
    const auto start = command.find_first_not_of(" \t", pos);
    if (start == std::string::npos) break;
    const auto end = command.find_first_of(" \t", start);
    words.push_back(command.substr(start, end == std::string::npos ? end : end - start));
    pos = end == std::string::npos ? command.size() : end;
  }
  return words;
}

// One argument in double quotes, with the characters special inside them escaped
// and percent signs kept from being read as field codes.
std::string quoteArgument(const std::string& word) {
  std::string out = "\"";
  for (char c : word) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') out += '\\';
    out += c;
    if (c == '%') out += '%';
  }
  return out + '"';
}

// The escapes of a string value, applied after the quoting.
std::string escapeValue(const std::string& value) {
  std::string out;
  for (char c : value) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        out += c;
    }
  }
  return out;
}

// A value of an entry already on disk (as written, escapes kept), to keep it
// when start-up is switched off.
std::string valueOfFile(const std::string& path, const std::string& key) {
  std::string text;
  if (!readWholeFile(path, kMaxEntrySize, text).empty()) return {};
  const std::string prefix = key + "=";
  std::size_t pos = 0;
  while (pos < text.size()) {
    const auto nl = text.find('\n', pos);
    const std::string line = text.substr(pos, nl == std::string::npos ? nl : nl - pos);
    if (line.starts_with(prefix) && line.size() > prefix.size()) return line.substr(prefix.size());
    if (nl == std::string::npos) break;
    pos = nl + 1;
  }
  return {};
}

}  // namespace

std::string desktopExecFor(const std::string& command) {
  std::string exec;
  for (const std::string& word : splitCommand(command)) {
    if (!exec.empty()) exec += ' ';
    exec += quoteArgument(word);
  }
  return escapeValue(exec);
}

std::string desktopTryExecFor(const std::string& command) {
  return escapeValue(splitCommand(command).front());
}

std::string desktopEntry(const std::string& exec, const std::string& tryExec, bool hidden) {
  std::string text =
      "[Desktop Entry]\n"
      "Type=Application\n"
      "Name=Vodivuri\n"
      "Comment=Apaga, reinicia o cierra la sesión a la hora programada\n"
      "Exec=" +
      exec + "\n";
  // Once the program is removed, desktops skip the entry instead of starting nothing.
  if (!tryExec.empty()) text += "TryExec=" + tryExec + "\n";
  text +=
      "Icon=vodivuri\n"
      "X-GNOME-Autostart-enabled=true\n";
  if (hidden) text += "Hidden=true\n";
  return text;
}

DesktopAutostart::DesktopAutostart() : DesktopAutostart(defaultPath()) {}

DesktopAutostart::DesktopAutostart(std::string path) : path_(std::move(path)) {}

std::string DesktopAutostart::defaultPath() {
  const std::string config = configHome();
  return config.empty() ? std::string() : config + "/autostart/vodivuri.desktop";
}

void DesktopAutostart::mirror(const std::string& command) {
  if (path_.empty()) {
    if (!failureReported_)
      reportError("no home folder is known; the autostart entry is not written");
    failureReported_ = true;
    return;
  }
  // An entry naming no program ("" too) switches start-up off.
  const bool hidden = splitCommand(command).front().empty();
  std::string exec, tryExec;
  if (!hidden) {
    exec = desktopExecFor(command);
    tryExec = desktopTryExecFor(command);
  } else if (!lastExec_.empty()) {
    exec = lastExec_;
    tryExec = lastTryExec_;
  } else {
    // A hidden entry still needs an Exec line to be valid.
    exec = valueOfFile(path_, "Exec");
    tryExec = valueOfFile(path_, "TryExec");
    if (exec.empty()) exec = "vodivuri";
  }
  std::string error = makeFolders(folderOf(path_));
  if (error.empty())
    error = replaceFileAtomically(path_, desktopEntry(exec, tryExec, hidden), 0644);
  if (!error.empty()) {
    if (!failureReported_) reportError("cannot write the autostart entry: " + error);
    failureReported_ = true;
    return;
  }
  lastExec_ = exec;
  lastTryExec_ = tryExec;
}

}  // namespace vodivuri::platform::linux_os
