#!/usr/bin/env bash
# The Windows setup program under Wine, in a throwaway prefix with its own
# Xvfb and trayer:
#   1. a silent install (/S) puts Vodivuri.exe and Desinstalar.exe in the
#      per-user programs folder, a Start-menu shortcut to it and an entry in
#      the list of installed programs;
#   2. the installed program starts, asks the first-start question (answered
#      Yes: it writes its run entry), docks its icon;
#   3. a silent install or uninstall while it runs fails (status 2) and
#      changes nothing;
#   4. after «Salir», a silent uninstall removes the files, the shortcut and
#      the entry, empties the run entries (the user's and the machine's) that
#      name the removed program, and keeps the settings under Rurevoduz;
#   5. installed again into a folder given with /D=, uninstalled with
#      /BORRARAJUSTES: the settings go too, and a run entry naming another
#      copy that still exists is left alone.
# Usage: windows_setup_test.sh SETUP.EXE PROGRAM.EXE [SETUP32.EXE PROGRAM32.EXE]
# (SETUP.EXE a setup, PROGRAM.EXE the program it holds, whose kind chooses the
# Wine prefix: 32- or 64-bit. With four arguments: first the 64-bit test setup
# and its program, then the shipped 32-bit setup and its program, which is
# tried only where this machine runs 32-bit programs and said skipped
# elsewhere.)
set -euo pipefail
if [ $# -eq 4 ]; then
  bash "$0" "$1" "$2"
  if /usr/lib/wine/wine --version >/dev/null 2>&1; then
    bash "$0" "$3" "$4"
  elif [ -x /usr/lib/wine/wine ]; then
    echo "Instalación de Windows de 32 bits: omitida, este núcleo no ejecuta programas de 32 bits" \
      "(/usr/lib/wine/wine --version falla); $(basename "$3") no se ha probado" >&2
  else
    echo "Instalación de Windows de 32 bits: omitida, falta la Wine de 32 bits (wine32:i386);" \
      "$(basename "$3") no se ha probado" >&2
  fi
  exit 0
fi
setup=$(realpath "$1")
built=$(realpath "$2")
here=$(dirname "$(realpath "$0")")
work=$(mktemp -d "${TMPDIR:-/tmp}/vodivuri-setup.XXXXXX")
source "$here/../e2e_win32/lib.sh"
trap cleanup EXIT

# The program's kind, not the setup's: NSIS makes both setups 32-bit
# programs unless built for amd64.
case $(file -b "$built") in
  PE32+\ *) wine=/usr/lib/wine/wine64 arch=win64 ;;
  PE32\ *) wine=/usr/lib/wine/wine arch=win32 ;;
  *) fail "$built is no Windows program: $(file -b "$built")" ;;
esac
"$wine" --version >/dev/null 2>&1 || fail "$wine cannot run on this machine"
export WINEPREFIX="$work/prefix" WINEARCH=$arch WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C.UTF-8 TZ=UTC

# Xvfb and trayer on the first display of :60-:69 where both come up: a display
# whose server dies at once (its number just freed and taken again, say) is
# passed over.
display_up() {
  local n xvfb tray
  for ((n = 60; n <= 69; n++)); do
    [ -e "/tmp/.X$n-lock" ] && continue
    export DISPLAY=":$n"
    rm -f "$work/trayer.err"
    Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.err" 2>&1 &
    xvfb=$!
    pids+=("$xvfb")
    if waitfor 300 xdpyinfo && kill -0 "$xvfb" 2>/dev/null; then
      trayer --edge top --align right --widthtype pixel --width 200 --height 32 >"$work/trayer.err" 2>&1 &
      tray=$!
      pids+=("$tray")
      waitfor 300 xwininfo -name panel && kill -0 "$xvfb" 2>/dev/null && return 0
      kill "$tray" 2>/dev/null || true
    fi
    kill "$xvfb" 2>/dev/null || true
    wait "$xvfb" 2>/dev/null || true
    echo "  :$n no sirve, se prueba la siguiente: $(tail -n 3 "$work/xvfb.err" "$work/trayer.err" 2>/dev/null)" >&2
  done
  return 1
}
display_up || fail "no display of :60-:69 came up with trayer"

step "prefijo nuevo"
"$wine" wineboot -i >/dev/null 2>&1 || fail "wineboot failed"
end_step

user=$(id -un) # Wine names the profile after the Unix user
home_win="C:\\users\\$user"
home_unix="$WINEPREFIX/drive_c/users/$user"
inst_win="$home_win\\AppData\\Local\\Programs\\Vodivuri"
inst="$home_unix/AppData/Local/Programs/Vodivuri"
shortcut="$home_unix/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Vodivuri.lnk"
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vodivuri'
run_key='Software\Microsoft\Windows\CurrentVersion\Run'

# reg_value KEY NAME [/reg:32|64]: a text value, empty when missing;
# has_value KEY NAME [/reg:32|64].
reg_value() {
  "$wine" reg query "$1" /v "$2" "${@:3}" 2>/dev/null | tr -d '\r' |
    awk -v n="$2" '$1 == n && $2 == "REG_SZ" {sub(/^ *[^ ]+ +REG_SZ */, ""); print; exit}'
}
has_value() { "$wine" reg query "$1" /v "$2" "${@:3}" >/dev/null 2>&1; }
has_key() { "$wine" reg query "$1" >/dev/null 2>&1; }

# uninstall ARGS...: the uninstaller copies itself away and returns at once;
# the wait is for every process of the prefix to end.
uninstall() {
  "$wine" "$inst_win\\Desinstalar.exe" /S "$@" || fail "the uninstaller did not start"
  timeout 60 wineserver -w || fail "the uninstaller did not end"
}

# --- 1. silent install ---
step "instalación silenciosa"
"$wine" "$setup" /S || fail "the setup ended with $?"
cmp -s "$inst/Vodivuri.exe" "$built" || fail "no Vodivuri.exe, or another one, in $inst"
[ -f "$inst/Desinstalar.exe" ] || fail "no Desinstalar.exe in $inst"
[ -f "$shortcut" ] || fail "no Start-menu shortcut"
strings -a "$shortcut" | grep -qxF "$inst_win\\Vodivuri.exe" ||
  fail "the shortcut does not lead to $inst_win\\Vodivuri.exe"
[ "$(reg_value "$uninstall_key" DisplayName)" = Vodivuri ] || fail "no entry in the list of programs"
[ "$(reg_value "$uninstall_key" DisplayVersion)" = 1.0 ] || fail "the entry shows no version 1.0"
[ "$(reg_value "$uninstall_key" InstallLocation)" = "$inst_win" ] ||
  fail "the entry names '$(reg_value "$uninstall_key" InstallLocation)'"
[ "$(reg_value "$uninstall_key" UninstallString)" = "\"$inst_win\\Desinstalar.exe\"" ] ||
  fail "the entry's UninstallString is '$(reg_value "$uninstall_key" UninstallString)'"
end_step

# --- 2. the installed program ---
step "primer arranque del programa instalado"
exe="$inst/Vodivuri.exe" # what run_app starts
run_app "$work/app.err" --simulate
box=$(wait_box) || fail "the installed program asked nothing at its first start"
answer "$box" Return || fail "the first-start question did not take Return"
waitfor 100 docked || fail "the icon did not dock"
run_set() { [ -n "$(reg_value "HKCU\\$run_key" Vodivuri)" ]; }
waitfor 100 run_set || fail "Yes wrote no run entry"
[ "$(reg_value "HKCU\\$run_key" Vodivuri)" = "\"$inst_win\\Vodivuri.exe\"" ] ||
  fail "the run entry is '$(reg_value "HKCU\\$run_key" Vodivuri)'"
[ "$(setting Inicio)" = True ] || fail "Inicio is '$(setting Inicio)' after Yes"
# The machine's run entries, in both views, as an older install may have set them.
for view in 32 64; do
  "$wine" reg add "HKLM\\$run_key" /v Vodivuri /d "\"$inst_win\\Vodivuri.exe\"" /reg:$view /f >/dev/null
done
end_step

# --- 3. not while it runs ---
step "instalar y desinstalar con el programa abierto"
# Run in place (_?=) so that its status is this process's.
cp "$inst/Desinstalar.exe" "$work/un.exe"
status=0
timeout 60 "$wine" "$work/un.exe" /S "_?=$inst_win" || status=$?
[ "$status" -eq 2 ] || fail "uninstalling a running program ended with $status, not 2"
[ -f "$inst/Vodivuri.exe" ] && [ -f "$shortcut" ] && has_key "$uninstall_key" ||
  fail "a failed uninstall removed part of the program"
[ -n "$(reg_value "HKCU\\$run_key" Vodivuri)" ] || fail "a failed uninstall emptied the run entry"
status=0
timeout 60 "$wine" "$setup" /S || status=$?
[ "$status" -eq 2 ] || fail "installing over a running program ended with $status, not 2"
cmp -s "$inst/Vodivuri.exe" "$built" || fail "installing over a running program changed it"
kill -0 "$app" 2>/dev/null || fail "the program ended"
end_step

# --- 4. uninstall after «Salir» ---
step "salir y desinstalar"
open_menu || fail "a right-click on the icon opened no menu"
xdotool key Up Return # the last entry: Salir
box=$(wait_box) || fail "Salir asked nothing"
answer "$box" Return || fail "the message box did not take Return"
wait_app 30 || fail "the program did not end after Salir"
uninstall
[ ! -e "$inst" ] || fail "the program's folder is still there: $(ls "$inst")"
[ ! -e "$shortcut" ] || fail "the shortcut is still there"
! has_key "$uninstall_key" || fail "the entry in the list of programs is still there"
has_value "HKCU\\$run_key" Vodivuri && [ -z "$(reg_value "HKCU\\$run_key" Vodivuri)" ] ||
  fail "the user's run entry is '$(reg_value "HKCU\\$run_key" Vodivuri)', not empty"
for view in 32 64; do
  has_value "HKLM\\$run_key" Vodivuri /reg:$view || fail "the machine's run entry ($view-bit view) is gone"
  [ -z "$(reg_value "HKLM\\$run_key" Vodivuri /reg:$view)" ] ||
    fail "the machine's run entry ($view-bit view) is '$(reg_value "HKLM\\$run_key" Vodivuri /reg:$view)'"
done
[ "$(setting Inicio)" = True ] && [ -n "$(setting CreateValue)" ] ||
  fail "the settings under Rurevoduz did not stay"
end_step

# --- 5. another folder, settings removed, another copy's run entry kept ---
step "carpeta elegida y /BORRARAJUSTES"
# /D= must come last and unquoted: a folder without blanks.
"$wine" "$setup" /S '/D=C:\Programas\Vodivuri' || fail "the setup ended with $?"
inst_win='C:\Programas\Vodivuri'
inst="$WINEPREFIX/drive_c/Programas/Vodivuri"
cmp -s "$inst/Vodivuri.exe" "$built" || fail "/D= did not install into $inst_win"
[ "$(reg_value "$uninstall_key" InstallLocation)" = "$inst_win" ] || fail "the entry does not name $inst_win"
mkdir -p "$WINEPREFIX/drive_c/Portatil"
cp "$built" "$WINEPREFIX/drive_c/Portatil/Vodivuri.exe"
"$wine" reg add "HKCU\\$run_key" /v Vodivuri /d '"C:\Portatil\Vodivuri.exe"' /f >/dev/null
uninstall /BORRARAJUSTES
[ ! -e "$inst" ] || fail "the program's folder is still there"
! has_key "$uninstall_key" || fail "the entry in the list of programs is still there"
! has_key 'HKCU\Rurevoduz' || fail "/BORRARAJUSTES left the settings"
[ "$(reg_value "HKCU\\$run_key" Vodivuri)" = '"C:\Portatil\Vodivuri.exe"' ] ||
  fail "the run entry of another copy became '$(reg_value "HKCU\\$run_key" Vodivuri)'"
end_step

echo "Instalación de Windows ($arch) de extremo a extremo: correcto ($(elapsed) s)"
