#!/usr/bin/env bash
# The real program on a StatusNotifierItem tray: Xfce 4.18's panel (its
# systray plugin is the session's StatusNotifierWatcher and host) with xfwm4,
# on a private X server and a private session bus, power requests only
# simulated. The icon registers and shows in the panel; a left click on it
# shows the window; the right button opens the program's menu as the panel
# draws it from dbusmenu, and its «Salir» ends the program; a panel that comes
# after the program gets the icon; started together with the window manager,
# the hide at the first activation leaves no frame on the screen.
# Usage: sni_e2e.sh PROGRAM [ARTEFACTS_FOLDER]
set -euo pipefail
here=$(dirname "${BASH_SOURCE[0]}")
. "$here/lib.sh"
program=$(realpath "$1")
work=$(mktemp -d)
artefacts=${2:-$work/artefacts}
mkdir -p "$artefacts"
trap 'e2e_cleanup; [ -n "${VODIVURI_E2E_KEEP:-}" ] || rm -rf "$work"' EXIT
for tool in xfce4-panel xfwm4 dbus-daemon gdbus; do
  command -v "$tool" >/dev/null || fail "$tool is not installed (scripts/install-deps.sh)"
done

start_display 1024x768x24
export LC_ALL=C.UTF-8 TZ=UTC NO_AT_BRIDGE=1
unset QT_QPA_PLATFORM SESSION_MANAGER

# The desktop's configuration: one panel along the top holding only the
# systray plugin, so the program's icon is the first thing on it.
export XDG_CONFIG_HOME=$work/desktop-config
panel_xml=$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml/xfce4-panel.xml
mkdir -p "$(dirname "$panel_xml")"
cat >"$panel_xml" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array">
    <value type="int" value="1"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="p=6;x=0;y=0"/>
      <property name="length" type="uint" value="100"/>
      <property name="position-locked" type="bool" value="true"/>
      <property name="size" type="uint" value="32"/>
      <property name="plugin-ids" type="array">
        <value type="int" value="1"/>
      </property>
    </property>
  </property>
  <property name="plugins" type="empty">
    <property name="plugin-1" type="string" value="systray"/>
  </property>
</channel>
XML

# A session bus of this run only; xfconfd, activated by it, reads the
# configuration above.
dbus-daemon --session --nofork --print-address=1 >"$work/bus" 2>/dev/null &
e2e_pids+=($!)
waitfor 50 test -s "$work/bus" || fail "the session bus did not start"
DBUS_SESSION_BUS_ADDRESS=$(head -1 "$work/bus")
export DBUS_SESSION_BUS_ADDRESS

watcher_get() {
  gdbus call --session -d org.kde.StatusNotifierWatcher -o /StatusNotifierWatcher \
    -m org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierWatcher "$1" 2>/dev/null
}
host_there() { watcher_get IsStatusNotifierHostRegistered | grep -q true; }
registered() { watcher_get RegisteredStatusNotifierItems | grep -q "org.kde.StatusNotifierItem-$app-"; }
start_panel() {
  xfce4-panel >"$work/panel.log" 2>&1 &
  panel=$!
  e2e_pids+=("$panel")
  waitfor 150 host_there || fail "the panel's tray did not come up: $(tail -3 "$work/panel.log")"
}
stop_panel() {
  xfce4-panel --quit >/dev/null 2>&1 || kill "$panel"
  waitfor 50 sh -c "! kill -0 $panel" || fail "the panel did not end"
}
start_wm() {
  xfwm4 --compositor=off >/dev/null 2>&1 &
  wm=$!
  e2e_pids+=("$wm")
}

fresh_user() {
  run=$work/$1
  export HOME=$run/home XDG_RUNTIME_DIR=$run/runtime
  mkdir -p "$HOME/.config/vodivuri" && mkdir -m 700 "$XDG_RUNTIME_DIR"
  settings=$HOME/.config/vodivuri/user.reg
  write_settings "$settings" ApagarSistema=True FechaProgramada=24/12/2030 Siempre=False
}
# The program with the user's folders, the desktop's bus and display.
start_program() {
  XDG_CONFIG_HOME=$HOME/.config "$program" --simulate >"$run/out.log" 2>"$run/err.log" &
  app=$!
  e2e_pids+=("$app")
}
main_mapped() {
  local w
  for w in $(xdotool search --class '^vodivuri$' 2>/dev/null); do
    [ "$(xwininfo -id "$w" | awk '/Map State/ {print $3}')" = IsViewable ] &&
      [ "$(xwininfo -id "$w" | awk '/Width:/ {print $2}')" -gt 300 ] && return 0
  done
  return 1
}
not_mapped() { ! main_mapped; }
# Without a tray, hidden is minimised: iconic, as the taskbar shows it.
main_iconic() {
  local w
  for w in $(xdotool search --class '^vodivuri$' 2>/dev/null); do
    xprop -id "$w" WM_STATE 2>/dev/null | grep -q 'window state: Iconic' &&
      [ "$(xwininfo -id "$w" | awk '/Width:/ {print $2}')" -gt 300 ] && return 0
  done
  return 1
}
menu_open() { [ "$(xdotool search --onlyvisible --name . 2>/dev/null | wc -l)" -gt "$1" ]; }
# The icon: the first place on the panel that is not the panel's own colour.
icon_at() {
  import -window root -crop 200x32+0+0 "$work/panel.png" 2>/dev/null
  /usr/bin/python3 - "$work/panel.png" <<'PY'
import sys
from PIL import Image
img = Image.open(sys.argv[1]).convert("RGB")
w, h = img.size
back = img.getpixel((w - 1, h // 2))
for x in range(w):
    if sum(abs(a - b) for a, b in zip(img.getpixel((x, h // 2)), back)) > 60:
        print(x + 8, h // 2)
        sys.exit(0)
sys.exit(1)
PY
}

start_wm
start_panel

# --- the icon in the panel, its click and its menu ---
fresh_user tray
start_program
waitfor 100 registered || fail "the icon did not register with the panel: $(cat "$run/err.log")"
waitfor 50 not_mapped || fail "the window did not hide at start"
waitfor 50 icon_at >/dev/null || fail "the icon is not drawn on the panel"
read -r ix iy < <(icon_at)
import -window root "$artefacts/sni-panel.png"
echo "ok: the icon is in the panel at $ix,$iy"

xdotool mousemove "$ix" "$iy" click 1
waitfor 50 main_mapped || fail "a click on the icon did not show the window"
echo "ok: a click on the icon shows the window"

# The panel's menu, opened with the right button and walked with the keys as
# the panel draws it: from the end, «Salir», «Acerca de...», «Ayuda», then
# «Minimizar» or «Maximizar»; from the top, «Apagar el sistema».
panel_menu() {
  local before attempt
  before=$(xdotool search --onlyvisible --name . 2>/dev/null | wc -l)
  for attempt in 1 2 3; do
    xdotool mousemove "$ix" "$iy" click 3
    waitfor 30 menu_open "$before" && { sleep 0.3; return 0; }
    echo "no panel menu 3 s after a right click; clicked again" >&2
  done
  fail "the right button opened no menu"
}
panel_menu
import -window root "$artefacts/sni-menu.png"
xdotool key Up Up Up Up Return
waitfor 50 not_mapped || fail "«Minimizar» from the panel's menu did not hide the window"
panel_menu
xdotool key Up Up Up Up Return
waitfor 50 main_mapped || fail "«Maximizar» from the panel's menu did not show the window"
echo "ok: «Minimizar» and «Maximizar» from the panel's menu"

panel_menu
xdotool key Up Up Return
waitfor 50 viewable "Acerca de Vodivuri" || fail "«Acerca de...» from the panel's menu opened nothing"
xdotool key Escape
waitfor 50 gone "Acerca de Vodivuri" || fail "Esc did not close About"
echo "ok: «Acerca de...» from the panel's menu"

requested() { grep -q 'simulación: apagar el equipo' "$run/err.log"; }
panel_menu
xdotool key Down Return
waitfor 50 question_open || fail "«Apagar el sistema» asked nothing"
xdotool key Return # Sí
waitfor 50 requested || fail "«Apagar el sistema» → «Sí» requested nothing: $(cat "$run/err.log")"
echo "ok: «Apagar el sistema» from the panel's menu reaches the (simulated) request"

# «Salir»; its question is answered «Sí».
panel_menu
xdotool key Up Return
waitfor 50 question_open || fail "«Salir» asked nothing"
sleep 0.3
import -window root "$artefacts/sni-question.png"
xdotool key Return
waitfor 80 sh -c "! kill -0 $app" || fail "«Salir» from the panel's menu did not end the program"
status=0
wait "$app" || status=$?
[ "$status" -eq 0 ] || fail "exit status $status: $(cat "$run/err.log")"
! registered || fail "the icon stayed registered"
grep -q '^"Left"="[0-9]*"$' "$settings" && grep -q '^"Top"="[0-9]*"$' "$settings" ||
  fail "the window's place was not stored"
echo "ok: the panel's menu is the program's, and its «Salir» ends it with the place stored"

# --- a panel that comes after the program ---
stop_panel
fresh_user late
start_program
waitfor 50 main_iconic || fail "without a tray the window is not minimised to the taskbar"
start_panel
waitfor 100 registered || fail "the icon did not come when the panel did: $(cat "$run/err.log")"
kill -TERM "$app"
wait "$app" || true
echo "ok: a panel that comes later gets the icon"

# --- started together with the window manager: no frame left behind ---
left=0
for attempt in 1 2 3 4 5; do
  kill "$wm" 2>/dev/null || true
  waitfor 50 sh -c "! kill -0 $wm"
  fresh_user "together-$attempt"
  start_wm
  start_program
  waitfor 100 registered || fail "together $attempt: the icon did not register"
  # Hidden, and still hidden once the window manager has had time to act on
  # anything it had queued.
  if ! waitfor 30 not_mapped || { sleep 0.5 && main_mapped; }; then
    left=$((left + 1))
    import -window root "$artefacts/sni-frame-left-$attempt.png"
  fi
  kill -TERM "$app"
  wait "$app" || true
done
[ "$left" -eq 0 ] || fail "started with the window manager, a frame was left $left of 5 times"
echo "ok: started with the window manager, the first activation hides the window (5 of 5)"
