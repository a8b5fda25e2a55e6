#include "platform/linux/reg_format.hpp"

#include <array>
#include <optional>

namespace vodivuri::platform::linux_os {

namespace {

constexpr std::string_view kRegedit4 = "REGEDIT4";
constexpr std::string_view kRegedit5 = "Windows Registry Editor Version 5.00";
constexpr std::string_view kUserRoot = "HKEY_CURRENT_USER";

void appendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Unpaired surrogates become U+FFFD; false for an odd number of bytes.
bool utf16leToUtf8(std::string_view in, std::string& out) {
  if (in.size() % 2 != 0) return false;
  auto unit = [&](std::size_t i) {
    return static_cast<char32_t>(static_cast<unsigned char>(in[i]) |
                                 (static_cast<unsigned char>(in[i + 1]) << 8));
  };
  for (std::size_t i = 0; i < in.size(); i += 2) {
    char32_t u = unit(i);
    if (u >= 0xD800 && u < 0xDC00 && i + 3 < in.size()) {
      const char32_t low = unit(i + 2);
      if (low >= 0xDC00 && low < 0xE000) {
        appendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
        i += 2;
        continue;
      }
    }
    if (u >= 0xD800 && u < 0xE000) u = 0xFFFD;
    appendUtf8(out, u);
  }
  return true;
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// 1 to 8 hex digits, nothing else.
std::optional<std::uint32_t> parseHex32(std::string_view s) {
  if (s.empty() || s.size() > 8) return std::nullopt;
  std::uint32_t v = 0;
  for (char c : s) {
    const int d = hexDigit(c);
    if (d < 0) return std::nullopt;
    v = (v << 4) | static_cast<std::uint32_t>(d);
  }
  return v;
}

bool startsWithNoCase(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && TreeRegistry::fold(std::string(s.substr(0, prefix.size()))) ==
                                          TreeRegistry::fold(std::string(prefix));
}

// A quoted text starting at s[pos]; only \\ and \" are escapes, as regedit writes them.
std::string parseQuoted(std::string_view s, std::size_t& pos, std::string& out) {
  ++pos;  // the opening quote
  for (; pos < s.size(); ++pos) {
    const char c = s[pos];
    if (c == '"') {
      ++pos;
      return {};
    }
    if (c == '\\') {
      if (pos + 1 >= s.size() || (s[pos + 1] != '\\' && s[pos + 1] != '"')) return "bad escape";
      out += s[++pos];
    } else {
      out += c;
    }
  }
  return "text without its closing quote";
}

std::string parseHexList(std::string_view s, std::vector<std::uint8_t>& out) {
  s = trim(s);
  if (s.empty()) return {};
  for (;;) {
    const auto comma = s.find(',');
    const std::string_view token = trim(s.substr(0, comma));
    const auto byte = token.size() <= 2 ? parseHex32(token) : std::nullopt;
    if (!byte) return "bad hex byte";
    out.push_back(static_cast<std::uint8_t>(*byte));
    if (comma == std::string_view::npos) return {};
    s.remove_prefix(comma + 1);
  }
}

std::string parseValue(std::string_view line, RegistryValue& value) {
  std::size_t pos = 0;
  if (line[0] == '@') {
    pos = 1;  // the key's default value
  } else if (std::string error = parseQuoted(line, pos, value.name); !error.empty()) {
    return error;
  }
  const std::string_view afterName = trim(line.substr(pos));
  if (afterName.empty() || afterName[0] != '=') return "value without '='";
  const std::string_view data = trim(afterName.substr(1));

  if (!data.empty() && data[0] == '"') {
    std::size_t at = 0;
    std::string text;
    if (std::string error = parseQuoted(data, at, text); !error.empty()) return error;
    if (at != data.size()) return "text after the closing quote";
    value.type = kRegSz;
    value.data = textBytes(text);
    return {};
  }
  if (startsWithNoCase(data, "dword:")) {
    const auto number = parseHex32(trim(data.substr(6)));
    if (!number) return "bad dword";
    value.type = kRegDword;
    for (int i = 0; i < 4; ++i) value.data.push_back(static_cast<std::uint8_t>(*number >> (8 * i)));
    return {};
  }
  std::string_view bytes;
  if (startsWithNoCase(data, "hex:")) {
    value.type = kRegBinary;
    bytes = data.substr(4);
  } else if (startsWithNoCase(data, "hex(")) {
    const auto close = data.find("):");
    const auto type =
        close == std::string_view::npos ? std::nullopt : parseHex32(data.substr(4, close - 4));
    if (!type) return "bad hex type";
    value.type = *type;
    bytes = data.substr(close + 2);
  } else if (data == "-") {
    return "deleting values is not supported";
  } else {
    return "unknown value data";
  }
  return parseHexList(bytes, value.data);
}

bool validPath(std::string_view path) {
  if (path.empty() || path.front() == '\\' || path.back() == '\\') return false;
  return path.find("\\\\") == std::string_view::npos;
}

std::vector<std::string> splitLines(std::string_view text) {
  std::vector<std::string> lines;
  while (!text.empty()) {
    const auto nl = text.find('\n');
    std::string_view line = text.substr(0, nl);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    // An ANSI export: the accents of Windows-1252 become UTF-8.
    lines.push_back(isValidUtf8(line) ? std::string(line) : cp1252ToUtf8(line));
    if (nl == std::string_view::npos) break;
    text.remove_prefix(nl + 1);
  }
  return lines;
}

}  // namespace

bool isValidUtf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto c = static_cast<unsigned char>(text[i]);
    std::size_t extra = 0;
    char32_t cp = 0;
    if (c < 0x80) {
      ++i;
      continue;
    } else if (c >= 0xC2 && c <= 0xDF) {
      extra = 1;
      cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      extra = 2;
      cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      extra = 3;
      cp = c & 0x07;
    } else {
      return false;
    }
    if (i + extra >= text.size()) return false;
    for (std::size_t k = 1; k <= extra; ++k) {
      const auto cc = static_cast<unsigned char>(text[i + k]);
      if ((cc & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (cc & 0x3F);
    }
    // Overlong forms, surrogates and code points past U+10FFFF.
    if ((extra == 2 && cp < 0x800) || (extra == 3 && cp < 0x10000) || cp > 0x10FFFF ||
        (cp >= 0xD800 && cp < 0xE000)) {
      return false;
    }
    i += extra + 1;
  }
  return true;
}

std::string cp1252ToUtf8(std::string_view text) {
  // 0x80..0x9F; the five unassigned bytes map to the C1 controls, as Windows does.
  static constexpr std::array<char16_t, 32> kHigh = {
      0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
  std::string out;
  out.reserve(text.size() + text.size() / 2);
  for (char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    appendUtf8(out, c >= 0x80 && c < 0xA0 ? kHigh[c - 0x80] : c);
  }
  return out;
}

RegFileContents parseRegFile(std::string_view bytes) {
  RegFileContents result;
  std::string text;
  if (bytes.starts_with("\xFF\xFE")) {
    if (!utf16leToUtf8(bytes.substr(2), text)) {
      result.error = "UTF-16 text of an odd length";
      return result;
    }
  } else {
    if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
    text.assign(bytes);
  }
  const std::vector<std::string> lines = splitLines(text);
  auto fail = [&](std::size_t index, std::string error) {
    result.keys.clear();
    result.error = std::move(error);
    result.errorLine = index + 1;
    return result;
  };
  if (lines.empty() || (trim(lines[0]) != kRegedit4 && trim(lines[0]) != kRegedit5)) {
    return fail(0, "not a registry file");
  }

  enum class Section { None, User, Skipped } section = Section::None;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::size_t first = i;
    std::string line(trim(lines[i]));
    if (line.empty() || line[0] == ';') continue;

    if (line[0] == '[') {
      if (line.back() != ']' || line.size() < 3) return fail(i, "bad key header");
      const std::string_view inner = std::string_view(line).substr(1, line.size() - 2);
      if (inner[0] == '-') return fail(i, "deleting keys is not supported");
      const auto slash = inner.find('\\');
      const std::string_view root = inner.substr(0, slash);
      if (root.empty()) return fail(i, "key header without a root");
      if (TreeRegistry::fold(std::string(root)) != TreeRegistry::fold(std::string(kUserRoot)) ||
          slash == std::string_view::npos) {
        // Other roots, and values on the root itself, are not kept.
        section = Section::Skipped;
        continue;
      }
      const std::string_view path = inner.substr(slash + 1);
      if (!validPath(path)) return fail(i, "bad key path");
      section = Section::User;
      result.keys.push_back(RegFileKey{std::string(path), {}});
      continue;
    }

    if (line[0] != '"' && line[0] != '@') return fail(i, "unrecognised line");
    // Long hex data goes on over lines that end with a backslash.
    while (line.back() == '\\') {
      if (++i >= lines.size()) return fail(first, "continued past the end of the file");
      line.pop_back();
      line += trim(lines[i]);
      if (line.empty()) break;
    }
    if (section == Section::None) return fail(first, "value before any key");
    RegistryValue value;
    if (std::string error = parseValue(line, value); !error.empty()) return fail(first, error);
    if (section == Section::User) result.keys.back().values.push_back(std::move(value));
  }
  return result;
}

void applyRegFile(const RegFileContents& contents, TreeRegistry& registry, RegistryRoot root) {
  RegistryHive& hive = registry.hive(root);
  for (const RegFileKey& key : contents.keys) {
    // The key and every key above it, even when they hold no values.
    for (std::size_t pos = key.path.find('\\');; pos = key.path.find('\\', pos + 1)) {
      const std::string prefix = key.path.substr(0, pos);
      hive.try_emplace(TreeRegistry::fold(prefix), RegistryKeyData{prefix, {}});
      if (pos == std::string::npos) break;
    }
    for (const RegistryValue& v : key.values) registry.put(root, key.path, v.name, v.type, v.data);
  }
}

namespace {

bool writableName(const std::string& name) {
  return isValidUtf8(name) &&
         name.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos;
}

std::string quoted(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out + '"';
}

std::string hexNumber(std::uint32_t v, int minDigits) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  do {
    out.insert(out.begin(), kDigits[v & 0xF]);
    v >>= 4;
  } while (v != 0);
  while (static_cast<int>(out.size()) < minDigits) out.insert(out.begin(), '0');
  return out;
}

// Text that reads back to the same bytes from a quoted string.
bool plainText(const std::vector<std::uint8_t>& data) {
  if (data.empty() || data.back() != 0) return false;
  const std::string_view text(reinterpret_cast<const char*>(data.data()), data.size() - 1);
  return writableName(std::string(text));
}

std::string formatData(const RegistryValue& v) {
  if (v.type == kRegSz && plainText(v.data)) {
    return quoted(std::string(v.data.begin(), v.data.end() - 1));
  }
  if (v.type == kRegDword && v.data.size() == 4) {
    const std::uint32_t n = v.data[0] | (v.data[1] << 8) | (v.data[2] << 16) |
                            (static_cast<std::uint32_t>(v.data[3]) << 24);
    return "dword:" + hexNumber(n, 8);
  }
  // Anything else keeps its exact bytes.
  std::string out = v.type == kRegBinary ? "hex:" : "hex(" + hexNumber(v.type, 1) + "):";
  for (std::size_t i = 0; i < v.data.size(); ++i) {
    if (i > 0) out += ',';
    out += hexNumber(v.data[i], 2);
  }
  return out;
}

}  // namespace

std::string formatRegFile(const RegistryHive& hive, std::size_t* skipped) {
  std::size_t left = 0;
  std::string out = std::string(kRegedit4) + "\n\n";
  for (const auto& [folded, key] : hive) {
    if (!writableName(key.path) || !validPath(key.path)) {
      ++left;
      continue;
    }
    out += "[" + std::string(kUserRoot) + "\\" + key.path + "]\n";
    for (const RegistryValue& v : key.values) {
      if (!writableName(v.name)) {
        ++left;
        continue;
      }
      out += (v.name.empty() ? std::string("@") : quoted(v.name)) + "=" + formatData(v) + "\n";
    }
    out += "\n";
  }
  if (skipped) *skipped = left;
  return out;
}

}  // namespace vodivuri::platform::linux_os
