#!/usr/bin/env bash
# The real program on native Wayland: sway (headless) with waybar, whose tray
# is the session's StatusNotifierWatcher and host, on a session bus of this
# run, power requests only simulated. The program runs on Qt's wayland
# platform; its icon registers with waybar; the host's Activate shows the
# window and the host's menu request opens no window of the program's own
# (there only the exported menu exists); the exported menu's entries run; the
# place stored before is still the stored place after the program ends, as
# Wayland tells no client where its window is.
# sway refuses to run as root: as root, the run is made as the user nobody.
# Usage: wayland_e2e.sh PROGRAM
set -euo pipefail
here=$(dirname "${BASH_SOURCE[0]}")
program=$(realpath "$1")

if [ "${1:-}" != --inside ] && [ "${2:-}" != --inside ]; then
  for tool in sway waybar swaymsg dbus-run-session gdbus; do
    command -v "$tool" >/dev/null || { echo "FALLO: $tool is not installed" >&2; exit 1; }
  done
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  cp "$here/lib.sh" "$work/"
  cp "${BASH_SOURCE[0]}" "$work/run.sh"
  # The program and its pictures where that user can reach them (a build
  # folder may be private to its owner).
  cp "$program" "$work/vodivuri"
  cp -r "$here/../../assets" "$work/assets"
  program=$work/vodivuri
  as=()
  if [ "$(id -u)" -eq 0 ]; then
    chown -R nobody "$work"
    chmod 755 "$work"
    as=(runuser -u nobody --)
  fi
  exec "${as[@]}" env -i PATH="$PATH" HOME="$work" NO_AT_BRIDGE=1 VODIVURI_ASSETS="$work/assets" VODIVURI_E2E_KEEP="${VODIVURI_E2E_KEEP:-}" LC_ALL=C.UTF-8 TZ=UTC \
    dbus-run-session -- bash "$work/run.sh" "$program" --inside
fi

# --- inside: a session of its own ---
work=$HOME
. "$work/lib.sh"
trap 'e2e_cleanup; [ -z "${VODIVURI_E2E_KEEP:-}" ] || cp -r "$work" /tmp/wayland-kept' EXIT
export XDG_RUNTIME_DIR=$work/runtime XDG_CONFIG_HOME=$work/config
mkdir -m 700 "$XDG_RUNTIME_DIR"
mkdir -p "$XDG_CONFIG_HOME/vodivuri"
cat >"$work/waybar.json" <<'JSON'
{ "layer": "top", "position": "top", "height": 30, "modules-right": ["tray"],
  "tray": { "icon-size": 22, "spacing": 4 } }
JSON
cat >"$work/sway.cfg" <<CFG
output HEADLESS-1 resolution 1280x800
xwayland disable
CFG
WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
  sway -c "$work/sway.cfg" >"$work/sway.log" 2>&1 &
e2e_pids+=($!)
waitfor 100 sh -c "ls '$XDG_RUNTIME_DIR' | grep -qx 'wayland-[0-9]*'" ||
  fail "sway did not start: $(tail -3 "$work/sway.log")"
WAYLAND_DISPLAY=$(ls "$XDG_RUNTIME_DIR" | grep -x 'wayland-[0-9]*' | head -1)
SWAYSOCK=$(ls "$XDG_RUNTIME_DIR"/sway-ipc.*.sock | head -1)
export WAYLAND_DISPLAY SWAYSOCK
unset DISPLAY

watcher_get() {
  gdbus call --session -d org.kde.StatusNotifierWatcher -o /StatusNotifierWatcher \
    -m org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierWatcher "$1" 2>/dev/null
}
host_there() { watcher_get IsStatusNotifierHostRegistered | grep -q true; }
waybar -c "$work/waybar.json" >"$work/waybar.log" 2>&1 &
e2e_pids+=($!)
waitfor 150 host_there || fail "waybar's tray did not come up: $(tail -3 "$work/waybar.log")"

# The program's windows in sway's tree: "name WIDTHxHEIGHT visible" per line.
windows() {
  swaymsg -t get_tree -r | /usr/bin/python3 -c '
import json, sys
def walk(n):
    if n.get("pid") and n.get("app_id") is not None or n.get("window_properties"):
        r = n["rect"]
        print("%s %dx%d %s" % (n.get("name"), r["width"], r["height"], n.get("visible")))
    for c in n.get("nodes", []) + n.get("floating_nodes", []):
        walk(c)
walk(json.load(sys.stdin))'
}
main_shown() { windows | grep -q '^Vodivuri .* True$'; }
main_gone() { ! windows | grep -q '^Vodivuri '; }

settings=$XDG_CONFIG_HOME/vodivuri/user.reg
write_settings "$settings" ApagarSistema=True FechaProgramada=24/12/2030 Siempre=False \
  Left=4815 Top=3690
QT_QPA_PLATFORM=wayland "$program" --simulate >"$work/out.log" 2>"$work/err.log" &
app=$!
e2e_pids+=("$app")
item() { watcher_get RegisteredStatusNotifierItems | grep -o "org.kde.StatusNotifierItem-$app-[0-9]*"; }
waitfor 100 item || fail "the icon did not register with waybar: $(cat "$work/err.log")"
service=$(item)
grep -q 'wayland' "/proc/$app/maps" || fail "the program does not run on Qt's wayland platform"
waitfor 50 main_gone || fail "the window did not hide at start: $(windows)"
echo "ok: native Wayland, the icon in waybar's tray"

sni() {
  gdbus call --session -d "$service" -o /StatusNotifierItem -m "org.kde.StatusNotifierItem.$1" 0 0
}
sni Activate >/dev/null
waitfor 50 main_shown || fail "Activate did not show the window: $(windows)"
echo "ok: the host's Activate shows the window"

before=$(windows | wc -l)
sni ContextMenu >/dev/null
# Asked for the menu, the program answers the call and opens nothing: the host
# draws the exported menu.
gdbus call --session -d "$service" -o /StatusNotifierItem \
  -m org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierItem Id | grep -q Vodivuri ||
  fail "the item stopped answering"
more_windows() { [ "$(windows | wc -l)" -gt "$before" ]; }
! waitfor 10 more_windows || fail "a window of the program's own opened: $(windows)"
echo "ok: no popup window of the program's own on Wayland"

# «Minimizar» from the exported menu, as waybar sends it.
layout=$(gdbus call --session -d "$service" -o /MenuBar -m com.canonical.dbusmenu.GetLayout -- 0 -1 '[]')
id=$(echo "$layout" | grep -o "([0-9]*, {'label': <'Minimizar'>" | grep -o '^([0-9]*' | tr -d '(')
[ -n "$id" ] || fail "no «Minimizar» in the exported menu: $layout"
gdbus call --session -d "$service" -o /MenuBar -m com.canonical.dbusmenu.Event "$id" clicked '<0>' 0 >/dev/null
waitfor 50 main_gone || fail "«Minimizar» from the exported menu did not hide the window"
echo "ok: the exported menu's entries run"

# «Salir» from the exported menu asks its question (no keyboard here to answer
# it: the session's end answers for the user).
id=$(echo "$layout" | grep -o "([0-9]*, {'label': <'Salir'>" | grep -o '^([0-9]*' | tr -d '(')
[ -n "$id" ] || fail "no «Salir» in the exported menu: $layout"
gdbus call --session -d "$service" -o /MenuBar -m com.canonical.dbusmenu.Event "$id" clicked '<0>' 0 >/dev/null
question_shown() { windows | grep -q '^Vodivuri [0-9]*x[0-9]* True$'; }
waitfor 50 question_shown || fail "«Salir» from the exported menu asked nothing: $(windows)"
echo "ok: «Salir» from the exported menu asks its question"

kill -TERM "$app"
waitfor 50 sh -c "! kill -0 $app" || fail "the program did not end"
status=0
wait "$app" || status=$?
[ "$status" -eq 0 ] || fail "exit status $status: $(cat "$work/err.log")"
grep -qx '"Left"="4815"' "$settings" && grep -qx '"Top"="3690"' "$settings" ||
  fail "the stored place changed: $(grep -E '"(Left|Top)"' "$settings" | tr '\n' ' ')"
echo "ok: the stored place is kept where Wayland cannot tell it"
