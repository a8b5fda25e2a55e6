#!/usr/bin/env bash
# Makes the Help window's pictures from screenshots of the program's own windows
# (taken under Xvfb by tests/frontend_qt/screenshots.sh, so build first):
#   help_main_window.png  190 x 166  the main window
#   help_calendar.png     250 x 132  the calendar, without and with the year arrows
#   help_popup_menu.png   224 x 172  the popup menu with its start-up submenu open
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
shots=$(mktemp -d)
trap 'rm -rf "$shots"' EXIT
bash "$here/../tests/frontend_qt/screenshots.sh" "$shots" >/dev/null
convert -filter Lanczos "$shots/main.png" -resize '190x166!' -depth 8 -strip "$here/help_main_window.png"
convert -filter Lanczos "$shots/calendar.png" -size 8x163 xc:white "$shots/calendar-year.png" \
  +append -resize '250x132!' -depth 8 -strip "$here/help_calendar.png"
convert -filter Lanczos "$shots/menu.png" -resize '224x172!' -depth 8 -strip "$here/help_popup_menu.png"
identify "$here"/help_*.png
