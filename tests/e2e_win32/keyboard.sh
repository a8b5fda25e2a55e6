# The keyboard on the main window, sourced by win32_e2e.sh: with an armed
# one-date shutdown, the arrows on the option group move and choose, as a
# click would, and two rounds of Tab choose nothing and come back to it.

step "teclado"
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
main_window=$(vodivuri_windows | awk '$2 == "381x301" {print $1; exit}')
timeout 5 xdotool windowfocus --sync "$main_window" 2>/dev/null || true

every_day() { [ "$(setting Siempre)" = True ]; }
one_date() { [ "$(setting Siempre)" = False ]; }
# From the window's own focus, the eighth stop is the option group.
xdotool key --delay 60 $(printf 'Tab %.0s' $(seq 1 8)) Down
waitfor 50 every_day || fail "Down on «Seleccionar fecha» did not choose «Siempre»"
xdotool key Up
waitfor 50 one_date || fail "Up on «Siempre» did not choose «Seleccionar fecha» again"

# Twice round the window's eleven stops, past both option buttons, and back
# on the group: only the arrow then chooses, from «Seleccionar fecha».
xdotool key --delay 60 $(printf 'Tab %.0s' $(seq 1 22)) Down
waitfor 50 every_day || fail "after two rounds of Tab the focus is not on the option group, or Tab chose for the user"
[ "$(setting ApagarSistema)" = True ] || fail "the keys changed ApagarSistema"
[ "$(setting FechaProgramada)" = "24/12/$next_year" ] || fail "the keys changed the date"

open_menu || fail "no menu to leave with"
xdotool key Up Return
box=$(wait_box) || fail "Salir asked nothing"
answer "$box" Return || fail "the message box did not take Return"
wait_app 30 || fail "the program did not end after Salir -> Yes"
end_step
