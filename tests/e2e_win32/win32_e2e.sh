#!/usr/bin/env bash
# Vodivuri.exe end to end under Wine, on its own Xvfb with trayer as the
# notification area, in throwaway Wine prefixes:
#   1. --version, --help and a bad option answer in a message box (status 0, 0, 2);
#   2. a first start asks the run-at-start-up question, writes the first-start
#      settings, docks its icon and hides its window;
#   3. a second start shows the first one's hidden window and ends at once
#      without touching the settings or the tray (and, like every start, lets
#      the taskbar's restart message through);
#   4. the menu's "Apagar el sistema" -> Yes, with --simulate, is logged as an
#      unforced power-off with the privilege step, and the program runs on;
#   5. right-click on the icon opens the menu; "Salir" -> Yes ends with status 0
#      and stores Left and Top;
#      a first start answered Yes writes the run entry with the program's path;
#   5c. the option group from the keyboard: arrows choose, Tab does not;
#   6. a schedule for the minute after the start reaches ExitWindowsEx with the
#      flags of the NT (winxp) and 9x (win98) rules, forced and not, and never
#      during the start minute (relay traces; Wine's ExitWindowsEx only ends the
#      processes of that throwaway prefix);
#   7. with a screenshot folder: the four windows as pictures.
# Usage: win32_e2e.sh WINE_LOADER VODIVURI_EXE [SCREENSHOT_DIR]
set -euo pipefail
wine=$1
exe=$(realpath "$2")
shots=${3:-}
here=$(dirname "$(realpath "$0")")
source "$here/lib.sh"

use_wine "$1"
work=$(mktemp -d "${TMPDIR:-/tmp}/vodivuri-e2e.XXXXXX")
trap cleanup EXIT

start_display 86 89

# --- a fresh prefix, the template of every other ---
step "prefijo nuevo"
export WINEPREFIX="$work/main"
$wine wineboot -i >/dev/null 2>&1 || fail "wineboot failed"
# No crash dialogs; the relay filter is read only under WINEDEBUG=+relay.
cat >"$work/base.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_CURRENT_USER\Software\Wine\Debug]
"RelayInclude"="user32.ExitWindowsEx;advapi32.AdjustTokenPrivileges;advapi32.RegCreateKeyExA;advapi32.RegOpenKeyExA;advapi32.RegSetValueExA;advapi32.RegQueryValueExA;shell32.Shell_NotifyIconA;kernel32.ExitProcess;user32.ChangeWindowMessageFilter"
REG
$wine regedit /S "$(winpath "$work/base.reg")"
wineserver -w
cp -a "$WINEPREFIX" "$work/template"
end_step

# --- 1. the options ---
step "opciones"
for case in "--version 0" "--help 0" "--nada 2"; do
  set -- $case
  run_app "$work/opt.err" "$1"
  box=$(wait_box) || fail "$1 showed no message box"
  answer "$box" Return || fail "the message box did not take Return"
  wait_app 30 || fail "$1 did not end"
  [ "$status" -eq "$2" ] || fail "$1 ended with $status, expected $2"
done
end_step

# --- 2. first start ---
step "primer arranque"
today=$(date +%d/%m/%Y)
run_app "$work/first.err" --simulate
box=$(wait_box) || fail "the first start asked nothing"
answer "$box" n || fail "the message box did not take n"
waitfor 100 docked || fail "the icon did not dock"
waitfor 100 main_hidden || fail "the main window did not hide itself"
[ "$(setting CreateValue)" = "$today" ] || fail "CreateValue is '$(setting CreateValue)'"
[ "$(setting Inicio)" = "False" ] || fail "Inicio is '$(setting Inicio)' after No"
[ "$(setting Left)" = "4770" ] && [ "$(setting Top)" = "3255" ] ||
  fail "first-start place on 1024 pixels: Left '$(setting Left)', Top '$(setting Top)'"
if $wine reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' /v Vodivuri >/dev/null 2>&1; then
  fail "No to the question still wrote the run entry"
fi
end_step

# --- 3. a second start ---
step "segunda instancia"
$wine reg export 'HKCU\Rurevoduz' "$(winpath "$work/before.reg")" /y >/dev/null
icons=$(icon_count)
WINEDEBUG=+relay timeout 60 "$wine" "$exe" --simulate 2>"$work/second.relay" && second=0 || second=$?
[ "$second" -eq 0 ] || fail "the second start ended with $second"
grep -aiq 'Call kernel32\.ExitProcess' "$work/second.relay" ||
  fail "the relay trace of the second start is empty"
# An elevated copy must still hear the taskbar's restart (Vista and later).
grep -aiqE 'Call user32\.ChangeWindowMessageFilter\([0-9a-f]{8},00000001\)' "$work/second.relay" ||
  fail "the program does not let the taskbar's restart message through"
if grep -aiE 'Rurevoduz|Call shell32\.Shell_NotifyIconA' "$work/second.relay"; then
  fail "the second start touched the settings or the tray"
fi
$wine reg export 'HKCU\Rurevoduz' "$(winpath "$work/after.reg")" /y >/dev/null
cmp -s "$work/before.reg" "$work/after.reg" || fail "the settings changed during the second start"
[ "$(icon_count)" -eq "$icons" ] || fail "the second start added an icon"
kill -0 "$app" 2>/dev/null || fail "the first instance ended"
main_shown() { ! main_hidden; }
waitfor 50 main_shown || fail "the second start did not show the first one's window"
end_step

# --- 4. the menu's immediate shutdown, only logged under --simulate ---
step "apagar desde el menú"
open_menu || fail "a right-click on the icon opened no menu"
xdotool key Down Return # the first entry: Apagar el sistema
box=$(wait_box) || fail "Apagar el sistema asked nothing"
answer "$box" Return || fail "the message box did not take Return"
# %LOCALAPPDATA%\Vodivuri\simulate.log
simulated() { cat "$WINEPREFIX"/drive_c/users/*/AppData/Local/Vodivuri/simulate.log 2>/dev/null; }
powered_off() { simulated | grep -aq 'ExitWindowsEx indicadores 8: apagar el equipo'; }
waitfor 100 powered_off ||
  fail "no unforced power-off in the simulation log: $(simulated)"
simulated | grep -aq 'SeShutdownPrivilege' || fail "the simulation log shows no privilege step: $(simulated)"
kill -0 "$app" 2>/dev/null || fail "the simulated shutdown ended the program"
end_step

# --- 5. the menu and "Salir" ---
step "menú y salir"
$wine reg delete 'HKCU\Rurevoduz' /v Left /f >/dev/null
$wine reg delete 'HKCU\Rurevoduz' /v Top /f >/dev/null
open_menu || fail "a right-click on the icon opened no menu"
xdotool key Up Return  # the last entry: Salir
box=$(wait_box) || fail "Salir asked nothing"
answer "$box" Return || fail "the message box did not take Return"
wait_app 30 || fail "the program did not end after Salir -> Yes"
[ "$status" -eq 0 ] || fail "Salir ended with status $status"
[[ "$(setting Left)" =~ ^-?[0-9]+$ && "$(setting Top)" =~ ^-?[0-9]+$ ]] ||
  fail "Salir stored Left '$(setting Left)', Top '$(setting Top)'"
waitfor 50 no_icon || fail "the icon stayed after Salir"
echo "  Salir guardó Left=$(setting Left) Top=$(setting Top)" >&2
end_step

# --- 5b. a first start answered Yes registers the program to run at start-up ---
step "primer arranque: sí"
$wine reg delete 'HKCU\Rurevoduz' /f >/dev/null
run_app "$work/yes.err" --simulate
box=$(wait_box) || fail "the first start asked nothing"
answer "$box" Return || fail "the message box did not take Return"
run_entry() {
  "$wine" reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' /v Vodivuri 2>/dev/null |
    tr -d '\r' | sed -n 's/^ *Vodivuri *REG_SZ *//p'
}
has_run_entry() { [ -n "$(run_entry)" ]; }
starts_with_windows() { [ "$(setting Inicio)" = True ]; }
waitfor 100 has_run_entry || fail "Yes wrote no run entry"
# The program's own path as Windows names it, quoted against blanks.
[ "$(run_entry)" = "\"$(winpath "$exe")\"" ] ||
  fail "the run entry is '$(run_entry)', not the program's quoted path"
waitfor 50 starts_with_windows || fail "Inicio is '$(setting Inicio)' after Yes"
open_menu || fail "no menu to leave with"
xdotool key Up Return
box=$(wait_box) || fail "Salir asked nothing"
answer "$box" Return || fail "the message box did not take Return"
wait_app 30 || fail "the program did not end after Salir -> Yes"
echo "  entrada de inicio: $(run_entry)" >&2
end_step

# --- 5c. the keyboard ---
source "$here/keyboard.sh"

# --- 6. the scheduled minute under both families of rules ---
source "$here/schedule.sh"

# --- 7. pictures of the four windows ---
if [ -n "$shots" ]; then
  source "$here/screenshots.sh"
fi
echo "Vodivuri.exe de extremo a extremo: correcto ($(elapsed) s)"
