// The calendar from the keyboard, and what a screen reader is told of it.
#include "fixture.hpp"

namespace vodivuri::calendar::testing {
namespace {

using toolkit::Key;
using toolkit::KeyPress;

class CalendarKeys : public CalendarTest {
 protected:
  bool press(Key k, bool ctrl = false) { return calen.userKey(KeyPress{k, false, ctrl}); }
  // The day the focused cell shows, or 0.
  int focusedDay() {
    for (int k = 1; k <= 42; ++k) {
      if (calen.focus() == &calen.LabelDay(k)) {
        return std::stoi("0" + calen.LabelDay(k).caption());
      }
    }
    return 0;
  }
};

TEST_F(CalendarKeys, TheFocusOpensOnTheShownDayAndArrowsWalkDaysAndWeeks) {
  openAt({2026, 12, 7}, [&] {
    EXPECT_EQ(focusedDay(), 7);
    press(Key::Right);
    press(Key::Down);
    EXPECT_EQ(focusedDay(), 15);
    press(Key::Up);
    press(Key::Up);
    press(Key::Left);
    EXPECT_EQ(focusedDay(), 0 + 30) << "back into November";
    EXPECT_EQ(header(), "Noviembre 2026 (11)");
    EXPECT_EQ(calen.ShownDate, (Date{2026, 11, 30}));
    press(Key::Right);
    EXPECT_EQ(header(), "Diciembre 2026 (12)");
    EXPECT_EQ(markedCells().size(), 1U) << "today's mark is back with today's month";
  });
  EXPECT_FALSE(writtenAnything());
  EXPECT_EQ(state.CalendarDate, (Date{2026, 12, 1})) << "the next opening starts where it was left";
}

TEST_F(CalendarKeys, PagesTurnMonthsWithCtrlYearsAndHomeEndGoToTheMonthsEnds) {
  openAt({2027, 1, 31}, [&] {
    press(Key::PageDown);
    EXPECT_EQ(calen.ShownDate, (Date{2027, 2, 28}));
    EXPECT_EQ(focusedDay(), 28);
    press(Key::PageUp, true);
    EXPECT_EQ(calen.ShownDate, (Date{2026, 2, 28}));
    press(Key::Home);
    EXPECT_EQ(focusedDay(), 1);
    press(Key::End);
    EXPECT_EQ(focusedDay(), 28);
    press(Key::PageUp);
    EXPECT_EQ(header(), "Enero 2026 (01)");
  });
}

TEST_F(CalendarKeys, ReturnPicksTheFocusedDayAndTabReachesTheRest) {
  openAt({2026, 12, 7}, [&] {
    std::vector<std::string> walk;
    for (int i = 0; i < 5; ++i) {
      press(Key::Tab);
      walk.push_back(calen.focus()->name());
    }
    EXPECT_EQ(walk,
              (std::vector<std::string>{"LabelMonth", "LabelYear", "LabelDate", "cmdCerrar",
                                        "LabelDay(8)"}));  // December 2026 starts on a Tuesday
    press(Key::Tab);
    press(Key::Return);  // LabelMonth shows the month arrows, which join the way
    press(Key::Tab);
    EXPECT_EQ(calen.focus(), &calen.cmdMesAdelante);
    press(Key::Space);
    EXPECT_EQ(header(), "Enero 2027 (01)");
    for (int i = 0; i < 5; ++i) press(Key::Tab);
    ASSERT_EQ(calen.focus()->name().rfind("LabelDay(", 0), 0U);
    press(Key::Right);
    EXPECT_TRUE(press(Key::Return));
    EXPECT_FALSE(calen.loaded());
  });
  EXPECT_EQ(registry.text(RegistryRoot::CurrentUser, engine::kSettingsKey, "FechaProgramada"),
            "08/01/2027");
  EXPECT_EQ(main.lblCalen.caption(), "viernes, 8 de enero de 2027");
}

TEST_F(CalendarKeys, CellsAreNamedByTheirDateAndSayTodayAndTheChosenDate) {
  state.ScheduledDateText = "24/12/2026";
  openAt({2026, 12, 1}, [&] {
    const toolkit::Label& today = calen.LabelDay(calen.FirstWeekday + 6);
    EXPECT_EQ(today.accessibleName(), "lunes, 7 de diciembre de 2026");
    EXPECT_EQ(today.accessibleDescription(), "hoy");
    EXPECT_EQ(calen.LabelDay(calen.FirstWeekday + 23).accessibleDescription(), "fecha elegida");
    EXPECT_EQ(calen.LabelDay(1).role(), toolkit::AccessRole::Cell);
    EXPECT_EQ(calen.LabelWeek(2).accessibleName(), "miércoles");
    // Small white letters on the weekday headers stay readable.
    const Colour back = calen.LabelWeek(0).background();
    EXPECT_GE(toolkit::contrastRatio(255, 255, 255, back.r, back.g, back.b), 4.5);
    press(Key::PageDown);
    EXPECT_EQ(calen.LabelDay(calen.FirstWeekday).accessibleName(), "viernes, 1 de enero de 2027");
    EXPECT_EQ(calen.LabelDay(calen.FirstWeekday + 23).accessibleDescription(), "");
  });
}

}  // namespace
}  // namespace vodivuri::calendar::testing
