#include "toolkit/dates.hpp"

#include <charconv>
#include <cstdlib>

namespace vodivuri::toolkit {

bool isLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month) {
  static constexpr std::array<int, 12> kDays{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && isLeapYear(year) ? 29 : kDays[static_cast<std::size_t>(month - 1)];
}

bool isValidDate(const Date& d) {
  return d.year >= kFirstYear && d.year <= kLastYear && d.month >= 1 && d.month <= 12 &&
         d.day >= 1 && d.day <= daysInMonth(d.year, d.month);
}

// Howard Hinnant's days_from_civil / civil_from_days.
std::int64_t toDayNumber(const Date& d) {
  const std::int64_t y = d.year - (d.month <= 2 ? 1 : 0);
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t mp = (d.month + 9) % 12;
  const std::int64_t doy = (153 * mp + 2) / 5 + d.day - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

Date fromDayNumber(std::int64_t z) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  const int year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
  return Date{year, month, day};
}

int isoWeekday(const Date& d) {
  // 1970-01-01 was a Thursday (4).
  const std::int64_t days = toDayNumber(d);
  const std::int64_t w = ((days % 7) + 7 + 3) % 7;  // 0 = Monday
  return static_cast<int>(w) + 1;
}

std::optional<Date> addMonths(const Date& d, int months) {
  const long total = static_cast<long>(d.year) * 12 + (d.month - 1) + months;
  const int year = static_cast<int>(total / 12);
  const int month = static_cast<int>(total % 12) + 1;
  if (total < 0 || year < kFirstYear || year > kLastYear) return std::nullopt;
  const int last = daysInMonth(year, month);
  return Date{year, month, d.day > last ? last : d.day};
}

std::optional<Date> addYears(const Date& d, int years) {
  return addMonths(d, years * 12);
}

Date addDays(const Date& d, int days) {
  return fromDayNumber(toDayNumber(d) + days);
}

const DateNames& spanishDateNames() {
  static const DateNames names{
      {"lunes", "martes", "miércoles", "jueves", "viernes", "sábado", "domingo"},
      {"enero", "febrero", "marzo", "abril", "mayo", "junio", "julio", "agosto", "septiembre",
       "octubre", "noviembre", "diciembre"}};
  return names;
}

namespace {
DateNames& localeNames() {
  static DateNames names = spanishDateNames();
  return names;
}
}  // namespace

const DateNames& localeDateNames() {
  return localeNames();
}
void setLocaleDateNames(const DateNames& names) {
  localeNames() = names;
}

namespace {

std::string pad(long value, std::size_t width) {
  std::string digits = std::to_string(value < 0 ? -value : value);
  if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
  return value < 0 ? "-" + digits : digits;
}

// First `count` characters of a UTF-8 text, counted as characters.
std::string utf8Prefix(const std::string& text, std::size_t count) {
  std::size_t i = 0;
  while (i < text.size() && count > 0) {
    ++i;
    while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) ++i;
    --count;
  }
  return text.substr(0, i);
}

}  // namespace

std::string formatDateTime(const DateTime& when, std::string_view pattern, const DateNames& names) {
  std::string out;
  bool afterHour = false;
  std::size_t i = 0;
  while (i < pattern.size()) {
    const char c = pattern[i];
    if (c == '\\') {
      if (i + 1 < pattern.size()) out += pattern[i + 1];
      i += 2;
      continue;
    }
    const char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    if (lower != 'd' && lower != 'm' && lower != 'y' && lower != 'h' && lower != 'n' &&
        lower != 's') {
      out += c;
      ++i;
      continue;
    }
    std::size_t run = 1;
    while (i + run < pattern.size()) {
      char n = pattern[i + run];
      if (n >= 'A' && n <= 'Z') n = static_cast<char>(n - 'A' + 'a');
      if (n != lower) break;
      ++run;
    }
    i += run;
    const Date& d = when.date;
    const std::size_t weekday = static_cast<std::size_t>(isoWeekday(d) - 1);
    const std::size_t month = static_cast<std::size_t>(d.month - 1);
    switch (lower) {
      case 'd':
        if (run == 1)
          out += std::to_string(d.day);
        else if (run == 2)
          out += pad(d.day, 2);
        else if (run == 3)
          out += utf8Prefix(names.weekdays[weekday], 3);
        else
          out += names.weekdays[weekday];
        afterHour = false;
        break;
      case 'm':
        if (afterHour && run <= 2) {
          out += run == 1 ? std::to_string(when.minute) : pad(when.minute, 2);
        } else if (run == 1) {
          out += std::to_string(d.month);
        } else if (run == 2) {
          out += pad(d.month, 2);
        } else if (run == 3) {
          out += utf8Prefix(names.months[month], 3);
        } else {
          out += names.months[month];
        }
        afterHour = false;
        break;
      case 'y':
        out += run <= 2 ? pad(d.year % 100, 2) : std::to_string(d.year);
        afterHour = false;
        break;
      case 'h':
        out += run == 1 ? std::to_string(when.hour) : pad(when.hour, 2);
        afterHour = true;
        break;
      case 'n':
        out += run == 1 ? std::to_string(when.minute) : pad(when.minute, 2);
        afterHour = false;
        break;
      case 's':
        out += run == 1 ? std::to_string(when.second) : pad(when.second, 2);
        afterHour = false;
        break;
    }
  }
  return out;
}

std::string formatDate(const Date& date, std::string_view pattern, const DateNames& names) {
  return formatDateTime(DateTime{date, 0, 0, 0}, pattern, names);
}

std::string formatNumber(long value, std::string_view zeros) {
  return pad(value, zeros.size());
}

std::optional<Date> parseDayMonthYear(std::string_view text) {
  if (text.size() != 10 || text[2] != '/' || text[5] != '/') return std::nullopt;
  auto digits = [&](std::size_t from, std::size_t count) -> std::optional<int> {
    int v = 0;
    for (std::size_t k = from; k < from + count; ++k) {
      if (text[k] < '0' || text[k] > '9') return std::nullopt;
      v = v * 10 + (text[k] - '0');
    }
    return v;
  };
  const auto day = digits(0, 2), month = digits(3, 2), year = digits(6, 4);
  if (!day || !month || !year) return std::nullopt;
  const Date d{*year, *month, *day};
  if (!isValidDate(d)) return std::nullopt;
  return d;
}

namespace {
std::string_view trim(std::string_view t) {
  while (!t.empty() && (t.front() == ' ' || t.front() == '\t')) t.remove_prefix(1);
  while (!t.empty() && (t.back() == ' ' || t.back() == '\t')) t.remove_suffix(1);
  return t;
}
}  // namespace

std::optional<long> parseInteger(std::string_view text) {
  text = trim(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  long v = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return v;
}

std::optional<double> parseNumber(std::string_view text) {
  text = trim(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  double v = 0;
  const auto [end, ec] =
      std::from_chars(text.data(), text.data() + text.size(), v, std::chars_format::fixed);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return v;
}

}  // namespace vodivuri::toolkit
