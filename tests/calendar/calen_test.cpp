#include "fixture.hpp"

namespace vodivuri::calendar::testing {
namespace {

// --- the month grid ---

TEST_F(CalendarTest, MonthStartingOnAMondayFillsFromTheFirstCell) {
  openAt({2026, 6, 15}, [&] {
    EXPECT_EQ(calen.FirstWeekday, 1);
    EXPECT_EQ(calen.DaysInMonth, 30);
    expectDays(1, 30);
    EXPECT_EQ(header(), "Junio 2026 (06)");
  });
}

TEST_F(CalendarTest, MonthStartingOnASundayLeavesSixEmptyCells) {
  openAt({2026, 3, 31}, [&] {
    EXPECT_EQ(calen.FirstWeekday, 7);
    expectDays(7, 31);  // 31 lands in cell 37, the highest ever used
    EXPECT_EQ(calen.LabelDay(37).caption(), "31");
  });
}

TEST_F(CalendarTest, CellsStandInRowsOfSevenUnderTheirWeekdays) {
  EXPECT_EQ(calen.LabelDay(1).rect(), (toolkit::Rect{0, 570, 345, 240}));
  EXPECT_EQ(calen.LabelDay(8).rect(), (toolkit::Rect{0, 795, 345, 240}));
  EXPECT_EQ(calen.LabelDay(42).rect(), (toolkit::Rect{1980, 1695, 345, 240}));
  EXPECT_EQ(calen.LabelWeek(6).rect(), (toolkit::Rect{1980, 375, 345, 210}));
  EXPECT_EQ(calen.LabelWeek(6).caption(), "D");
  EXPECT_EQ(calen.LabelDay(42).name(), "LabelDay(42)");
  EXPECT_EQ(calen.cmdAñoAtras.rect(), (toolkit::Rect{2070, 195, 255, 195}));
  EXPECT_EQ(calen.cmdMesAdelante.rect(), (toolkit::Rect{1200, 0, 255, 195}));
  EXPECT_EQ(calen.LabelNumber.rect(), (toolkit::Rect{-210, 0, 210, 375}));
  EXPECT_EQ(calen.LabelDate.rect(), (toolkit::Rect{0, 1920, 2325, 210}));
  EXPECT_EQ(calen.cmdCerrar.rect(), (toolkit::Rect{0, 2130, 2325, 315}));
  EXPECT_EQ(calen.layout().clientWidth, 2325);
  EXPECT_EQ(calen.layout().clientHeight, 2445);
}

TEST_F(CalendarTest, FebruaryFollowsLeapYears) {
  openAt({2024, 2, 10}, [&] {
    EXPECT_EQ(calen.DaysInMonth, 29);
    expectDays(4, 29);
    calen.LabelYear.userClick();
    calen.cmdAñoAtras.userClick();  // 2023
    EXPECT_EQ(calen.DaysInMonth, 28);
    expectDays(3, 28);
  });
  openAt({2100, 2, 1}, [&] { EXPECT_EQ(calen.DaysInMonth, 28); });
  openAt({2000, 2, 1}, [&] { EXPECT_EQ(calen.DaysInMonth, 29); });
}

TEST_F(CalendarTest, EveryMonthHasItsSpanishName) {
  const std::vector<std::string> names{"Enero",     "Febrero", "Marzo",     "Abril",
                                       "Mayo",      "Junio",   "Julio",     "Agosto",
                                       "Setiembre", "Octubre", "Noviembre", "Diciembre"};
  openAt({2026, 1, 1}, [&] {
    calen.LabelMonth.userClick();
    for (int m = 1; m <= 12; ++m) {
      EXPECT_EQ(calen.LabelMonth.caption(), names[static_cast<std::size_t>(m - 1)]);
      EXPECT_EQ(calen.LabelNumber.caption(), (m < 10 ? "0" : "") + std::to_string(m));
      calen.cmdMesAdelante.userClick();
    }
    EXPECT_EQ(header(), "Enero 2027 (01)");
  });
}

TEST_F(CalendarTest, MonthNumberIsPlainUntilMarkDaysPadsIt) {
  openAt({2026, 9, 1}, [&] {
    calen.FillMonth({2026, 9, 1});
    EXPECT_EQ(calen.LabelNumber.caption(), "9");
    calen.MarkDays();
    EXPECT_EQ(calen.LabelNumber.caption(), "09");
    calen.FillMonth({2026, 11, 1});
    EXPECT_EQ(calen.LabelNumber.caption(), "11");
  });
}

TEST_F(CalendarTest, TodaysMonthMarksTodayOnceInTheDateBarColours) {
  openAt({2026, 12, 25}, [&] {
    EXPECT_EQ(markedCells(), std::vector<int>{8});  // 1 December 2026 is a Tuesday
    EXPECT_EQ(calen.LabelDay(8).caption(), "07");
    EXPECT_EQ(calen.LabelDay(8).foreground(), kMarkText);
    EXPECT_EQ(calen.LabelDate.background(), kMarkBack);
    EXPECT_EQ(calen.LabelDay(6).background(), Colour::rgb(192, 192, 192));
    EXPECT_EQ(calen.LabelDay(7).background(), Colour::rgb(255, 128, 128));
    EXPECT_EQ(calen.LabelDay(9).background(), Colour::of(SystemColour::Window));

    calen.LabelMonth.userClick();
    calen.cmdMesAdelante.userClick();
    EXPECT_TRUE(markedCells().empty());
    expectColumnColours();
    calen.cmdMesAtras.userClick();
    EXPECT_EQ(markedCells(), std::vector<int>{8});
  });
}

TEST_F(CalendarTest, TodaysMonthOfAnotherYearMarksNothing) {
  openAt({2025, 12, 7}, [&] {
    EXPECT_TRUE(markedCells().empty());
    expectColumnColours();
    calen.LabelYear.userClick();
    calen.cmdAñoAdelante.userClick();
    EXPECT_EQ(markedCells(), std::vector<int>{8});
    calen.cmdAñoAdelante.userClick();  // December 2027: the mark goes
    EXPECT_TRUE(markedCells().empty());
    expectColumnColours();
  });
}

TEST_F(CalendarTest, DateBarShowsTodayInLongFormAndLeadsBackWithoutMarking) {
  openAt({2025, 3, 2}, [&] {
    EXPECT_EQ(calen.LabelDate.caption(), "lunes, 7 de diciembre de 2026");
    calen.LabelDate.userClick();
    EXPECT_EQ(calen.ShownDate, (Date{2026, 12, 7}));
    EXPECT_EQ(header(), "Diciembre 2026 (12)");
    expectDays(2, 31);
    EXPECT_TRUE(markedCells().empty());  // only a month step marks today
    expectColumnColours();
  });
  openAt({2026, 12, 1}, [&] {
    calen.LabelDate.userClick();
    EXPECT_EQ(markedCells(), std::vector<int>{8});
  });
}

TEST_F(CalendarTest, AnUnsetDateOpensAtTodaysMonth) {
  openAt({}, [&] {
    EXPECT_EQ(header(), "Diciembre 2026 (12)");
    EXPECT_EQ(markedCells(), std::vector<int>{8});
  });
  EXPECT_EQ(state.CalendarDate, (Date{2026, 12, 7}));
}

// --- navigation ---

TEST_F(CalendarTest, MonthStepsKeepTheDayOrTakeTheLastOne) {
  openAt({2026, 1, 31}, [&] {
    calen.LabelMonth.userClick();
    calen.cmdMesAdelante.userClick();
    EXPECT_EQ(calen.ShownDate, (Date{2026, 2, 28}));
    EXPECT_EQ(header(), "Febrero 2026 (02)");
    calen.cmdMesAdelante.userClick();
    EXPECT_EQ(calen.ShownDate, (Date{2026, 3, 28}));
  });
  openAt({2028, 1, 31}, [&] {
    calen.LabelMonth.userClick();
    calen.cmdMesAdelante.userClick();
    EXPECT_EQ(calen.ShownDate, (Date{2028, 2, 29}));
  });
}

TEST_F(CalendarTest, MonthStepsCrossTheYear) {
  openAt({2026, 1, 15}, [&] {
    calen.LabelMonth.userClick();
    calen.cmdMesAtras.userClick();
    EXPECT_EQ(header(), "Diciembre 2025 (12)");
    EXPECT_EQ(calen.ShownDate, (Date{2025, 12, 15}));
    calen.cmdMesAdelante.userClick();
    calen.cmdMesAdelante.userClick();
    EXPECT_EQ(header(), "Febrero 2026 (02)");
  });
}

TEST_F(CalendarTest, YearStepFromLeapDayTakesTheLastOfFebruary) {
  openAt({2024, 2, 29}, [&] {
    calen.LabelYear.userClick();
    calen.cmdAñoAdelante.userClick();
    EXPECT_EQ(calen.ShownDate, (Date{2025, 2, 28}));
    EXPECT_EQ(header(), "Febrero 2025 (02)");
    calen.cmdAñoAtras.userClick();
    EXPECT_EQ(calen.ShownDate, (Date{2024, 2, 28}));
  });
}

TEST_F(CalendarTest, StepsPastTheRepresentableYearsDoNothing) {
  openAt({9999, 12, 31}, [&] {
    calen.LabelMonth.userClick();
    calen.cmdMesAdelante.userClick();
    calen.LabelYear.userClick();
    calen.cmdAñoAdelante.userClick();
    EXPECT_EQ(calen.ShownDate, (Date{9999, 12, 31}));
    EXPECT_EQ(header(), "Diciembre 9999 (12)");
  });
  openAt({100, 1, 1}, [&] {
    calen.LabelYear.userClick();
    calen.cmdAñoAtras.userClick();
    EXPECT_EQ(calen.ShownDate, (Date{100, 1, 1}));
  });
}

TEST_F(CalendarTest, HeaderModesShowOnePairOfArrowsAtATime) {
  auto mode = [&] {
    return std::to_string(calen.cmdMesAdelante.visible()) +
           std::to_string(calen.cmdMesAtras.visible()) +
           std::to_string(calen.cmdAñoAdelante.visible()) +
           std::to_string(calen.cmdAñoAtras.visible()) + " " +
           std::to_string(calen.LabelMonth.width()) + " " + std::to_string(calen.LabelYear.width());
  };
  openAt({2026, 5, 1}, [&] {
    EXPECT_EQ(mode(), "0000 1455 870");
    calen.LabelMonth.userClick();
    EXPECT_EQ(mode(), "1100 1200 870");
    calen.LabelYear.userClick();
    EXPECT_EQ(mode(), "0011 1455 615");
    EXPECT_EQ(calen.LabelYear.left(), 1455);
    calen.LabelMonth.userClick();
    EXPECT_EQ(mode(), "1100 1200 870");
    calen.cmdMesAdelante.userClick();  // steps leave the mode alone
    EXPECT_EQ(mode(), "1100 1200 870");
    calen.LabelMonth.userClick();
    EXPECT_EQ(mode(), "0000 1455 870");
    calen.LabelYear.userClick();
    calen.LabelYear.userClick();
    EXPECT_EQ(mode(), "0000 1455 870");
    calen.cmdMesAdelante.userClick();  // hidden: cannot be clicked
    EXPECT_EQ(calen.ShownDate, (Date{2026, 6, 1}));
    calen.LabelYear.userClick();
  });
  // Each opening starts again from the layout.
  openAt({2026, 5, 1}, [&] {
    EXPECT_EQ(mode(), "0000 1455 870");
    expectColumnColours();
  });
}

// --- picking and closing ---

TEST_F(CalendarTest, PickingADayStoresItAndCloses) {
  openAt({2025, 2, 20}, [&] {
    ASSERT_EQ(calen.LabelDay(12).caption(), "07");
    calen.LabelDay(12).userClick();
    EXPECT_FALSE(calen.loaded());
    // Set by the calendar itself, before the main window takes ShownDate back.
    EXPECT_EQ(state.CalendarDate, (Date{2025, 2, 7}));
  });
  EXPECT_EQ(state.CalendarDate, (Date{2025, 2, 7}));
  EXPECT_EQ(calen.ShownDate, (Date{2025, 2, 7}));
  EXPECT_EQ(main.lblCalen.caption(), "viernes, 7 de febrero de 2025");
  EXPECT_EQ(registry.text(RegistryRoot::CurrentUser, engine::kSettingsKey, "FechaProgramada"),
            "07/02/2025");
  EXPECT_EQ(registry.writtenNames(), std::vector<std::string>{"FechaProgramada"});
  EXPECT_EQ(registry.writes[0].type, platform::kRegSz);
  EXPECT_EQ(state.ChildClosed, engine::kChildJustClosed);
  EXPECT_FALSE(calen.loaded());
}

TEST_F(CalendarTest, PickedDayInAnEarlyYearIsStoredWithFourDigits) {
  openAt({999, 3, 1}, [&] { calen.LabelDay(calen.FirstWeekday + 4).userClick(); });
  EXPECT_EQ(registry.text(RegistryRoot::CurrentUser, engine::kSettingsKey, "FechaProgramada"),
            "05/03/0999");
}

TEST_F(CalendarTest, EmptyCellClosesWithoutStoring) {
  openAt({2026, 3, 15}, [&] { calen.LabelDay(3).userClick(); });
  EXPECT_FALSE(calen.loaded());
  EXPECT_FALSE(writtenAnything());
  EXPECT_EQ(main.lblCalen.caption(), "sin fecha");
  EXPECT_EQ(state.CalendarDate, (Date{2026, 3, 15}));
  openAt({2026, 3, 15}, [&] { calen.LabelDay(38).userClick(); });
  EXPECT_FALSE(writtenAnything());
}

TEST_F(CalendarTest, CerrarKeepsTheMonthLastShownButStoresNothing) {
  openAt({2026, 12, 20}, [&] {
    calen.LabelMonth.userClick();
    for (int i = 0; i < 3; ++i) calen.cmdMesAdelante.userClick();
    calen.cmdCerrar.userClick();
  });
  EXPECT_FALSE(writtenAnything());
  EXPECT_EQ(main.lblCalen.caption(), "sin fecha");
  EXPECT_EQ(state.CalendarDate, (Date{2027, 3, 20}));
  open([&] { EXPECT_EQ(header(), "Marzo 2027 (03)"); });
}

TEST_F(CalendarTest, EveryWayOfClosingSignalsTheMainWindow) {
  const std::vector<std::function<void()>> ways{
      [&] { calen.cmdCerrar.userClick(); },
      [&] { calen.userKeyDown(toolkit::kKeyEscape); },
      [&] { calen.userRequestClose(); },
      [&] { calen.LabelDay(1).userClick(); },   // empty: 1 December 2026 is a Tuesday
      [&] { calen.LabelDay(10).userClick(); },  // a day
  };
  for (std::size_t i = 0; i < ways.size(); ++i) {
    state.ChildClosed = 0;
    host.whenModal("Calen", [&](toolkit::Form&) { ways[i](); });
    calen.ShownDate = state.CalendarDate;
    calen.showModal(main);
    EXPECT_FALSE(calen.loaded()) << "way " << i;
    EXPECT_EQ(state.ChildClosed, engine::kChildJustClosed) << "way " << i;
  }
}

TEST_F(CalendarTest, OtherKeysLeaveItOpen) {
  open([&] {
    calen.userKeyDown(13);
    EXPECT_TRUE(calen.loaded());
    EXPECT_EQ(state.ChildClosed, 0);
  });
}

TEST_F(CalendarTest, OpensBelowAndRightOfTheMainWindow) {
  main.setLeft(1000);
  main.setTop(2000);
  open([&] {
    EXPECT_EQ(calen.left(), 3400);
    EXPECT_EQ(calen.top(), 5630);
  });
}

TEST_F(CalendarTest, LeavesItsPlaceToThePlatformWhileTheMainWindowHasNone) {
  open([&] {
    EXPECT_EQ(calen.left(), std::nullopt);
    EXPECT_EQ(calen.top(), std::nullopt);
  });
}

}  // namespace
}  // namespace vodivuri::calendar::testing
