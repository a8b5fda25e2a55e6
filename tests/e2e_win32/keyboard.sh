# The keyboard, sourced by win32_e2e.sh:
#   - with an armed one-date shutdown, the arrows on the option group move and
#     choose, as a click would, and two rounds of Tab choose nothing and come
#     back to it;
#   - a whole schedule made with the keys alone, from the first start's
#     question to «Salir» on the toolbar, read back from the registry.

# What a screen reader in a process of its own hears of every control, and
# which one it is told has the focus (for the failures' messages).
probe() { "$wine" "${VODIVURI_MSAA_PROBE:?}" 2>>"$work/probe.err" | tr -d '\r'; }
focused() {
  [ -n "${VODIVURI_MSAA_PROBE:-}" ] || return 0
  probe | while IFS='|' read -r role state name; do
    ((0x$state & 4)) && echo "focus on $role «$name»"
  done
  return 0
}

step "teclado: el grupo de opciones"
next_year=$(($(date +%Y) + 1))
$wine reg delete 'HKCU\Rurevoduz' /f >/dev/null 2>&1 || true
{
  printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Rurevoduz]\n"CreateValue"="01/12/2026"\n"Inicio"="False"\n'
  printf '"Left"="4770"\n"Top"="3255"\n"Forzar"="False"\n"Siempre"="False"\n'
  printf '"FechaProgramada"="24/12/%s"\n"Hora"="23"\n"Minutos"="30"\n' "$next_year"
  printf '"ApagarSistema"="True"\n"ReiniciarSistema"="False"\n"ReiniciarSesion"="False"\n'
} >"$work/keyboard.reg"
$wine regedit /S "$(winpath "$work/keyboard.reg")"
run_app "$work/keyboard.err" --simulate
waitfor 100 docked || fail "the icon did not dock"
waitfor 100 main_hidden || fail "the main window did not hide itself"

# A double-click on the icon shows the window; then only keys.
icon_centre() {
  xwininfo -name panel -children | grep -E '^ +0x[0-9a-f]+ .* [0-9]{2,}x[0-9]{2,}\+' | head -n 1 |
    awk '{split($NF, a, "+"); split($(NF-1), s, "[x+]"); print a[2] + int(s[1] / 2), a[3] + int(s[2] / 2)}'
}
read -r x y <<<"$(icon_centre)"
xdotool mousemove "$x" "$y" click --repeat 2 --delay 80 1
main_shown() { vodivuri_windows | grep -q ' 381x301$'; }
waitfor 100 main_shown || fail "a double-click on the icon did not show the window"
focus_main() {
  local w
  w=$(vodivuri_windows | awk '$2 == "381x301" {print $1; exit}')
  timeout 5 xdotool windowfocus --sync "$w" 2>/dev/null || true
}
focus_main

every_day() { [ "$(setting Siempre)" = True ]; }
one_date() { [ "$(setting Siempre)" = False ]; }
# The window opens on its first stop; the seventh after it is the option group.
xdotool key --delay 60 $(printf 'Tab %.0s' $(seq 1 7)) Down
waitfor 50 every_day || fail "Down on «Seleccionar fecha» did not choose «Siempre»; $(focused)"
xdotool key Up
waitfor 50 one_date || fail "Up on «Siempre» did not choose «Seleccionar fecha» again; $(focused)"

# Twice round the window's eleven stops, past both option buttons, and back
# on the group: only the arrow then chooses, from «Seleccionar fecha».
xdotool key --delay 60 $(printf 'Tab %.0s' $(seq 1 22)) Down
waitfor 50 every_day || fail "after two rounds of Tab the focus is not on the option group, or Tab chose for the user; $(focused)"
[ "$(setting ApagarSistema)" = True ] || fail "the keys changed ApagarSistema"
[ "$(setting FechaProgramada)" = "24/12/$next_year" ] || fail "the keys changed the date"

open_menu || fail "no menu to leave with"
xdotool key Up Return
box=$(wait_box) || fail "Salir asked nothing"
answer "$box" Return || fail "the message box did not take Return"
wait_app 30 || fail "the program did not end after Salir -> Yes"
end_step

step "teclado: un horario de principio a fin"
$wine reg delete 'HKCU\Rurevoduz' /f >/dev/null 2>&1 || true
run_app "$work/journey.err" --simulate
box=$(wait_box) || fail "the first start asked nothing"
answer "$box" Return || fail "the first start's question did not take Return"
waitfor 100 docked || fail "the icon did not dock"
waitfor 100 main_hidden || fail "the main window did not hide itself"
# A second start shows the running copy's window.
timeout 60 "$wine" "$exe" --simulate 2>"$work/journey-second.err" || fail "the second start failed"
waitfor 100 main_shown || fail "a second start did not show the window"
focus_main

if [ -n "${VODIVURI_MSAA_PROBE:-}" ]; then
  probe >"$work/heard.txt" || fail "a control of the main window has no name or role: $(cat "$work/heard.txt")"
  echo "  lo que oye un lector de pantalla (papel|estado|nombre):" >&2
  sed 's/^/    /' "$work/heard.txt" >&2
fi

is() { [ "$(setting "$1")" = "$2" ]; }
# The first stop, «Apagar el sistema»: Space ticks it.
xdotool key space
waitfor 50 is ApagarSistema True || fail "Space on the first stop did not tick «Apagar el sistema»; $(focused)"
# Tab to the minutes' up arrow; fifteen times Down from 00 is 45.
xdotool key --delay 60 Tab Tab Tab $(printf 'Down %.0s' $(seq 1 15))
waitfor 50 is Minutos 45 || fail "Down on the minutes' arrow gave Minutos '$(setting Minutos)'; $(focused)"
# Tab to the hours' up arrow; Down from 00 is 23.
xdotool key --delay 60 Tab Tab Down
waitfor 50 is Hora 23 || fail "Down on the hours' arrow gave Hora '$(setting Hora)'; $(focused)"
[ "$(setting Minutos)" = 45 ] || fail "the hours' arrow changed the minutes"
# Tab to the option group («Siempre» is chosen); Up chooses «Seleccionar fecha».
xdotool key --delay 60 Tab Tab Up
waitfor 50 one_date || fail "Up in the option group did not choose «Seleccionar fecha»; $(focused)"

# Tab to the calendar's button; Return opens it on the schedule's date (today).
base=$(date +%Y-%m-%d)
xdotool key --delay 60 Tab Return
calendar() { xdotool search --onlyvisible --name '^Calendario$' 2>/dev/null | head -n 1; }
waitfor 50 sh -c "xdotool search --onlyvisible --name '^Calendario\$' | grep -q ." ||
  fail "Return on the calendar's button opened no calendar; $(focused)"
timeout 5 xdotool windowfocus --sync "$(calendar)" 2>/dev/null || true
# Page Down: a month on (the last day of a shorter month); Right: a day on; Return picks.
chosen=$(/usr/bin/python3 -c "
import calendar, datetime
d = datetime.date.fromisoformat('$base')
y, m = (d.year + 1, 1) if d.month == 12 else (d.year, d.month + 1)
d = datetime.date(y, m, min(d.day, calendar.monthrange(y, m)[1])) + datetime.timedelta(days=1)
print(d.strftime('%d/%m/%Y'))")
xdotool key --delay 100 Next Right Return
waitfor 50 is FechaProgramada "$chosen" ||
  fail "the calendar stored FechaProgramada '$(setting FechaProgramada)', not $chosen"
waitfor 50 sh -c "! xdotool search --onlyvisible --name '^Calendario\$' | grep -q ." ||
  fail "picking a day did not close the calendar"

# Back from a secondary window the main window goes to the tray, as it does
# after each; a second start brings it back, on the control it was left on.
waitfor 30 main_hidden || true
if main_hidden; then
  timeout 60 "$wine" "$exe" --simulate 2>>"$work/journey-second.err" || fail "the second start failed"
  waitfor 100 main_shown || fail "a second start did not show the window again"
fi
# Tab to the toolbar, Right to its fourth button («Cerrar la aplicación»), Return.
focus_main
xdotool key --delay 100 Tab Right Right Right
if [ -n "${VODIVURI_MSAA_PROBE:-}" ]; then
  # Only the toolbar can have that name, and only while the keys are on its fourth button.
  on_close() { probe | grep -q '|Cerrar la aplicación$'; }
  waitfor 50 on_close || fail "the toolbar is not heard as «Cerrar la aplicación»: $(probe | tr '\n' ';')"
fi
focus_main
xdotool key Return
box=$(wait_box) || fail "«Cerrar la aplicación» on the toolbar asked nothing; $(focused)"
answer "$box" Return || fail "the question did not take Return"
wait_app 30 || fail "the program did not end after the toolbar's «Salir» -> Yes"
for pair in "Hora 23" "Minutos 45" "ApagarSistema True" "Siempre False" "FechaProgramada $chosen"; do
  set -- $pair
  [ "$(setting "$1")" = "$2" ] || fail "after the journey $1 is '$(setting "$1")', not '$2'"
done
echo "  con el teclado: Hora 23, Minutos 45, ApagarSistema True, Siempre False, FechaProgramada $chosen" >&2
end_step
