#include "toolkit/dates.hpp"

#include <gtest/gtest.h>

namespace vodivuri::toolkit {
namespace {

const DateTime kMorning{{2026, 12, 7}, 9, 5, 7};

TEST(DateFormat, PatternsOfTheProgram) {
  EXPECT_EQ(formatDateTime(kMorning, "dd/mm/yyyy"), "07/12/2026");
  EXPECT_EQ(formatDateTime(kMorning, "hh:mm"), "09:05");
  EXPECT_EQ(formatDateTime(kMorning, "hh : mm :ss"), "09 : 05 :07");
  EXPECT_EQ(formatDateTime(kMorning, "dddd, d \\d\\e mmmm \\d\\e yyyy"),
            "lunes, 7 de diciembre de 2026");
  // "\de" reads as "de" too.
  EXPECT_EQ(formatDateTime(kMorning, "dddd, d \\d\\e mmmm \\de yyyy"),
            "lunes, 7 de diciembre de 2026");
  EXPECT_EQ(formatDate({2004, 11, 5}, "dddd, d \\d\\e mmmm \\d\\e yyyy"),
            "viernes, 5 de noviembre de 2004");
  EXPECT_EQ(formatDate({2026, 9, 1}, "mmmm"), "septiembre");
  EXPECT_EQ(formatDate({2026, 9, 1}, "mm"), "09");
  EXPECT_EQ(formatDate({2026, 9, 1}, "yyyy"), "2026");
  EXPECT_EQ(formatDateTime({{2026, 1, 1}, 23, 59, 0}, "hh:mm"), "23:59");
}

TEST(DateFormat, MonthAfterADateTokenIsAMonth) {
  EXPECT_EQ(formatDateTime({{2026, 3, 4}, 10, 45, 0}, "hh dd mm"), "10 04 03");
  EXPECT_EQ(formatDateTime({{2026, 3, 4}, 10, 45, 0}, "hh:mm dd/mm"), "10:45 04/03");
}

TEST(DateFormat, NumbersWithZeros) {
  EXPECT_EQ(formatNumber(7, "00"), "07");
  EXPECT_EQ(formatNumber(23, "00"), "23");
  EXPECT_EQ(formatNumber(123, "00"), "123");
  EXPECT_EQ(formatNumber(0, "00"), "00");
}

TEST(DateArithmetic, MonthStepsTakeTheLastDayOfAShorterMonth) {
  EXPECT_EQ(addMonths({2025, 1, 31}, 1), (Date{2025, 2, 28}));
  EXPECT_EQ(addMonths({2024, 1, 31}, 1), (Date{2024, 2, 29}));
  EXPECT_EQ(addMonths({2026, 1, 15}, -1), (Date{2025, 12, 15}));
  EXPECT_EQ(addMonths({2026, 12, 31}, 1), (Date{2027, 1, 31}));
  EXPECT_EQ(addYears({2024, 2, 29}, 1), (Date{2025, 2, 28}));
  EXPECT_EQ(addYears({kLastYear, 12, 1}, 1), std::nullopt);
  EXPECT_EQ(addMonths({kFirstYear, 1, 1}, -1), std::nullopt);
}

TEST(DateArithmetic, WeekdaysAndMonthLengths) {
  EXPECT_EQ(isoWeekday({2026, 12, 7}), 1);  // Monday
  EXPECT_EQ(isoWeekday({2026, 2, 1}), 7);   // Sunday
  EXPECT_EQ(isoWeekday({1970, 1, 1}), 4);
  EXPECT_EQ(isoWeekday({100, 1, 1}), 5);  // proleptic Gregorian Friday
  EXPECT_EQ(daysInMonth(2024, 2), 29);
  EXPECT_EQ(daysInMonth(2023, 2), 28);
  EXPECT_EQ(daysInMonth(1900, 2), 28);
  EXPECT_EQ(daysInMonth(2000, 2), 29);
  EXPECT_EQ(fromDayNumber(toDayNumber({2026, 12, 7})), (Date{2026, 12, 7}));
  EXPECT_EQ(addDays({2026, 12, 31}, 1), (Date{2027, 1, 1}));
}

TEST(DateParse, OnlyExactRealDates) {
  EXPECT_EQ(parseDayMonthYear("07/02/2025"), (Date{2025, 2, 7}));
  EXPECT_EQ(parseDayMonthYear("29/02/2023"), std::nullopt);
  EXPECT_EQ(parseDayMonthYear("7/02/2025"), std::nullopt);
  EXPECT_EQ(parseDayMonthYear("07-02-2025"), std::nullopt);
  EXPECT_EQ(parseDayMonthYear("aa/02/2025"), std::nullopt);
  EXPECT_EQ(parseDayMonthYear(""), std::nullopt);
  EXPECT_EQ(parseNumber("4770"), 4770.0);
  EXPECT_EQ(parseNumber("-15.5"), -15.5);
  EXPECT_EQ(parseNumber("12abc"), std::nullopt);
  EXPECT_EQ(parseNumber(""), std::nullopt);
  EXPECT_EQ(parseInteger(" 7 "), 7);
  EXPECT_EQ(parseInteger("x"), std::nullopt);
}

}  // namespace
}  // namespace vodivuri::toolkit
