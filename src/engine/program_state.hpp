// The one program-wide record every window and module shares.
#pragma once

#include <cstdint>
#include <string>
#include <variant>

#include "toolkit/dates.hpp"

namespace vodivuri::engine {

// What the last successful settings read found: nothing, a text or a 32-bit integer.
using ReadResult = std::variant<std::monostate, std::string, std::int32_t>;

// The slot as text: a number becomes its decimal text, nothing the empty text.
std::string asText(const ReadResult& value);

inline constexpr std::int16_t kTrue = -1;
inline constexpr std::int16_t kFalse = 0;

struct ProgramState {
  toolkit::Date CalendarDate;
  std::string CreateValueText;
  std::string ApagarSistemaText;
  std::string ReiniciarSistemaText;
  std::string ReiniciarSesionText;
  std::string ScheduledDateText;
  std::string SiempreText;
  std::string ScheduledHourText;
  std::string ScheduledMinuteText;
  ReadResult LastReadValue;
  std::string InicioText;
  std::string AppPath;
  std::string WindowsVersion;
  std::string ForzarText;
  std::uint8_t ChildClosed = 0;
  std::int16_t ForceFlag = kFalse;
  std::int16_t ScreenWidth = 0;
  // The calendar minute the program started in: no scheduled action fires in it.
  toolkit::DateTime StartedAt;
};

inline constexpr std::uint8_t kChildJustClosed = 2;

}  // namespace vodivuri::engine
