#!/usr/bin/env bash
# The real desktop program end to end: under Xvfb with a tray host, a mock logind
# on a private system bus, and a fake clock a few seconds before the scheduled
# minute. Checks that the shutdown reaches logind within that minute (once, and
# nothing else), that the icon docks and comes back after the tray host
# restarts, and measures start-up time to the icon, memory and idle wake-ups.
# Usage: desktop_e2e.sh PROGRAM [MEASUREMENTS_FILE]
set -euo pipefail
program=$(realpath "$1")
measurements=${2:-}
name=$(basename "$program")
work=$(mktemp -d)
pids=()

cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  # What the shared helpers started (the display, trayer).
  if declare -F e2e_cleanup >/dev/null; then e2e_cleanup; fi
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FALLO: $*" >&2; exit 1; }
# waitfor TENTHS COMMAND...: polls COMMAND every 0.1 s.
waitfor() {
  local tries=$1; shift
  for ((i = 0; i < tries; i++)); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done
  return 1
}
now() { date +%s.%N; }

# --- a private system bus with a mock logind ---
dbus-daemon --session --nofork --print-address=3 3>"$work/addr" >/dev/null 2>&1 &
pids+=($!)
waitfor 50 test -s "$work/addr" || fail "dbus-daemon did not start"
DBUS_SYSTEM_BUS_ADDRESS=$(head -n 1 "$work/addr")
export DBUS_SYSTEM_BUS_ADDRESS
/usr/bin/python3 -m dbusmock --template logind -l "$work/calls.log" >/dev/null 2>&1 &
pids+=($!)
owned() {
  /usr/bin/python3 -c 'import dbus, sys
bus = dbus.bus.BusConnection(sys.argv[1])
sys.exit(0 if bus.name_has_owner("org.freedesktop.login1") else 1)' "$DBUS_SYSTEM_BUS_ADDRESS"
}
waitfor 100 owned || fail "the mock logind did not start"

# --- a display with a notification area ---
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
start_display 1024x768x24
start_tray
docked() { xwininfo -name panel -tree 2>/dev/null | grep -q "\"$name\""; }

# --- the user's settings: shut down every day at 07:30 ---
export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run" HOME="$work/home"
mkdir -p "$XDG_CONFIG_HOME/vodivuri" "$HOME" && mkdir -m 700 "$XDG_RUNTIME_DIR"
settings() { write_settings "$XDG_CONFIG_HOME/vodivuri/user.reg" ApagarSistema="$1"; }
export DBUS_SESSION_BUS_ADDRESS=disabled: TZ=UTC LC_ALL=C.UTF-8

# --- run 1: idle, measured ---
settings False
t0=$(now)
"$program" 2>"$work/idle.err" &
app=$!
pids+=($app)
waitfor 100 docked || fail "the icon did not dock: $(cat "$work/idle.err")"
t1=$(now)
sleep 1
rss_kb=$(awk '/VmRSS/ {print $2}' "/proc/$app/status")
switches() { awk '/ctxt_switches/ {s += $2} END {print s}' "/proc/$app/status"; }
c0=$(switches)
sleep 10
c1=$(switches)
# The icon comes back after the notification area is re-created.
kill "$tray_pid"
waitfor 50 sh -c "! xwininfo -name panel" || true
t2=$(now)
start_tray
waitfor 100 docked || fail "the icon did not come back after the tray host restarted"
t3=$(now)
kill "$app"
wait "$app" 2>/dev/null || true
[ -s "$work/calls.log" ] && fail "an idle program asked logind for something: $(cat "$work/calls.log")"

# --- run 2: the scheduled minute, ten times faster ---
settings True
faketime -f '@2026-12-08 07:29:55 x10' "$program" 2>"$work/armed.err" &
app=$!
pids+=($app)
# 07:31:10 of the fake clock is about 7.5 s away.
waitfor 150 grep -q PowerOff "$work/calls.log" || fail "no PowerOff within the scheduled minute"
sleep 8
kill "$app"
wait "$app" 2>/dev/null || true
poweroffs=$(grep -c 'PowerOff' "$work/calls.log" || true)
[ "$poweroffs" -eq 1 ] || fail "expected one PowerOff, got $poweroffs: $(cat "$work/calls.log")"
grep -q 'PowerOff False' "$work/calls.log" || fail "PowerOff was interactive: $(cat "$work/calls.log")"
if grep -Eq 'Reboot|TerminateSession|KillSession' "$work/calls.log"; then
  fail "unexpected logind calls: $(cat "$work/calls.log")"
fi

report=$(awk -v t0="$t0" -v t1="$t1" -v t2="$t2" -v t3="$t3" -v rss="$rss_kb" -v c0="$c0" -v c1="$c1" 'BEGIN {
  printf "start-up to icon: %.2f s\nresident memory after start-up: %.1f MiB\n", t1 - t0, rss / 1024
  printf "wake-ups while idle: %.1f per second\nicon back after the tray host restarted: %.2f s (its own start included)\n", (c1 - c0) / 10, t3 - t2 }')
echo "$report"
[ -n "$measurements" ] && echo "$report" >"$measurements"
echo "desktop end-to-end: PowerOff once at 07:30, nothing else; icon docked and came back"
