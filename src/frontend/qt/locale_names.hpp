// Weekday and month names of a Qt locale for the long date, when it is Spanish.
#pragma once

#include <QLocale>
#include <optional>

#include "toolkit/dates.hpp"

namespace vodivuri::qt {

// The locale's full names in lower case, as Spanish writes them inside a
// date; empty when the locale is not Spanish or lacks a name.
std::optional<toolkit::DateNames> spanishDateNamesOf(const QLocale& locale);

// Installs the names of the user's locale, or the built-in Spanish ones.
void useLocaleDateNames(const QLocale& locale);

}  // namespace vodivuri::qt
