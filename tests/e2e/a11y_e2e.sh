#!/usr/bin/env bash
# The program for a keyboard-only and screen-reader user: on a private X server
# with trayer, inside a session bus of its own with the accessibility bus, its
# four windows walked over AT-SPI and the whole journey made with keys only
# (a shutdown at 23:45 on a day chosen in the calendar, then «Salir»); the
# settings file must then hold what was chosen. Power requests only simulated.
# Usage: a11y_e2e.sh PROGRAM [ARTEFACTS_FOLDER]
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
program=$(realpath "$1")
if [ "${VODIVURI_A11Y_SESSION:-}" != inside ]; then
  # A session bus of our own, which starts the accessibility bus on demand.
  VODIVURI_A11Y_SESSION=inside exec dbus-run-session -- bash "${BASH_SOURCE[0]}" "$@"
fi
. "$here/lib.sh"
work=$(mktemp -d)
artefacts=${2:-$work/artefacts}
mkdir -p "$artefacts"
trap 'e2e_cleanup; rm -rf "$work"' EXIT

start_display 1024x768x24
start_tray
export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime HOME=$work/home
mkdir -p "$XDG_CONFIG_HOME/vodivuri" "$HOME" && mkdir -m 700 "$XDG_RUNTIME_DIR"
settings=$XDG_CONFIG_HOME/vodivuri/user.reg
write_settings "$settings"
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 LC_ALL=C.UTF-8 TZ=UTC
unset QT_QPA_PLATFORM

"$program" --simulate >"$work/out.log" 2>"$work/err.log" &
app=$!
e2e_pids+=("$app")
waitfor 100 tray_icon vodivuri || fail "the icon did not dock: $(cat "$work/err.log")"
waitfor 30 gone Vodivuri || fail "the window did not hide at start"
# The checker shows the window by a second start, as a keyboard user would.
PYTHONPATH=$here /usr/bin/python3 "$here/a11y_check.py" "$program" "$artefacts/a11y-tree.txt" \
  "$artefacts" || {
  import -window root "$artefacts/a11y-failure.png" 2>/dev/null || true
  fail "the check above failed: $(tail -n 5 "$work/err.log")"
}
waitfor 50 sh -c "! kill -0 $app" || fail "«Salir» did not end the program"
status=0
wait "$app" || status=$?
[ "$status" -eq 0 ] || fail "exit status $status: $(cat "$work/err.log")"
! grep -q 'simulación' "$work/err.log" || fail "a power request: $(cat "$work/err.log")"

value() { sed -n "s/^\"$1\"=\"\(.*\)\"\r\?$/\1/p" "$settings"; }
[ "$(value Hora)" = 23 ] || fail "Hora is $(value Hora)"
[ "$(value Minutos)" = 45 ] || fail "Minutos is $(value Minutos)"
[ "$(value ApagarSistema)" = True ] || fail "ApagarSistema is $(value ApagarSistema)"
[ "$(value Siempre)" = False ] || fail "Siempre is $(value Siempre)"
expected=$(cat "$artefacts/a11y-chosen.txt")
[ "$(value FechaProgramada)" = "$expected" ] ||
  fail "FechaProgramada is $(value FechaProgramada), not the day chosen ($expected)"
echo "accessibility end-to-end: four windows named and reachable, the journey by keys stored 23:45 on $expected"
