#include "platform/linux/autostart_linux.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <utility>

#include "platform/linux_test_support.hpp"

namespace vodivuri::platform::linux_os {
namespace {

using vodivuri::testing::readFile;
using vodivuri::testing::ScopedEnv;
using vodivuri::testing::TempFolder;

// Reads an Exec value back into its arguments the way a launcher does: the
// string escapes first, then the double quotes, then %%.
std::vector<std::string> launcherArgv(const std::string& exec) {
  std::string unescaped;
  for (std::size_t i = 0; i < exec.size(); ++i) {
    if (exec[i] == '\\' && i + 1 < exec.size()) {
      const char c = exec[++i];
      unescaped += c == 's' ? ' ' : c == 'n' ? '\n' : c == 't' ? '\t' : c == 'r' ? '\r' : c;
    } else {
      unescaped += exec[i];
    }
  }
  std::vector<std::string> argv;
  std::string word;
  bool inWord = false, quoted = false;
  for (std::size_t i = 0; i < unescaped.size(); ++i) {
    const char c = unescaped[i];
    if (quoted) {
      if (c == '"') {
        quoted = false;
      } else if (c == '\\' && i + 1 < unescaped.size()) {
        word += unescaped[++i];
      } else {
        word += c;
      }
    } else if (c == '"') {
      quoted = inWord = true;
    } else if (c == ' ') {
      if (inWord) argv.push_back(word);
      word.clear();
      inWord = false;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (inWord) argv.push_back(word);
  for (std::string& a : argv) {
    for (std::size_t p = a.find("%%"); p != std::string::npos; p = a.find("%%", p + 1)) {
      a.erase(p, 1);
    }
  }
  return argv;
}

// The value of KEY in the file as written, escapes kept; "-" when missing.
std::string lineValue(const std::string& file, const std::string& key) {
  const std::string text = readFile(file);
  const auto at = text.find("\n" + key + "=");
  if (at == std::string::npos) return "-";
  const auto start = at + key.size() + 2;
  return text.substr(start, text.find('\n', start) - start);
}
std::string execLine(const std::string& file) {
  return lineValue(file, "Exec");
}

// A string value with its escapes undone, as a launcher reads TryExec.
std::string unescapeString(const std::string& value) {
  std::string out;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '\\' && i + 1 < value.size()) {
      const char c = value[++i];
      out += c == 's' ? ' ' : c == 'n' ? '\n' : c == 't' ? '\t' : c == 'r' ? '\r' : c;
    } else {
      out += value[i];
    }
  }
  return out;
}

// Empty when the file validates or the validator is missing.
std::string validate(const std::string& file) {
  const std::string command = "desktop-file-validate '" + file + "' 2>&1";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return "cannot run desktop-file-validate";
  std::string out;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
  const int status = ::pclose(pipe);
  return status == 0 && out.empty() ? std::string()
                                    : out + " (status " + std::to_string(status) + ")";
}

TEST(DesktopAutostart, QuotesThePathByTheDesktopEntryRules) {
  // Every character special to the Exec quoting, and the string escapes.
  EXPECT_EQ(desktopExecFor("\"/opt/mi dir/a\"b$c`d\\e%f\""),
            "\"/opt/mi dir/a\\\\\"b\\\\$c\\\\`d\\\\\\\\e%%f\"");
  EXPECT_EQ(desktopExecFor("\"/opt/vodivuri\" --oculto"), "\"/opt/vodivuri\" \"--oculto\"");
  const std::vector<std::string> paths = {
      "/opt/mi dir/vodivuri", "/home/ana/100% \"real\"/$HOME/`id`/a\\b/vodivuri",
      "/tmp/tab\there/new\nline", "/ruta/con acentos/sesión", "/x/'single'&;|<>*?#()~"};
  for (const std::string& path : paths) {
    EXPECT_EQ(launcherArgv(desktopExecFor("\"" + path + "\"")), std::vector<std::string>{path})
        << path;
  }
  // An unquoted entry is a single path.
  EXPECT_EQ(launcherArgv(desktopExecFor("/opt/mi dir/vodivuri")),
            std::vector<std::string>{"/opt/mi dir/vodivuri"});
}

TEST(DesktopAutostart, WritesTheEntryAndHidesItWhenSwitchedOff) {
  TempFolder tmp;
  ScopedEnv config("XDG_CONFIG_HOME", tmp / "config");
  DesktopAutostart autostart;
  const std::string file = tmp / "config/autostart/vodivuri.desktop";
  EXPECT_EQ(autostart.path(), file);

  autostart.mirror("\"/opt/mi dir/vodivuri\"");
  const std::string shown =
      "[Desktop Entry]\n"
      "Type=Application\n"
      "Name=Vodivuri\n"
      "Comment=Apaga, reinicia o cierra la sesión a la hora programada\n"
      "Exec=\"/opt/mi dir/vodivuri\"\n"
      "TryExec=/opt/mi dir/vodivuri\n"
      "Icon=vodivuri\n"
      "X-GNOME-Autostart-enabled=true\n";
  EXPECT_EQ(readFile(file), shown);
  EXPECT_EQ(vodivuri::testing::modeOf(tmp / "config/autostart"), 0700u);

  // A new object switches off the entry another one wrote: Exec and TryExec stay.
  DesktopAutostart later(file);
  later.mirror("");
  EXPECT_EQ(readFile(file), shown + "Hidden=true\n");
  later.mirror("\"/usr/bin/vodivuri\" --simulate");
  EXPECT_EQ(readFile(file).find("Hidden"), std::string::npos);
  EXPECT_EQ(lineValue(file, "TryExec"), "/usr/bin/vodivuri");
  later.mirror("");
  EXPECT_EQ(lineValue(file, "TryExec"), "/usr/bin/vodivuri");

  // Off with no entry before it still gives a valid file, naming no program to try.
  DesktopAutostart fresh(tmp / "other/vodivuri.desktop");
  fresh.mirror("");
  EXPECT_EQ(execLine(tmp / "other/vodivuri.desktop"), "vodivuri");
  EXPECT_EQ(lineValue(tmp / "other/vodivuri.desktop", "TryExec"), "-");
}

TEST(DesktopAutostart, TryExecNamesTheProgramItself) {
  // The path alone, arguments left out, only the string escapes applied: a
  // launcher that reads it back finds the very file the entry starts.
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"\"/opt/mi dir/vodivuri\"", "/opt/mi dir/vodivuri"},
      {"\"/opt/vodivuri\" --simulate", "/opt/vodivuri"},
      {"/opt/mi dir/vodivuri", "/opt/mi dir/vodivuri"},
      {"\"/home/ana/100% \"x\"/$HOME/a\\b/tab\there/v\"",
       "/home/ana/100% \"x\"/$HOME/a\\b/tab\there/v"},
  };
  for (const auto& [command, path] : cases) {
    EXPECT_EQ(unescapeString(desktopTryExecFor(command)), path) << command;
    EXPECT_EQ(desktopTryExecFor(command).find_first_of("\n\t\r"), std::string::npos) << command;
  }
}

TEST(DesktopAutostart, WrittenFilesValidate) {
  if (std::system("command -v desktop-file-validate >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "desktop-file-validate is not installed (package desktop-file-utils)";
  }
  TempFolder tmp;
  const std::string file = tmp / "vodivuri.desktop";
  DesktopAutostart autostart(file);
  for (const std::string& path :
       {std::string("/opt/mi dir/vodivuri"), std::string("/home/ana/100% \"x\"/$HOME/a\\b/v")}) {
    autostart.mirror("\"" + path + "\"");
    EXPECT_EQ(validate(file), "") << path;
    EXPECT_EQ(launcherArgv(execLine(file)), std::vector<std::string>{path});
    EXPECT_EQ(unescapeString(lineValue(file, "TryExec")), path);
    autostart.mirror("");
    EXPECT_EQ(validate(file), "") << path;
  }
}

TEST(DesktopAutostart, AFailedWriteIsReportedOnce) {
  TempFolder tmp;
  vodivuri::testing::writeFile(tmp / "autostart", "not a folder");
  DesktopAutostart autostart(tmp / "autostart/vodivuri.desktop");
  ::testing::internal::CaptureStderr();
  autostart.mirror("\"/opt/vodivuri\"");
  autostart.mirror("");
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(vodivuri::testing::countLines(err), 1u) << err;
}

}  // namespace
}  // namespace vodivuri::platform::linux_os
