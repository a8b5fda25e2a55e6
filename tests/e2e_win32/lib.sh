# Helpers of the Windows end-to-end test: the display, the tray, the program
# under Wine, its message boxes, menu and settings. Sourced by win32_e2e.sh,
# which sets $wine, $exe and $work.

pids=()
prefixes=()
started=$(date +%s)
app=""
status=""

# use_wine LOADER: sets $wine to a loader that runs here and Wine's quiet
# environment; the prefix's kind follows the loader (wine64 runs the 64-bit build).
use_wine() {
  wine=$1
  [ -x "$wine" ] || wine=$(command -v "$wine") || fail "no Wine loader $1"
  "$wine" --version >/dev/null 2>&1 || fail "$wine cannot run on this machine"
  export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C.UTF-8 TZ=UTC
  case $(basename "$wine") in
    wine64*) export WINEARCH=win64 ;;
    *) export WINEARCH=win32 ;;
  esac
}

# Says why, keeps a picture of the screen for a look, and stops.
fail() {
  echo "FALLO: $*" >&2
  if [ -n "${DISPLAY:-}" ] && import -window root "${TMPDIR:-/tmp}/vodivuri-e2e-failure.png" 2>/dev/null; then
    echo "  pantalla: ${TMPDIR:-/tmp}/vodivuri-e2e-failure.png" >&2
  fi
  exit 1
}

elapsed() { echo $(($(date +%s) - started)); }

step_started=0
step() {
  step_name=$1
  step_started=$(date +%s)
}
end_step() { echo "  $step_name: $(($(date +%s) - step_started)) s" >&2; }

cleanup() {
  local status=$?
  for p in "${prefixes[@]}" "${WINEPREFIX:-}"; do
    [ -n "$p" ] && [ -d "$p" ] && WINEPREFIX=$p wineserver -k >/dev/null 2>&1 || true
  done
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  if [ "$status" -ne 0 ] && [ -n "${work:-}" ]; then
    for f in "$work"/*.err; do
      [ -s "$f" ] && { echo "--- $f" >&2; tail -n 20 "$f" >&2; }
    done
  fi
  [ -n "${work:-}" ] && rm -rf "$work"
}

# waitfor TENTHS COMMAND...: polls COMMAND every 0.1 s.
waitfor() {
  local tries=$1
  shift
  for ((i = 0; i < tries; i++)); do
    "$@" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  return 1
}

# A Windows path for a file of ours (Wine maps Z: to the root).
winpath() { echo "Z:${1//\//\\}"; }

# start_display FIRST LAST: Xvfb on the first free display of the range, trayer.
start_display() {
  local n
  for ((n = $1; n <= $2; n++)); do
    [ -e "/tmp/.X$n-lock" ] || break
  done
  ((n <= $2)) || fail "no free display between :$1 and :$2"
  export DISPLAY=":$n"
  Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.err" 2>&1 &
  pids+=($!)
  waitfor 300 xdpyinfo || fail "Xvfb did not start on $DISPLAY"
  # trayer sometimes gives up at once on a display just opened: again, then.
  local attempt
  for attempt in 1 2 3; do
    trayer --edge top --align right --widthtype pixel --width 200 --height 32 >"$work/trayer.err" 2>&1 &
    pids+=($!)
    waitfor 100 xwininfo -name panel && return 0
    sleep 0.5
  done
  fail "trayer did not start on $DISPLAY"
}

# run_app ERRFILE ARGS...: starts the program in the background; its pid in $app.
run_app() {
  local err=$1
  shift
  "$wine" "$exe" "$@" 2>"$err" &
  app=$!
  pids+=($app)
}

# wait_app SECONDS: waits for $app to end; its exit status in $status.
wait_app() {
  waitfor $(($1 * 10)) sh -c "! kill -0 $app" || return 1
  status=0
  wait "$app" || status=$?
}

# The visible top-level windows titled "Vodivuri", with their sizes.
vodivuri_windows() {
  local w
  for w in $(xdotool search --onlyvisible --name '^Vodivuri$' 2>/dev/null); do
    echo "$w $(xdotool getwindowgeometry "$w" | awk '/Geometry/ {print $2}')"
  done
}

# The message box: a visible "Vodivuri" window that is not the main window
# (381 x 301, its client area). Prints its id.
wait_box() {
  local tries box
  for ((tries = 0; tries < 300; tries++)); do
    box=$(vodivuri_windows | awk '$2 != "381x301" {print $1; exit}')
    [ -n "$box" ] && { echo "$box"; return 0; }
    sleep 0.1
  done
  return 1
}

# answer WINDOW KEY: a key press in the message box, until it closes. A box
# that has not taken the keyboard focus (there is no window manager to give
# it) gets a click on its empty top-left corner first, as a user would do.
answer() {
  local attempt
  for attempt in 1 2 3 4; do
    if ((attempt > 2)); then
      xdotool mousemove --window "$1" 6 6 click 1 2>/dev/null || true
      sleep 0.2
    fi
    timeout 5 xdotool windowfocus --sync "$1" 2>/dev/null || true
    xdotool key "$2"
    waitfor 50 box_gone "$1" && return 0
  done
  echo "  la ventana $1 no se cerró; foco en $(xdotool getwindowfocus 2>/dev/null);" \
    "ventanas: $(vodivuri_windows | tr '\n' ' ')" >&2
  return 1
}
box_gone() { ! xdotool search --onlyvisible --name '^Vodivuri$' 2>/dev/null | grep -qx "$1"; }

main_hidden() { ! vodivuri_windows | grep -q ' 381x301$'; }

# Icons docked in trayer's panel (its 1x1 helper window aside).
icon_count() {
  xwininfo -name panel -children 2>/dev/null | grep -cE '^ +0x[0-9a-f]+ .* [0-9]{2,}x[0-9]{2,}\+' || true
}
docked() { [ "$(icon_count)" -ge 1 ]; }

# Right-click on the first icon; true once a menu window is up.
open_menu() {
  local place x y
  place=$(xwininfo -name panel -children | grep -E '^ +0x[0-9a-f]+ .* [0-9]{2,}x[0-9]{2,}\+' | head -n 1 |
    awk '{print $NF, $(NF-1)}')
  # "+X+Y WxH+x+y": the absolute corner is the last field.
  x=$(echo "$place" | awk '{split($1, a, "+"); split($2, s, "[x+]"); print a[2] + int(s[1] / 2)}')
  y=$(echo "$place" | awk '{split($1, a, "+"); split($2, s, "[x+]"); print a[3] + int(s[2] / 2)}')
  xdotool mousemove "$x" "$y" click 3
  waitfor 50 menu_open
}
# Wine's popup menu: a mapped window of the program without a name.
menu_open() {
  xwininfo -root -tree | grep -E '\(has no name\): \("vodivuri.exe"' | grep -vE ' 1x1\+' |
    while read -r id _; do xwininfo -id "$id" | grep -q IsViewable && echo "$id"; done | grep -q .
}

# setting NAME: a text value under HKCU\Rurevoduz (empty when missing).
setting() {
  "$wine" reg query 'HKCU\Rurevoduz' /v "$1" 2>/dev/null | tr -d '\r' |
    awk -v n="$1" '$1 == n && $2 == "REG_SZ" {sub(/^ *[^ ]+ +REG_SZ +/, ""); print; exit}'
}
no_icon() { [ "$(icon_count)" -eq 0 ]; }
