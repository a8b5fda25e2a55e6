#include "calendar/calen.hpp"

#include <string>

namespace vodivuri::calendar {

using toolkit::Alignment;
using toolkit::Colour;
using toolkit::ControlState;
using toolkit::Date;
using toolkit::Font;
using toolkit::Rect;
using toolkit::SystemColour;

namespace {

// As the header shows them, January first.
const char* const kMonthNames[12] = {"Enero",     "Febrero", "Marzo",     "Abril",
                                     "Mayo",      "Junio",   "Julio",     "Agosto",
                                     "Setiembre", "Octubre", "Noviembre", "Diciembre"};

constexpr int kCells = 42;
constexpr int kMonthWide = 1455, kMonthNarrow = 1200;
constexpr int kYearWide = 870, kYearNarrow = 615;

constexpr Colour kMarkBackground = Colour::rgb(192, 0, 0);
constexpr Colour kMarkText = toolkit::kWhite;
constexpr Colour kSaturday = Colour::rgb(192, 192, 192);
constexpr Colour kSunday = Colour::rgb(255, 128, 128);
// The selection blue of the classic scheme: small white letters on it read
// well (over 4.5:1), which the lighter blues of today's schemes do not.
constexpr Colour kHeaderBlue = Colour::rgb(0, 0, 128);

constexpr const char* kLongDate = "dddd, d \\d\\e mmmm \\d\\e yyyy";
constexpr const char* kTodayBar = "dddd, d \\d\\e mmmm \\de yyyy";

const Font kHeaderFont{"Arial", 8.25, true};
const Font kWeekFont{"Arial", 6.75, false};
const Font kDayFont{"Arial", 8.25, false};
const Font kWindowFont{"Arial", 6, false};

// Month name, year and the hidden month number share one look.
ControlState header(Rect rect, const char* description, bool visible = true) {
  return {.rect = rect,
          .visible = visible,
          .foreground = toolkit::kWhite,
          .background = toolkit::kBlack,
          .border = true,
          .alignment = Alignment::Centre,
          .font = kHeaderFont,
          .role = toolkit::AccessRole::PushButton,
          .accessibleDescription = description};
}

ControlState arrow(Rect rect, const char* picture, const char* name) {
  return {.rect = rect,
          .visible = false,
          .picture = picture,
          .font = kWindowFont,
          .accessibleName = name};
}

// The background of day cell k's column when it is not today's.
Colour columnBackground(int k) {
  switch ((k - 1) % 7) {
    case 5:
      return kSaturday;
    case 6:
      return kSunday;
    default:
      return Colour::of(SystemColour::Window);
  }
}

std::deque<toolkit::Label> weekHeaders(toolkit::Form& form) {
  static const char* const kLetters[7] = {"L", "M", "M", "J", "V", "S", "D"};
  static const char* const kNames[7] = {"lunes",   "martes", "miércoles", "jueves",
                                        "viernes", "sábado", "domingo"};
  std::deque<toolkit::Label> labels;
  for (int i = 0; i < 7; ++i) {
    labels.emplace_back(form, "LabelWeek(" + std::to_string(i) + ")",
                        ControlState{.rect = {330 * i, 375, 345, 210},
                                     .caption = kLetters[i],
                                     .foreground = toolkit::kWhite,
                                     .background = kHeaderBlue,
                                     .border = true,
                                     .alignment = Alignment::Centre,
                                     .font = kWeekFont,
                                     .accessibleName = kNames[i],
                                     .role = toolkit::AccessRole::ColumnHeader});
  }
  return labels;
}

// Neighbouring cells overlap by 15 twips so that their borders coincide.
std::deque<toolkit::Label> dayCells(toolkit::Form& form) {
  std::deque<toolkit::Label> cells;
  for (int k = 1; k <= kCells; ++k) {
    const int row = (k - 1) / 7, column = (k - 1) % 7;
    cells.emplace_back(form, "LabelDay(" + std::to_string(k) + ")",
                       ControlState{.rect = {330 * column, 570 + 225 * row, 345, 240},
                                    .foreground = Colour::of(SystemColour::WindowText),
                                    .background = columnBackground(k),
                                    .border = true,
                                    .alignment = Alignment::Centre,
                                    .font = kDayFont,
                                    .role = toolkit::AccessRole::Cell});
  }
  return cells;
}

// "dd/mm/yyyy" with a four-digit year, the form the trigger and the restore read.
std::string storedDateText(const Date& d) {
  return toolkit::formatNumber(d.day, "00") + "/" + toolkit::formatNumber(d.month, "00") + "/" +
         toolkit::formatNumber(d.year, "0000");
}

}  // namespace

Calen::Calen(toolkit::Host& host, engine::ProgramState& state, engine::SettingsStore& store,
             platform::Clock& clock, toolkit::Form& mainWindow, toolkit::Label& lblCalen)
    : Form(host, "Calen",
           {.caption = "Calendario",
            .clientWidth = 2325,
            .clientHeight = 2445,
            .background = toolkit::kWhite,
            .border = toolkit::Border::FixedSingle,
            .font = kWindowFont,
            .dialog = true}),
      LabelMonth(*this, "LabelMonth",
                 header({0, 0, kMonthWide, 375}, "Muestra u oculta los botones del mes")),
      LabelYear(*this, "LabelYear",
                header({1455, 0, kYearWide, 375}, "Muestra u oculta los botones del año")),
      LabelNumber(*this, "LabelNumber",
                  [] {
                    ControlState s = header({-210, 0, 210, 375}, "", false);
                    s.role = toolkit::AccessRole::None;
                    return s;
                  }()),
      cmdMesAdelante(*this, "cmdMesAdelante",
                     arrow({1200, 0, 255, 195}, "cal_arrow_up.bmp", "Mes siguiente")),
      cmdMesAtras(*this, "cmdMesAtras",
                  arrow({1200, 195, 255, 195}, "cal_arrow_down.bmp", "Mes anterior")),
      cmdAñoAdelante(*this, "cmdAñoAdelante",
                     arrow({2070, 0, 255, 195}, "cal_arrow_up.bmp", "Año siguiente")),
      cmdAñoAtras(*this, "cmdAñoAtras",
                  arrow({2070, 195, 255, 195}, "cal_arrow_down.bmp", "Año anterior")),
      weekLabels_(weekHeaders(*this)),
      dayLabels_(dayCells(*this)),
      LabelDate(*this, "LabelDate",
                {.rect = {0, 1920, 2325, 210},
                 .foreground = kMarkText,
                 .background = kMarkBackground,
                 .border = true,
                 .alignment = Alignment::Centre,
                 .font = kWeekFont,
                 .role = toolkit::AccessRole::PushButton,
                 .accessibleDescription = "Muestra el mes de hoy"}),
      cmdCerrar(*this, "cmdCerrar",
                {.rect = {0, 2130, 2325, 315}, .caption = "Cerrar", .font = kWindowFont}),
      state_(state),
      store_(store),
      clock_(clock),
      mainWindow_(mainWindow),
      lblCalen_(lblCalen) {
  // The grid is one stop, the cell of ShownDate's day (first, kept so by followCursor).
  tabOrder = {&LabelDay(1),    &LabelMonth,  &cmdMesAdelante, &cmdMesAtras, &LabelYear,
              &cmdAñoAdelante, &cmdAñoAtras, &LabelDate,      &cmdCerrar};

  onLoad = [this] { Form_Load(); };
  onUnload = [this] { Form_Unload(); };
  onKeyDown = [this](int key) { Form_KeyDown(key); };
  LabelMonth.onClick = [this] { LabelMonthClick(); };
  LabelYear.onClick = [this] { LabelYearClick(); };
  cmdMesAdelante.onClick = [this] { cmdMesAdelanteClick(); };
  cmdMesAtras.onClick = [this] { cmdMesAtrasClick(); };
  cmdAñoAdelante.onClick = [this] { cmdAñoAdelanteClick(); };
  cmdAñoAtras.onClick = [this] { cmdAñoAtrasClick(); };
  LabelDate.onClick = [this] { LabelDateClick(); };
  for (int k = 1; k <= kCells; ++k) {
    LabelDay(k).onClick = [this, k] { LabelDayClick(k); };
    LabelDay(k).onKey = [this](const toolkit::KeyPress& key) { return LabelDay_Key(key); };
  }
  cmdCerrar.onClick = [this] { cmdCerrarClick(); };
}

void Calen::FillMonth(const Date& d) {
  // A month outside the calendar would index past the names and cells.
  if (!toolkit::isValidDate(d)) return;
  ShownDate = d;
  FirstWeekday = static_cast<std::int16_t>(toolkit::isoWeekday({d.year, d.month, 1}));
  DaysInMonth = static_cast<std::int16_t>(toolkit::daysInMonth(d.year, d.month));
  const int first = FirstWeekday, last = FirstWeekday + DaysInMonth - 1;
  for (int k = 1; k <= kCells; ++k) {
    LabelDay(k).setCaption(k >= first && k <= last ? toolkit::formatNumber(k - first + 1, "00")
                                                   : std::string());
  }
  LabelMonth.setCaption(kMonthNames[d.month - 1]);
  LabelNumber.setCaption(std::to_string(d.month));
  LabelYear.setCaption(std::to_string(d.year));
  describeCells();
  followCursor();
}

// Each cell is heard as its whole date, and whether it is today or the date
// the schedule holds.
void Calen::describeCells() {
  const Date today = clock_.now().date;
  const auto chosen = toolkit::parseDayMonthYear(state_.ScheduledDateText);
  for (int k = 1; k <= kCells; ++k) {
    toolkit::Label& cell = LabelDay(k);
    const int day = k - FirstWeekday + 1;
    if (day < 1 || day > DaysInMonth) {
      cell.setAccessibleName("");
      cell.setAccessibleDescription("");
      continue;
    }
    const Date date{ShownDate.year, ShownDate.month, day};
    cell.setAccessibleName(toolkit::formatDate(date, kLongDate));
    std::string description;
    if (date == today) description = "hoy";
    if (chosen && *chosen == date)
      description += description.empty() ? "fecha elegida" : ", fecha elegida";
    cell.setAccessibleDescription(description);
  }
}

// The grid's stop is the cell of ShownDate; the focus goes with it.
void Calen::followCursor() {
  toolkit::Label& cell = LabelDay(FirstWeekday + ShownDate.day - 1);
  const bool inGrid = focus() == tabOrder.front();
  tabOrder.front() = &cell;
  if (inGrid) setFocus(&cell);
}

// Arrows by day and week, Page Up and Down by month (with Ctrl by year),
// Home and End to the month's ends; Return and Space pick (the form's own keys).
bool Calen::LabelDay_Key(const toolkit::KeyPress& key) {
  std::optional<Date> target;
  switch (key.key) {
    case toolkit::Key::Left:
      target = toolkit::addDays(ShownDate, -1);
      break;
    case toolkit::Key::Right:
      target = toolkit::addDays(ShownDate, 1);
      break;
    case toolkit::Key::Up:
      target = toolkit::addDays(ShownDate, -7);
      break;
    case toolkit::Key::Down:
      target = toolkit::addDays(ShownDate, 7);
      break;
    case toolkit::Key::PageUp:
      target = key.ctrl ? toolkit::addYears(ShownDate, -1) : toolkit::addMonths(ShownDate, -1);
      break;
    case toolkit::Key::PageDown:
      target = key.ctrl ? toolkit::addYears(ShownDate, 1) : toolkit::addMonths(ShownDate, 1);
      break;
    case toolkit::Key::Home:
      target = Date{ShownDate.year, ShownDate.month, 1};
      break;
    case toolkit::Key::End:
      target = Date{ShownDate.year, ShownDate.month, DaysInMonth};
      break;
    default:
      return false;
  }
  moveCursor(target);
  return true;
}

void Calen::moveCursor(const std::optional<Date>& target) {
  if (!target || !toolkit::isValidDate(*target)) return;
  if (target->year == ShownDate.year && target->month == ShownDate.month) {
    ShownDate = *target;
    followCursor();
    return;
  }
  showStep(target);
}

void Calen::MarkDays() {
  if (const auto month = toolkit::parseInteger(LabelNumber.caption())) {
    LabelNumber.setCaption(toolkit::formatNumber(*month, "00"));
  }
  const Date today = clock_.now().date;
  const bool todaysMonth = toolkit::formatDate(today, "mm") == LabelNumber.caption() &&
                           toolkit::formatDate(today, "yyyy") == LabelYear.caption();
  if (todaysMonth) {
    const std::string day = toolkit::formatDate(today, "dd");
    for (int k = FirstWeekday; k <= FirstWeekday + DaysInMonth - 1; ++k) {
      if (LabelDay(k).caption() == day) {
        LabelDay(k).setBackground(kMarkBackground);
        LabelDay(k).setForeground(kMarkText);
      }
    }
    return;
  }
  // Any other month: the column colours, which also clears a mark left over.
  for (int k = 1; k <= kCells; ++k) {
    LabelDay(k).setForeground(Colour::of(SystemColour::WindowText));
    LabelDay(k).setBackground(columnBackground(k));
  }
}

void Calen::Form_Load() {
  const Date today = clock_.now().date;
  LabelDate.setCaption(toolkit::formatDate(today, kTodayBar));
  // A date never set (or not a real one) opens at today's month.
  if (!toolkit::isValidDate(ShownDate)) ShownDate = today;
  FillMonth(ShownDate);
  MarkDays();
  // Below and to the right of the main window; where the platform has not
  // placed the main window yet, it places this one too.
  if (const auto left = mainWindow_.left()) setLeft(*left + 2400);
  if (const auto top = mainWindow_.top()) setTop(*top + 3630);
}

void Calen::Form_Unload() {
  state_.ChildClosed = engine::kChildJustClosed;
}

void Calen::Form_KeyDown(int key) {
  if (key != toolkit::kKeyEscape) return;
  state_.ChildClosed = engine::kChildJustClosed;
  unload();
}

void Calen::LabelMonthClick() {
  if (cmdAñoAdelante.visible()) {
    cmdAñoAdelante.setVisible(false);
    cmdAñoAtras.setVisible(false);
    LabelYear.setWidth(kYearWide);
  }
  const bool show = !cmdMesAdelante.visible();
  cmdMesAdelante.setVisible(show);
  cmdMesAtras.setVisible(show);
  LabelMonth.setWidth(show ? kMonthNarrow : kMonthWide);
}

void Calen::LabelYearClick() {
  if (cmdMesAdelante.visible()) {
    cmdMesAdelante.setVisible(false);
    cmdMesAtras.setVisible(false);
    LabelMonth.setWidth(kMonthWide);
  }
  const bool show = !cmdAñoAdelante.visible();
  cmdAñoAdelante.setVisible(show);
  cmdAñoAtras.setVisible(show);
  LabelYear.setWidth(show ? kYearNarrow : kYearWide);
}

void Calen::showStep(const std::optional<Date>& target) {
  if (!target) return;
  FillMonth(*target);
  MarkDays();
}

void Calen::cmdMesAdelanteClick() {
  showStep(toolkit::addMonths(ShownDate, 1));
}
void Calen::cmdMesAtrasClick() {
  showStep(toolkit::addMonths(ShownDate, -1));
}
void Calen::cmdAñoAdelanteClick() {
  showStep(toolkit::addYears(ShownDate, 1));
}
void Calen::cmdAñoAtrasClick() {
  showStep(toolkit::addYears(ShownDate, -1));
}

// Today's month without MarkDays: the cells keep the colours they had.
void Calen::LabelDateClick() {
  const Date today = clock_.now().date;
  ShownDate = today;
  FillMonth(today);
}

void Calen::LabelDayClick(int k) {
  const std::string& caption = LabelDay(k).caption();
  if (!caption.empty()) {
    const auto day = toolkit::parseInteger(caption);
    const Date picked{ShownDate.year, ShownDate.month, day ? static_cast<int>(*day) : 0};
    if (toolkit::isValidDate(picked)) {
      ShownDate = picked;
      state_.CalendarDate = ShownDate;
      lblCalen_.setCaption(toolkit::formatDate(ShownDate, kLongDate));
      store_.SetValue(engine::kSettingsKey, "FechaProgramada", storedDateText(ShownDate),
                      platform::kRegSz);
    }
  }
  hide();
  unload();
}

void Calen::cmdCerrarClick() {
  unload();
}

}  // namespace vodivuri::calendar
