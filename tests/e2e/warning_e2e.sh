#!/usr/bin/env bash
# The warning a minute before a scheduled action, end to end: the real
# program under Xvfb with trayer, a fake clock (faketime) and dbusmock's
# notification daemon on a private session bus.
#   1. a shutdown every day at 11:00, the program started at 10:58:50: no
#      notification before 10:59, exactly one at 10:59 with the program's
#      name and the exact text; its click shows the main window; the
#      simulated request at 11:00;
#   2. started at 10:59:57 (inside the warning's minute): no notification,
#      the request at 11:00 all the same;
#   2b. the notification's «Cancelar»: the action unticked in the settings
#      file, no request at 11:00;
#   3. no session bus: the icon's own balloon at 10:59 instead.
# Usage: warning_e2e.sh PROGRAM
set -euo pipefail
here=$(dirname "${BASH_SOURCE[0]}")
. "$here/lib.sh"
program=$(realpath "$1")
name=$(basename "$program")
work=$(mktemp -d)
trap 'e2e_cleanup; rm -rf "$work"' EXIT
# libfaketime itself rather than the faketime wrapper, which runs the program
# as a child: the program's own process id is then the one to stop.
libfaketime=$(ls /usr/lib/*/faketime/libfaketimeMT.so.1 2>/dev/null | head -n 1)
[ -n "$libfaketime" ] || fail "libfaketime is missing (the faketime package)"

start_display 1024x768x24
start_tray
export LC_ALL=C.UTF-8 TZ=UTC
unset QT_QPA_PLATFORM

text="El sistema se apagará a las 11:00. Para evitarlo, desmarque la acción en la ventana de Vodivuri."

# A private session bus with the notification daemon, its calls logged.
# On a socket file, so that a program in a network namespace of its own
# reaches it too.
dbus-daemon --session --nofork --address="unix:path=$work/bus.sock" --print-address=3 \
  3>"$work/bus" 2>/dev/null &
e2e_pids+=($!)
waitfor 50 grep -q . "$work/bus" || fail "dbus-daemon told no address"
bus=$(head -n 1 "$work/bus")
DBUS_SESSION_BUS_ADDRESS=$bus /usr/bin/python3 -m dbusmock --session --template notification_daemon \
  -l "$work/notify.log" >/dev/null 2>&1 &
e2e_pids+=($!)
mock() {
  gdbus call --address "$bus" --dest org.freedesktop.Notifications \
    --object-path /org/freedesktop/Notifications --method "org.freedesktop.DBus.Mock.$1" "${@:2}"
}
waitfor 150 mock GetCalls || fail "the notification daemon did not start"
export DBUS_SESSION_BUS_ADDRESS=$bus
# How many notifications the daemon has received since it started.
notifies() { grep -ac ' Notify ' "$work/notify.log" || true; }

# A fresh user whose settings arm a shutdown every day at 11:00.
fresh_user() {
  run=$work/$1
  export XDG_CONFIG_HOME=$run/config XDG_RUNTIME_DIR=$run/runtime HOME=$run/home
  mkdir -p "$XDG_CONFIG_HOME/vodivuri" "$HOME" && mkdir -m 700 "$XDG_RUNTIME_DIR"
  write_settings "$XDG_CONFIG_HOME/vodivuri/user.reg" ApagarSistema=True Hora=11 Minutos=00
}

# One copy per user runs, found through an abstract socket: a private
# network namespace keeps other copies on this machine (other tests of the
# same user) from being taken for this one.
isolated=()
if unshare -n true 2>/dev/null; then isolated=(unshare -n); fi

# launch FAKE_START: the program on a clock that starts there; the real time
# of its start (ms) in $launched.
launch() {
  launched=$(date +%s%3N)
  LD_PRELOAD=$libfaketime FAKETIME="@2026-12-08 $1" "${isolated[@]}" "$program" --simulate >"$run/out.log" 2>"$run/err.log" &
  app=$!
  e2e_pids+=("$app")
  waitfor 100 tray_icon "$name" || fail "$run: the icon did not dock"
}
# Milliseconds of the fake clock since its start.
fake_ms() { echo $(($(date +%s%3N) - launched)); }
requested() { grep -q 'simulación: apagar el equipo' "$run/err.log"; }
# Waits for the simulated request and says when it came on the fake clock.
wait_request() {
  waitfor $(($1 * 10)) requested || fail "$2: no simulated request: $(cat "$run/err.log")"
  request_at=$(fake_ms)
}
stop_app() {
  kill "$app" 2>/dev/null || true
  wait "$app" 2>/dev/null || true
}

# --- 1. the warning at 10:59, its click, the request at 11:00 ---
fresh_user warned
launch 10:58:50
waitfor 30 gone Vodivuri || fail "warned: the window did not hide at start"
# Until just before 10:59:00 (10 s on the fake clock), nothing.
while (($(fake_ms) < 9700)); do
  [ "$(notifies)" -eq 0 ] || fail "warned: a notification before 10:59 (at $(fake_ms) ms)"
  sleep 0.2
done
waitfor 50 sh -c "grep -q ' Notify ' '$work/notify.log'" || fail "warned: no notification by 10:59:05"
seen_at=$(fake_ms)
line=$(grep ' Notify ' "$work/notify.log")
# dbusmock logs: TIME Notify "app" replaces "icon" "summary" "body" [actions] {hints} timeout
case $line in
  *' Notify "Vodivuri" 0 '*) ;;
  *) fail "warned: not sent as Vodivuri: $line" ;;
esac
grep -qF "\"Vodivuri\" \"$text\" [\"default\"" <<<"$line" || fail "warned: summary or body: $line"
grep -q 'vodivuri' <<<"${line#* Notify \"Vodivuri\" 0 }" || fail "warned: no icon: $line"
echo "ok: one notification at 10:59, seen $((seen_at - 10000)) ms after the minute began"

# A click on it (the daemon's ActionInvoked for the default action).
gone Vodivuri || fail "warned: the window showed before the click"
mock EmitSignal org.freedesktop.Notifications ActionInvoked us "[<uint32 1>, <'default'>]" >/dev/null
waitfor 30 viewable Vodivuri || fail "warned: a click on the notification did not show the window"
echo "ok: the click showed the main window"

wait_request 65 warned
((request_at >= 70000)) || fail "warned: the request came before 11:00 (at $request_at ms)"
sleep 1.5
[ "$(notifies)" -eq 1 ] || fail "warned: $(notifies) notifications for one firing"
echo "ok: the simulated request $((request_at - 70000)) ms after 11:00, no second notification"
stop_app

# --- 2. started inside the warning's minute: no notification ---
fresh_user late
launch 10:59:57
wait_request 15 late
((request_at >= 3000)) || fail "late: the request came before 11:00 (at $request_at ms)"
sleep 1
[ "$(notifies)" -eq 1 ] || fail "late: a notification from a program started at 10:59:57"
echo "ok: started at 10:59:57, no notification, the request $((request_at - 3000)) ms after 11:00"
stop_app

# --- 2b. the notification's «Cancelar» disarms ---
fresh_user cancelled
settings=$XDG_CONFIG_HOME/vodivuri/user.reg
launch 10:58:55
waitfor 100 sh -c "[ \$(grep -ac ' Notify ' '$work/notify.log') -ge 2 ]" ||
  fail "cancelled: no notification by 10:59"
grep ' Notify ' "$work/notify.log" | tail -n 1 | grep -qF '["default", "Mostrar", "cancelar", "Cancelar"]' ||
  fail "cancelled: no «Cancelar» button: $(grep ' Notify ' "$work/notify.log" | tail -n 1)"
mock EmitSignal org.freedesktop.Notifications ActionInvoked us "[<uint32 2>, <'cancelar'>]" >/dev/null
waitfor 50 grep -q '^"ApagarSistema"="False"' "$settings" ||
  fail "cancelled: the settings still arm it: $(cat "$settings")"
gone Vodivuri || fail "cancelled: «Cancelar» showed the window"
# Past 11:00 on the fake clock (65 s after 10:58:55): no request.
waitfor 700 sh -c "[ \$((\$(date +%s%3N) - $launched)) -ge 67000 ]"
requested && fail "cancelled: the shutdown was requested all the same"
echo "ok: «Cancelar» unticked the action in the settings file; nothing requested at 11:00"
stop_app

# --- 3. no session bus: the icon's own balloon ---
fresh_user balloon
export DBUS_SESSION_BUS_ADDRESS=disabled:
launch 10:58:57
waitfor 30 gone Vodivuri || fail "balloon: the window did not hide at start: $(cat "$run/err.log")"
icon_only=$(mapped_windows "$name")
more_windows() { [ "$(mapped_windows "$name")" -gt "$icon_only" ]; }
sleep 1.5
more_windows && fail "balloon: a window of the program before 10:59"
waitfor 50 more_windows || fail "balloon: no balloon by 10:59:05"
gone Vodivuri || fail "balloon: the main window showed instead"
echo "ok: without a notification service, the icon's balloon at 10:59 (at $(fake_ms) ms)"
! grep -q 'no se pudo mostrar el aviso' "$run/err.log" || fail "balloon: $(cat "$run/err.log")"
stop_app
echo "warning_e2e: correct"
