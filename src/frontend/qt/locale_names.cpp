#include "frontend/qt/locale_names.hpp"

namespace vodivuri::qt {

std::optional<toolkit::DateNames> spanishDateNamesOf(const QLocale& locale) {
  if (locale.language() != QLocale::Spanish) return std::nullopt;
  toolkit::DateNames names;
  for (int d = 1; d <= 7; ++d) {  // Qt counts Monday as 1
    const QString name = locale.dayName(d, QLocale::LongFormat).toLower();
    if (name.isEmpty()) return std::nullopt;
    names.weekdays[static_cast<std::size_t>(d - 1)] = name.toStdString();
  }
  for (int m = 1; m <= 12; ++m) {
    const QString name = locale.monthName(m, QLocale::LongFormat).toLower();
    if (name.isEmpty()) return std::nullopt;
    names.months[static_cast<std::size_t>(m - 1)] = name.toStdString();
  }
  return names;
}

void useLocaleDateNames(const QLocale& locale) {
  const auto names = spanishDateNamesOf(locale);
  toolkit::setLocaleDateNames(names ? *names : toolkit::spanishDateNames());
}

}  // namespace vodivuri::qt
