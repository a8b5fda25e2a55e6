// Calendar dates and times of day, the formatting patterns the windows use, and
// month/year arithmetic.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vodivuri::toolkit {

struct Date {
  int year = 0;
  int month = 0;  // 1..12
  int day = 0;    // 1..31
  friend bool operator==(const Date&, const Date&) = default;
  friend auto operator<=>(const Date&, const Date&) = default;
};

struct DateTime {
  Date date;
  int hour = 0;  // 0..23
  int minute = 0;
  int second = 0;
  friend bool operator==(const DateTime&, const DateTime&) = default;
  friend auto operator<=>(const DateTime&, const DateTime&) = default;
};

// The years a date may have; steps that would leave them do nothing.
inline constexpr int kFirstYear = 100;
inline constexpr int kLastYear = 9999;

bool isLeapYear(int year);
int daysInMonth(int year, int month);
bool isValidDate(const Date& d);
// Days since 1970-01-01 (proleptic Gregorian), and back.
std::int64_t toDayNumber(const Date& d);
Date fromDayNumber(std::int64_t days);
// Monday = 1 .. Sunday = 7.
int isoWeekday(const Date& d);
// Whole-month and whole-year steps that keep the day of the month, or take the
// last day of a shorter target month; empty when the result leaves the years
// a date may have.
std::optional<Date> addMonths(const Date& d, int months);
std::optional<Date> addYears(const Date& d, int years);
Date addDays(const Date& d, int days);

// Weekday and month names for "dddd" and "mmmm".
struct DateNames {
  std::array<std::string, 7> weekdays;  // Monday first
  std::array<std::string, 12> months;   // January first
};
// Built-in Spanish names, used when the user's locale offers none in Spanish.
const DateNames& spanishDateNames();
// The names of the user's locale, when it is Spanish; the built-in ones otherwise.
const DateNames& localeDateNames();
void setLocaleDateNames(const DateNames& names);

// Formats by a pattern of "d", "dd", "dddd", "m", "mm", "mmmm", "yy", "yyyy",
// "h", "hh", "n", "nn", "s", "ss" and backslash literals. "m"/"mm" right after
// an hour token (separators in between allowed) means minutes.
std::string formatDateTime(const DateTime& when, std::string_view pattern,
                           const DateNames& names = localeDateNames());
std::string formatDate(const Date& date, std::string_view pattern,
                       const DateNames& names = localeDateNames());

// A number by a pattern of zeros: "00" gives at least two digits (7 -> "07").
std::string formatNumber(long value, std::string_view zeros);

// Strictly "dd/mm/yyyy" forming a real date; anything else is empty.
std::optional<Date> parseDayMonthYear(std::string_view text);
// A decimal integer with an optional sign and surrounding blanks.
std::optional<long> parseInteger(std::string_view text);
// A decimal number ("4770", "4770.5", "-15"); empty when it is not one.
std::optional<double> parseNumber(std::string_view text);

}  // namespace vodivuri::toolkit
