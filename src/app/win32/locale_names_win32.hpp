// Weekday and month names of the user's Windows locale for the long date.
#pragma once

namespace vodivuri::app::win32 {

// Installs the user's locale's names when its language is Spanish, the
// built-in Spanish names otherwise.
void useLocaleDateNames();

}  // namespace vodivuri::app::win32
