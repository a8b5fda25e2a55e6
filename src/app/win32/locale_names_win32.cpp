#include "app/win32/locale_names_win32.hpp"

#include <windows.h>

#include <optional>
#include <string>

#include "platform/win32/codepage.hpp"
#include "toolkit/dates.hpp"

namespace vodivuri::app::win32 {

namespace {

// One name in lower case, as Spanish writes it inside a date; empty on failure.
std::string localeName(LCTYPE what) {
  char buffer[80] = {};
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, what, buffer, sizeof buffer) <= 1) return {};
  CharLowerA(buffer);
  return platform::win32::ansiToUtf8(buffer);
}

std::optional<toolkit::DateNames> spanishLocaleNames() {
  if (PRIMARYLANGID(GetUserDefaultLangID()) != LANG_SPANISH) return std::nullopt;
  toolkit::DateNames names;
  for (int d = 0; d < 7; ++d) {  // LOCALE_SDAYNAME1 is Monday
    names.weekdays[static_cast<std::size_t>(d)] = localeName(LOCALE_SDAYNAME1 + d);
    if (names.weekdays[static_cast<std::size_t>(d)].empty()) return std::nullopt;
  }
  for (int m = 0; m < 12; ++m) {
    names.months[static_cast<std::size_t>(m)] = localeName(LOCALE_SMONTHNAME1 + m);
    if (names.months[static_cast<std::size_t>(m)].empty()) return std::nullopt;
  }
  return names;
}

}  // namespace

void useLocaleDateNames() {
  const auto names = spanishLocaleNames();
  toolkit::setLocaleDateNames(names ? *names : toolkit::spanishDateNames());
}

}  // namespace vodivuri::app::win32
