# Pictures of the four windows, sourced by win32_e2e.sh with $shots set: the
# main window, the calendar, About and the first Help page, each cropped to
# its window with the frame Wine draws itself. Checks each client area's size.

step "capturas"
mkdir -p "$shots"
shots=$(realpath "$shots")
# Wine draws the frames and captions (there is no window manager).
$wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null
# A shutdown on a date, so that the whole editor is enabled.
cat >"$work/shots.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Rurevoduz]
"CreateValue"="01/12/2026"
"ApagarSistema"="True"
"ReiniciarSistema"="False"
"ReiniciarSesion"="False"
"FechaProgramada"="24/12/2030"
"Siempre"="False"
"Hora"="07"
"Minutos"="30"
"Inicio"="False"
"Forzar"="False"
"Left"="4770"
"Top"="3255"
REG
$wine regedit /S "$(winpath "$work/shots.reg")"

# The top-level window with this exact title, if it is mapped.
shown() {
  local w
  for w in $(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null); do
    [ "$(xdotool getwindowgeometry "$w" | awk '/Geometry/ {print $2}')" != "1x1" ] && { echo "$w"; return 0; }
  done
  return 1
}
# "x y width height" of a window on the screen, frame included.
outer() { xwininfo -id "$1" | awk '/Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF}
  /^  Width/{w=$NF} /^  Height/{h=$NF} END{print x, y, w, h}'; }
# shoot NAME TITLE CLIENT_W CLIENT_H LEFT TOP: crops the window, checks its
# client size and its outer place (the layouts' twips / 15).
shoot() {
  local w x y width height border
  w=$(shown "$2") || fail "no window '$2' to photograph"
  sleep 0.7 # the clock and the painting settle
  read -r x y width height < <(outer "$w")
  border=$(((width - $3) / 2))
  [ "$border" -ge 0 ] && [ "$((height - $4 - border))" -ge 0 ] && [ "$border" -le 4 ] ||
    fail "'$2' is ${width}x${height} with its frame; its client area should be $3x$4"
  [ "$x,$y" = "$5,$6" ] || fail "'$2' is at $x,$y; it should be at $5,$6"
  import -window root "$work/screen.png"
  convert "$work/screen.png" -crop "${width}x${height}+${x}+${y}" +repage "$shots/win32-$1.png"
  echo "  win32-$1.png: '$2' at $x,$y, ${width}x${height} with the frame, client $3x$4 at" \
    "$((x + border)),$((y + height - $4 - border))" >&2
}
# click_client TITLE CLIENT_W CLIENT_H X_TWIPS Y_TWIPS: a left click in a client area.
click_client() {
  local w x y width height border
  w=$(shown "$1") || fail "no window '$1' to click"
  read -r x y width height < <(outer "$w")
  border=$(((width - $2) / 2))
  xdotool mousemove $((x + border + $4 / 15)) $((y + height - $3 - border + $5 / 15)) sleep 0.2 click 1
}
escape() {
  local w
  w=$(shown "$1") || fail "no window '$1' to close"
  timeout 5 xdotool windowfocus --sync "$w" 2>/dev/null || true
  xdotool key Escape
  waitfor 50 sh -c "! xdotool search --onlyvisible --name '^$1\$' | grep -qx $w" || fail "Esc left '$1' open"
  sleep 1.5 # the next clock tick enables the menu entries again
}
# menu_entry UPS: the entry that many places above the end of the popup menu.
menu_entry() {
  open_menu || fail "no popup menu"
  for ((i = 0; i < $1; i++)); do xdotool key Up; done
  xdotool key Return
}

run_app "$work/shots.err" --simulate
waitfor 100 docked || fail "no icon for the pictures"
sleep 1
menu_entry 4 # Maximizar
waitfor 50 shown Vodivuri || fail "Maximizar showed no window"
shoot main Vodivuri 381 301 318 217 # Left 4770, Top 3255 as stored

# The calendar: the arrow at the end of the date box.
click_client Vodivuri 381 301 $((4410 + 127)) $((3210 + 105))
waitfor 50 shown Calendario || fail "the calendar did not open"
shoot calendar Calendario 155 163 478 459 # the main window + (2400, 3630)
escape Calendario

menu_entry 2 # Acerca de...
waitfor 50 shown "Acerca de Vodivuri" || fail "About did not open"
shoot about "Acerca de Vodivuri" 346 253 335 243 # 5025, 3645 on 1024 pixels
escape "Acerca de Vodivuri"

menu_entry 3 # Ayuda
waitfor 50 shown "Ayuda Vodivuri" || fail "Help did not open"
shoot help-1 "Ayuda Vodivuri" 349 459 333 182 # 5000, 2730 on 1024 pixels
escape "Ayuda Vodivuri"

kill "$app" 2>/dev/null || true
wineserver -k >/dev/null 2>&1 || true
end_step
