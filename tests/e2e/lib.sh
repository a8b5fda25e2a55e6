# Helpers for runs of the real program on a private X server: sourced by the
# end-to-end scripts.  VODIVURI_X_DISPLAYS ("FIRST-LAST", default 150-199)
# limits the display numbers tried.

# Every process started here, ended in reverse order on exit.
e2e_pids=()
e2e_cleanup() {
  local i
  for ((i = ${#e2e_pids[@]} - 1; i >= 0; i--)); do
    kill "${e2e_pids[i]}" 2>/dev/null || true
    wait "${e2e_pids[i]}" 2>/dev/null || true
  done
}

fail() {
  echo "FALLO: $*" >&2
  exit 1
}

# waitfor TENTHS COMMAND...: runs COMMAND every tenth of a second until it succeeds.
waitfor() {
  local tries=$1 i
  shift
  for ((i = 0; i < tries; i++)); do
    "$@" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  return 1
}

# Starts Xvfb on the first free display of the range and exports DISPLAY. A
# display another run holds makes Xvfb fail at once on its lock file, so two
# runs at the same time never share one.
start_display() {
  local size=${1:-1024x768x24} range=${VODIVURI_X_DISPLAYS:-150-199} n pid
  for ((n = ${range%-*}; n <= ${range#*-}; n++)); do
    [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 "$size" -nolisten tcp >/dev/null 2>&1 &
    pid=$!
    if waitfor 50 sh -c "kill -0 $pid && DISPLAY=:$n xdpyinfo"; then
      e2e_pids+=("$pid")
      export DISPLAY=":$n"
      return 0
    fi
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  fail "no free X display in $range"
}

# trayer as the notification area, at the top right of the screen; started
# again if it gives up at once (it sometimes does on a display just opened).
start_tray() {
  local attempt
  for attempt in 1 2 3; do
    trayer --edge top --align right --widthtype pixel --width 200 --height 32 >/dev/null 2>&1 &
    tray_pid=$!
    e2e_pids+=("$tray_pid")
    waitfor 100 xwininfo -name panel && return 0
    # It sometimes gives up at once on a display just opened, more so under load.
    kill "$tray_pid" 2>/dev/null || true
    sleep 0.5
  done
  fail "trayer did not start"
}

# The ids of the mapped windows with this exact title.
viewable_ids() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null; }
viewable() { viewable_ids "$1" >/dev/null; }
gone() { ! viewable "$1"; }
# "x y width height" of a window's client area on the screen.
geometry() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF}
    /^  Width/{w=$NF} /^  Height/{h=$NF} END{print x, y, w, h}'
}
# "x y width height" of the mapped window with this title.
viewable_geometry() {
  local id
  id=$(viewable_ids "$1" | head -n 1)
  [ -n "$id" ] && geometry "$id"
}
# How many windows of the program called $1 are mapped (its icon included).
# Whether a question is on show: a window called "Vodivuri" that is not the
# main window (381 x 301).
question_open() {
  local id x y w h
  for id in $(viewable_ids Vodivuri); do
    read -r x y w h < <(geometry "$id")
    [ "$w $h" != "381 301" ] && return 0
  done
  return 1
}
mapped_windows() { xdotool search --onlyvisible --class "^$1\$" 2>/dev/null | wc -l; }
# The icon trayer embedded for the program called $1.
tray_icon() {
  xwininfo -root -tree | awk -v c="(\"$1\" \"$1\")" '/"panel": \("panel" "trayer"\)/ {panel = 1}
    panel && index($0, c) {print $1; found = 1; exit} END {exit !found}'
}
# Clicks BUTTON on the middle of the program's tray icon.
click_tray_icon() {
  local x y w h
  read -r x y w h < <(geometry "$(tray_icon "$1")")
  xdotool mousemove $((x + w / 2)) $((y + h / 2)) click "${@:2}"
}
# Clicks at (x, y) of the client area of the mapped window with this title.
click_in() {
  local x y w h
  read -r x y w h < <(viewable_geometry "$1")
  xdotool mousemove $((x + $2 - 1)) $((y + $3)) sleep 0.1 mousemove $((x + $2)) $((y + $3)) \
    sleep 0.2 click 1
}

# write_settings FILE [NAME=VALUE ...]: a settings file as the program stores
# it, with a shutdown every day at 07:30 not armed; each NAME=VALUE changes or
# adds one value.
write_settings() {
  local file=$1 pair name
  shift
  local order=(CreateValue ApagarSistema ReiniciarSistema ReiniciarSesion FechaProgramada Siempre
    Hora Minutos Inicio Forzar)
  local -A value=([CreateValue]=01/12/2026 [ApagarSistema]=False [ReiniciarSistema]=False
    [ReiniciarSesion]=False [FechaProgramada]=08/12/2026 [Siempre]=True [Hora]=07 [Minutos]=30
    [Inicio]=False [Forzar]=False)
  for pair in "$@"; do
    name=${pair%%=*}
    [ -n "${value[$name]+set}" ] || order+=("$name")
    value[$name]=${pair#*=}
  done
  {
    printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Rurevoduz]\n'
    for name in "${order[@]}"; do printf '"%s"="%s"\n' "$name" "${value[$name]}"; done
    printf '\n'
  } >"$file"
}

# private_user FOLDER: a display with trayer, no session bus, and a user of
# its own below FOLDER whose settings (in $settings) an earlier run left, so
# no first-start question comes.
private_user() {
  start_display 1024x768x24
  start_tray
  export DBUS_SESSION_BUS_ADDRESS=disabled: LC_ALL=C.UTF-8 TZ=UTC
  unset QT_QPA_PLATFORM
  export XDG_CONFIG_HOME=$1/config XDG_RUNTIME_DIR=$1/runtime HOME=$1/home
  mkdir -p "$XDG_CONFIG_HOME/vodivuri" "$HOME" && mkdir -m 700 "$XDG_RUNTIME_DIR"
  settings=$XDG_CONFIG_HOME/vodivuri/user.reg
  write_settings "$settings"
}
