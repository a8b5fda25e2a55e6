#include "platform/win32/codepage.hpp"

#include <windows.h>

#include <bitset>
#include <cstdint>
#include <cstring>

// UTF-8 and UTF-16 are converted here, not by the system: Windows 95 knows no
// CP_UTF8. The system converts between UTF-16 and its code pages, one
// character at a time into fixed buffers, so nothing is sized by the input.

namespace vodivuri::platform::win32 {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// One UTF-8 sequence at `pos`: its code point and length, or length 0 when the
// bytes there are not well-formed UTF-8 (overlong forms and surrogates included).
std::pair<char32_t, std::size_t> decode(std::string_view s, std::size_t pos) {
  const auto b0 = static_cast<unsigned char>(s[pos]);
  std::size_t len;
  char32_t c;
  char32_t min;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    len = 2, c = b0 & 0x1F, min = 0x80;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    len = 3, c = b0 & 0x0F, min = 0x800;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    len = 4, c = b0 & 0x07, min = 0x10000;
  } else {
    return {0, 0};
  }
  if (pos + len > s.size()) return {0, 0};
  for (std::size_t i = 1; i < len; ++i) {
    const auto b = static_cast<unsigned char>(s[pos + i]);
    if ((b & 0xC0) != 0x80) return {0, 0};
    c = (c << 6) | (b & 0x3F);
  }
  if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return {0, 0};
  return {c, len};
}

// A code point as UTF-16: one unit, or a surrogate pair beyond the BMP.
int toUtf16(char32_t c, WCHAR (&units)[2]) {
  if (c < 0x10000) {
    units[0] = static_cast<WCHAR>(c);
    return 1;
  }
  c -= 0x10000;
  units[0] = static_cast<WCHAR>(0xD800 + (c >> 10));
  units[1] = static_cast<WCHAR>(0xDC00 + (c & 0x3FF));
  return 2;
}

// One character in the code page, or '?'. The system's own conversion maps a
// character it lacks to a look-alike ("ñ" as "n" under 1251) or to its default
// character, and Windows 95 knows no WC_NO_BEST_FIT_CHARS: only bytes that
// read back as the same character are that character.
void appendInCodePage(std::string& out, const WCHAR* units, int count, UINT codePage) {
  char bytes[8];
  const int n =
      WideCharToMultiByte(codePage, 0, units, count, bytes, sizeof bytes, nullptr, nullptr);
  WCHAR back[4];
  const int m = n > 0 ? MultiByteToWideChar(codePage, 0, bytes, n, back, 4) : 0;
  if (m != count ||
      std::memcmp(back, units, sizeof(WCHAR) * static_cast<std::size_t>(count)) != 0) {
    out += '?';
    return;
  }
  out.append(bytes, static_cast<std::size_t>(n));
}

// The bytes that start a double-byte character in the code page (none in
// the single-byte ones).
std::bitset<256> leadBytes(UINT codePage) {
  std::bitset<256> lead;
  CPINFO info{};
  if (!GetCPInfo(codePage, &info) || info.MaxCharSize < 2) return lead;
  for (int i = 0; i + 1 < MAX_LEADBYTES && info.LeadByte[i] != 0; i += 2) {
    for (int b = info.LeadByte[i]; b <= info.LeadByte[i + 1]; ++b) lead.set(b);
  }
  return lead;
}

}  // namespace

std::string utf8ToCodePage(std::string_view utf8, unsigned codePage) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t pos = 0; pos < utf8.size();) {
    const auto b = static_cast<unsigned char>(utf8[pos]);
    if (b < 0x80) {
      out += utf8[pos++];  // ASCII is the same in every ANSI code page
      continue;
    }
    const auto [c, len] = decode(utf8, pos);
    if (len == 0) {
      out += utf8[pos++];  // not UTF-8: already an ANSI byte
      continue;
    }
    WCHAR units[2];
    appendInCodePage(out, units, toUtf16(c, units), codePage);
    pos += len;
  }
  return out;
}

std::string codePageToUtf8(std::string_view bytes, unsigned codePage) {
  const std::bitset<256> lead = leadBytes(codePage);
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 8);
  for (std::size_t pos = 0; pos < bytes.size();) {
    const auto b = static_cast<unsigned char>(bytes[pos]);
    if (b < 0x80) {
      out += bytes[pos++];
      continue;
    }
    // A lead byte takes the next byte with it, whatever that is (a trail byte
    // may look like ASCII); alone at the end it is read alone.
    const int len = lead.test(b) && pos + 1 < bytes.size() ? 2 : 1;
    WCHAR units[4];
    const int n = MultiByteToWideChar(codePage, 0, bytes.data() + pos, len, units, 4);
    pos += static_cast<std::size_t>(len);
    if (n <= 0) {
      appendUtf8(out, kReplacement);
      continue;
    }
    for (int i = 0; i < n; ++i) {
      const char32_t u = units[i];
      if (u >= 0xD800 && u <= 0xDBFF && i + 1 < n && units[i + 1] >= 0xDC00 &&
          units[i + 1] <= 0xDFFF) {
        appendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (units[i + 1] - 0xDC00));
        ++i;
      } else if (u >= 0xD800 && u <= 0xDFFF) {
        appendUtf8(out, kReplacement);
      } else {
        appendUtf8(out, u);
      }
    }
  }
  return out;
}

std::string ansiPrefix(std::string_view ansi, std::size_t maxBytes, unsigned codePage) {
  const std::bitset<256> lead = leadBytes(codePage);
  std::size_t end = 0;
  while (end < ansi.size()) {
    const std::size_t next = end + (lead.test(static_cast<unsigned char>(ansi[end])) ? 2 : 1);
    if (next > maxBytes || next > ansi.size()) break;
    end = next;
  }
  return std::string(ansi.substr(0, end));
}

std::string utf8ToAnsi(std::string_view utf8) {
  return utf8ToCodePage(utf8, CP_ACP);
}

std::string ansiToUtf8(std::string_view ansi) {
  return codePageToUtf8(ansi, CP_ACP);
}

}  // namespace vodivuri::platform::win32
