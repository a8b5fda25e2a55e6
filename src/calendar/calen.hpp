// The calendar window: a month grid in which the user picks the scheduled date.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>

#include "engine/program_state.hpp"
#include "engine/settings_store.hpp"
#include "platform/services.hpp"
#include "toolkit/dates.hpp"
#include "toolkit/form.hpp"

namespace vodivuri::calendar {

// The main window opens it modally:
//   calen.ShownDate = state.CalendarDate;
//   calen.showModal(mainWindow);
//   state.CalendarDate = calen.ShownDate;
class Calen : public toolkit::Form {
 public:
  Calen(toolkit::Host& host, engine::ProgramState& state, engine::SettingsStore& store,
        platform::Clock& clock, toolkit::Form& mainWindow, toolkit::Label& lblCalen);

  // The date whose month the grid shows; after a pick, the picked date. It
  // keeps its value while the window is unloaded.
  toolkit::Date ShownDate;
  // Column of the 1st of the shown month (Monday 1 .. Sunday 7), which is
  // also the cell that holds day 1.
  std::int16_t FirstWeekday = 1;
  std::int16_t DaysInMonth = 31;

  // Shows the month of `d` (and stores `d` as ShownDate); touches no colours.
  // A date that is not a real one is ignored.
  void FillMonth(const toolkit::Date& d);
  // Colours the cells for the month now shown: today's mark, or the column
  // colours for any other month.
  void MarkDays();

  // --- controls, in the order of the layout ---
  toolkit::Label LabelMonth;
  toolkit::Label LabelYear;
  toolkit::Label LabelNumber;  // the shown month's number; never seen
  toolkit::Button cmdMesAdelante;
  toolkit::Button cmdMesAtras;
  toolkit::Button cmdAñoAdelante;
  toolkit::Button cmdAñoAtras;

 private:
  std::deque<toolkit::Label> weekLabels_;  // LabelWeek(0..6)
  std::deque<toolkit::Label> dayLabels_;   // LabelDay(1..42)

 public:
  toolkit::Label LabelDate;
  toolkit::Button cmdCerrar;

  // Weekday header i (0 Monday .. 6 Sunday).
  toolkit::Label& LabelWeek(int i) { return weekLabels_.at(static_cast<std::size_t>(i)); }
  // Day cell k (1..42): row (k - 1) / 7, column (k - 1) % 7.
  toolkit::Label& LabelDay(int k) { return dayLabels_.at(static_cast<std::size_t>(k - 1)); }

  // --- handlers ---
  void Form_Load();
  void Form_Unload();
  void Form_KeyDown(int key);
  void LabelMonthClick();
  void LabelYearClick();
  void cmdMesAdelanteClick();
  void cmdMesAtrasClick();
  void cmdAñoAdelanteClick();
  void cmdAñoAtrasClick();
  void LabelDateClick();
  void LabelDayClick(int k);
  void cmdCerrarClick();
  bool LabelDay_Key(const toolkit::KeyPress& key);

 private:
  void describeCells();
  void followCursor();
  void moveCursor(const std::optional<toolkit::Date>& target);
  // A month or year step; a step past the representable years does nothing.
  void showStep(const std::optional<toolkit::Date>& target);

  engine::ProgramState& state_;
  engine::SettingsStore& store_;
  platform::Clock& clock_;
  toolkit::Form& mainWindow_;
  toolkit::Label& lblCalen_;
};

}  // namespace vodivuri::calendar
