#!/usr/bin/env bash
# Screenshots of the program's windows on a virtual X display, with trayer as
# the notification area: the main window (plain and with a toolbar button
# raised), the calendar, About, both ends of Help and the popup menu with its
# start-up submenu open.  Usage: screenshots.sh OUTPUT_FOLDER
set -euo pipefail

out=${1:?Uso: screenshots.sh CARPETA_DE_SALIDA}
mkdir -p "$out"
out=$(cd "$out" && pwd)
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
exe=${VODIVURI_EXE:-$root/build/default/src/app/vodivuri}
[ -x "$exe" ] || { echo "screenshots: falta $exe (compile primero)" >&2; exit 1; }

work=$(mktemp -d)
. "$root/tests/e2e/lib.sh"
trap 'e2e_cleanup; rm -rf "$work"' EXIT

export DBUS_SESSION_BUS_ADDRESS=disabled:
export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/run
unset QT_QPA_PLATFORM
mkdir -p "$XDG_CONFIG_HOME/vodivuri" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

fail() { echo "screenshots: $*" >&2; exit 1; }

# The id of the mapped window with this exact title.
window_id() { viewable_ids "$1" | head -n 1; }
# Screenshot of the whole screen, and of one window when given its title.
shoot() {
  local name=$1 title=${2:-}
  import -window root "$out/$name-screen.png"
  if [ -n "$title" ]; then
    read -r x y w h < <(geometry "$(window_id "$title")")
    convert "$out/$name-screen.png" -crop "${w}x${h}+${x}+${y}" +repage "$out/$name.png"
    echo "$out/$name.png"
  else
    echo "$out/$name-screen.png"
  fi
}
start_display 1024x768x24
start_tray

# An earlier run's settings: a shutdown on a date, so the whole editor is enabled.
write_settings "$XDG_CONFIG_HOME/vodivuri/user.reg" ApagarSistema=True FechaProgramada=24/12/2030 \
  Siempre=False Inicio=True Left=4770 Top=3255

"$exe" --simulate >"$out/vodivuri.log" 2>&1 &
app=$!
e2e_pids+=("$app")

waitfor 100 tray_icon vodivuri || fail "el icono no aparece en la bandeja"
read -r ix iy iw ih < <(geometry "$(tray_icon vodivuri)")
icon_x=$((ix + iw / 2)) icon_y=$((iy + ih / 2))

# The main window comes up hidden; a double-click on the icon shows it.
gone Vodivuri || fail "la ventana principal no se ocultó al arrancar"
xdotool mousemove $icon_x $icon_y click --repeat 2 --delay 100 1
waitfor 50 viewable Vodivuri || fail "la ventana principal no aparece"
sleep 0.5
shoot main Vodivuri

# A toolbar button raised, with its tooltip.
read -r mx my mw mh < <(geometry "$(window_id Vodivuri)")
xdotool mousemove $((mx + 190)) $((my + 20)) sleep 0.2 mousemove $((mx + 192)) $((my + 22))
sleep 1.5
shoot main-hover Vodivuri

# The calendar, from the arrow at the end of the date box.
click_in Vodivuri 302 221
waitfor 50 viewable Calendario || fail "el calendario no se abre"
sleep 0.5
shoot calendar Calendario
# Year mode: the arrows at the end of the year.
click_in Calendario 126 12
sleep 0.5
shoot calendar-year Calendario
xdotool key Escape

waitfor 50 gone Calendario || fail "Esc no cierra el calendario"
waitfor 30 viewable Vodivuri || fail "la ventana principal no vuelve tras el calendario"

# About and Help, from the last two toolbar buttons.
click_in Vodivuri 290 20
waitfor 50 viewable "Acerca de Vodivuri" || fail "Acerca de no se abre"
sleep 0.5
shoot about "Acerca de Vodivuri"
xdotool key Escape
waitfor 50 gone "Acerca de Vodivuri" || fail "Esc no cierra Acerca de"
waitfor 30 viewable Vodivuri || fail "la ventana principal no vuelve tras Acerca de"

click_in Vodivuri 240 20
waitfor 50 viewable "Ayuda Vodivuri" || fail "la ayuda no se abre"
sleep 0.5
shoot help-1 "Ayuda Vodivuri"
for page in 2 3 4; do
  click_in "Ayuda Vodivuri" 238 422
  sleep 0.4
done
shoot help-4 "Ayuda Vodivuri"
xdotool key Escape
waitfor 50 gone "Ayuda Vodivuri" || fail "Esc no cierra la ayuda"
waitfor 30 viewable Vodivuri || fail "la ventana principal no vuelve tras la ayuda"

# The popup menu on the icon's right button, its start-up submenu open.
mapped() {
  xwininfo -root -children | awk '/^     0x/ {print $1}' | while read -r id; do
    if xwininfo -id "$id" 2>/dev/null | grep -q IsViewable; then echo "$id"; fi

  done | sort
}
before=$(mapped)
xdotool mousemove $icon_x $icon_y click 3
sleep 0.8
xdotool key Down Down Down Down
sleep 0.3
xdotool key Right
sleep 0.6
shoot menu
# The menu and its submenu are the windows that appeared: both, on the light
# grey of the Help pages, without the screen around them.
menus=$(comm -13 <(echo "$before") <(mapped) | while read -r id; do geometry "$id"; done)
[ -n "$menus" ] || fail "no se encuentra el menú abierto"
read -r l t r b < <(echo "$menus" | awk 'NR == 1 {l = $1; t = $2; r = $1 + $3; b = $2 + $4}
  {if ($1 < l) l = $1; if ($2 < t) t = $2; if ($1 + $3 > r) r = $1 + $3; if ($2 + $4 > b) b = $2 + $4}
  END {print l, t, r, b}')
layers=()
while read -r x y w h; do
  layers+=("(" "$out/menu-screen.png" -crop "${w}x${h}+${x}+${y}" +repage ")"
    -geometry "+$((x - l))+$((y - t))" -composite)
done <<<"$menus"
convert -size "$((r - l))x$((b - t))" "xc:rgb(224,224,224)" "${layers[@]}" "$out/menu.png"
echo "$out/menu.png"


xdotool key Escape Escape
sleep 0.3

# The end of the session: the place is stored and the program ends.
kill -TERM $app
waitfor 50 sh -c "! kill -0 $app" || fail "el programa no termina con SIGTERM"
grep -q '"Left"=' "$XDG_CONFIG_HOME/vodivuri/user.reg" || fail "no se guardó la posición"
echo "screenshots: listo en $out"
