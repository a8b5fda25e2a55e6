#!/usr/bin/env bash
# A second start of the real program, on a private X server with trayer as the
# notification area: it shows the running copy's hidden window (as a
# double-click on the icon does) and ends with status 0 without touching the
# settings; a copy that holds the lock but does not answer is said so within
# the bound; a socket left by a killed copy does not stop the next start.
# Usage: second_start_e2e.sh PROGRAM
set -euo pipefail
here=$(dirname "${BASH_SOURCE[0]}")
. "$here/lib.sh"
program=$(realpath "$1")
name=$(basename "$program")
work=$(mktemp -d)
trap 'e2e_cleanup; rm -rf "$work"' EXIT

start_display 1024x768x24
start_tray
export DBUS_SESSION_BUS_ADDRESS=disabled: LC_ALL=C.UTF-8 TZ=UTC
unset QT_QPA_PLATFORM
export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime HOME=$work/home
mkdir -p "$XDG_CONFIG_HOME/vodivuri" "$HOME" && mkdir -m 700 "$XDG_RUNTIME_DIR"
settings=$XDG_CONFIG_HOME/vodivuri/user.reg
# An earlier run's settings: no first-start question.
write_settings "$settings"

launch() {
  "$program" --simulate >"$work/first.out" 2>"$work/first.err" &
  app=$!
  e2e_pids+=("$app")
  waitfor 100 tray_icon "$name" || fail "$1: the icon did not dock: $(cat "$work/first.err")"
  waitfor 50 gone Vodivuri || fail "$1: the window did not hide at start"
}

# second_start CASE: a second copy, which must end by itself with status 0,
# saying nothing, the settings as they were.
second_start() {
  local status=0
  cp "$settings" "$work/before.reg"
  timeout 10 "$program" --simulate >"$work/second.out" 2>"$work/second.err" || status=$?
  [ "$status" -eq 0 ] || fail "$1: the second copy ended with $status: $(cat "$work/second.err")"
  [ ! -s "$work/second.err" ] || fail "$1: the second copy said: $(cat "$work/second.err")"
  cmp -s "$work/before.reg" "$settings" || fail "$1: the settings changed"
  kill -0 "$app" 2>/dev/null || fail "$1: the first copy ended"
}

launch "start"
second_start "hidden window"
waitfor 50 viewable Vodivuri || fail "the second start did not show the hidden window"
echo "ok: a second start shows the hidden window"

# Shown already: it stays so, and nothing else opens.
windows=$(mapped_windows "$name")
second_start "window on show"
viewable Vodivuri || fail "the second start hid the window"
[ "$(mapped_windows "$name")" -eq "$windows" ] || fail "the second start opened another window"
echo "ok: a second start leaves a shown window shown"

# Killed, the first copy leaves its socket behind; the next start takes over.
kill -KILL "$app"
wait "$app" 2>/dev/null || true
no_icon() { ! tray_icon "$name" >/dev/null; }
waitfor 50 no_icon || fail "the killed copy's icon stayed"
[ -S "$XDG_CONFIG_HOME/vodivuri/instance.sock" ] || fail "no socket left by the killed copy"
launch "start after a killed copy"
second_start "after a killed copy"
waitfor 50 viewable Vodivuri || fail "after a killed copy: the window was not shown"
echo "ok: a socket left by a killed copy does not stop the next one"
kill "$app"
wait "$app" 2>/dev/null || true

# Something holds the lock and answers nothing: said in one line within the
# bound, status 0, nothing started.
# The lock taken on a descriptor the stand-in itself keeps, so ending it frees it.
(
  exec 9>"$XDG_CONFIG_HOME/vodivuri/instance.lock"
  flock 9
  exec sleep 60
) >/dev/null 2>&1 &
holder=$!
e2e_pids+=("$holder")
waitfor 50 sh -c "! flock -n '$XDG_CONFIG_HOME/vodivuri/instance.lock' true" ||
  fail "the stand-in did not take the lock"
cp "$settings" "$work/before.reg"
start=$(date +%s%N)
status=0
timeout 10 "$program" --simulate 2>"$work/mute.err" || status=$?
elapsed=$((($(date +%s%N) - start) / 1000000))
[ "$status" -eq 0 ] || fail "no answer: status $status"
[ "$(wc -l <"$work/mute.err")" -eq 1 ] && grep -q 'did not answer' "$work/mute.err" ||
  fail "no answer: it said: $(cat "$work/mute.err")"
((elapsed < 4000)) || fail "no answer: it waited $elapsed ms"
cmp -s "$work/before.reg" "$settings" || fail "no answer: the settings changed"
! tray_icon "$name" >/dev/null || fail "no answer: it started all the same"
echo "ok: a copy that does not answer is said so after $elapsed ms"
echo "second start end-to-end: the window shown, the settings untouched"
