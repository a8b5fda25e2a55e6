#!/usr/bin/env bash
# Vodivuri.exe's warning a minute ahead, under Wine with trayer: a shutdown
# every day two minutes after the start; the balloon's record (NIM_MODIFY with
# NIF_INFO) reaches Shell_NotifyIconA once, in the minute before, and not
# earlier; the tray shows the balloon with its title and text; the simulated
# request follows at the minute itself. (Wine 8's balloon tells its owner of
# no click: the click's message is left to the Win32 host's own tests.)
# The relay trace shows the call, the systray channel of the prefix's explorer
# the flags it received and the relay of its DrawTextW the balloon's texts.
# Usage: warning_e2e.sh WINE_LOADER VODIVURI_EXE
set -euo pipefail
wine=$1
exe=$(realpath "$2")
here=$(dirname "$(realpath "$0")")
source "$here/lib.sh"

use_wine "$1"
work=$(mktemp -d "${TMPDIR:-/tmp}/vodivuri-warning.XXXXXX")
trap cleanup EXIT

start_display 85 89

step "prefijo"
export WINEPREFIX="$work/prefix"
"$wine" wineboot -i >/dev/null 2>&1 || fail "wineboot failed"
wineserver -p 2>/dev/null || true # a warm server for what follows
cat >"$work/base.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine]
"Version"="winxp"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_CURRENT_USER\Software\Wine\Debug]
"RelayInclude"="shell32.Shell_NotifyIconA;user32.ExitWindowsEx;user32.DrawTextW"

[HKEY_CURRENT_USER\Rurevoduz]
"CreateValue"="01/12/2026"
"Inicio"="False"
"Left"="4770"
"Top"="3255"
"Forzar"="False"
"Siempre"="True"
"ApagarSistema"="True"
"ReiniciarSistema"="False"
"ReiniciarSesion"="False"
REG
"$wine" regedit /S "$(winpath "$work/base.reg")"
end_step

step "aviso"
# The warning's minute must begin after the program is up: start early in a
# minute, and schedule the one after next.
second=$((10#$(date +%S)))
if ((second > 40)); then sleep $((61 - second)); fi
target=$((($(date +%s) / 60 + 2) * 60))
warn=$((target - 60))
hour=$(date -d "@$target" +%H)
minute=$(date -d "@$target" +%M)
printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Rurevoduz]\n"Hora"="%s"\n"Minutos"="%s"\n"FechaProgramada"="%s"\n' \
  "$hour" "$minute" "$(date -d "@$target" +%d/%m/%Y)" >"$work/time.reg"
"$wine" regedit /S "$(winpath "$work/time.reg")"
# The program starts the prefix's explorer, which keeps the tray, with its
# own channels and standard error: the balloon's texts are traced there.
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
relay=$work/relay.log
WINEDEBUG=+relay,+systray "$wine" "$exe" --simulate 2>"$relay" &
app=$!
pids+=($app)

# NIM_ADD docks the icon; NIM_MODIFY (1) is the balloon.
modify_calls() { grep -ac 'Call shell32.Shell_NotifyIconA(00000001' "$relay" || true; }
simulated() { cat "$WINEPREFIX"/drive_c/users/*/AppData/Local/Vodivuri/simulate.log 2>/dev/null; }
requested() { simulated | grep -aq 'apagar el equipo'; }
# The balloon: a window of the prefix's explorer below the tray (trayer's
# panel is 32 pixels high). Prints its id.
balloon_window() {
  local id
  for id in $(xwininfo -root -children | awk '/\("explorer.exe" "explorer.exe"\)/ {
      split($(NF-1), g, /[x+]/); if (g[1] > 100 && g[2] > 40) print $1 }'); do
    xwininfo -id "$id" | grep -q IsViewable && { echo "$id"; return 0; }
  done
  return 1
}

icon_at="" clean_at="" balloon_at="" request_at="" shown=""
while (($(date +%s) < target + 15)); do
  now=$(date +%s%3N)
  [ -n "$icon_at" ] || { grep -aq 'Call shell32.Shell_NotifyIconA(00000000' "$relay" && icon_at=$now; }
  if [ -z "$balloon_at" ]; then
    if (($(modify_calls) > 0)); then balloon_at=$(date +%s%3N); else clean_at=$now; fi
  fi
  if [ -n "$balloon_at" ] && [ -z "$shown" ]; then
    shown=no
    waitfor 100 balloon_window && shown=yes
  fi
  if [ -z "$request_at" ] && requested; then request_at=$(date +%s%3N); break; fi
  sleep 0.2
done
sleep 2 # a few more ticks of the minute
cp "$relay" "${VODIVURI_WARNING_TRACE:-/dev/null}" 2>/dev/null || true

what="Apagar every day at $hour:$minute (winxp)"
[ -n "$icon_at" ] || fail "$what: the program did not start"
((icon_at < warn * 1000)) || fail "$what: the icon came only in the warning's minute"
[ -n "$balloon_at" ] || fail "$what: no NIM_MODIFY by $hour:$minute"
((clean_at >= warn * 1000 - 1000)) || fail "$what: the trace was not watched up to the warning's minute"
((balloon_at >= warn * 1000)) || fail "$what: the balloon came before the minute before ($balloon_at)"
((balloon_at < target * 1000)) || fail "$what: the balloon came only at $hour:$minute"
[ "$(modify_calls)" -eq 1 ] || fail "$what: $(modify_calls) balloons for one firing"
# The record's flags as the tray received them: NIF_INFO (0x10) alone.
flags=$(grep -a -A3 'Call shell32.Shell_NotifyIconA(00000001' "$relay" | grep -ao 'modify_icon .*flags=[0-9a-f]*' | head -n 1)
[ "${flags##*flags=}" = 10 ] || fail "$what: the tray got '$flags', not the flags NIF_INFO"
# Drawn in the balloon: the title and the text (relay strings escape non-ASCII).
text="El sistema se apagar\\00e1 a las $hour:$minute. Para evitarlo, desmarque la acci\\00f3n en la ventana de Vodivuri."
drawn() { grep -a 'Call user32.DrawTextW(' "$relay" | grep -aqF "L\"$1\","; }
drawn Vodivuri || fail "$what: no balloon titled Vodivuri was drawn"
drawn "$text" || fail "$what: the balloon did not show '$text': $(grep -a 'DrawTextW' "$relay" | head -n 4)"
[ "$shown" = yes ] || fail "$what: no balloon on the screen"
[ -n "$request_at" ] || fail "$what: no simulated request by $hour:$minute:15: $(simulated)"
((request_at >= target * 1000)) || fail "$what: the request came before $hour:$minute"
echo "  NIM_MODIFY $((balloon_at - warn * 1000)) ms after the minute before began, the request" \
  "$((request_at - target * 1000)) ms after $hour:$minute" >&2
end_step
echo "aviso de Vodivuri.exe: correcto ($(elapsed) s)"
