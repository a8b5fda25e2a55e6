#!/usr/bin/env bash
# Vodivuri.exe's schedule from the command line under Wine, on its own Xvfb
# with trayer: the running copy carries out a later copy's order and sends the
# answer back, which that copy shows in a message box and gives as its exit
# status; bad input is refused with status 2 and changes nothing; --estado
# with no copy running answers from the settings without starting.
# Usage: command_line.sh WINE_LOADER VODIVURI_EXE
set -euo pipefail
wine=$1
exe=$(realpath "$2")
here=$(dirname "$(realpath "$0")")
source "$here/lib.sh"

use_wine "$1"
work=$(mktemp -d "${TMPDIR:-/tmp}/vodivuri-cli.XXXXXX")
trap cleanup EXIT
start_display 76 79
export WINEPREFIX="$work/prefix"
$wine wineboot -i >/dev/null 2>&1 || fail "wineboot failed"

# order EXPECTED-STATUS ARGS...: a later copy's order, its answer box taken
# with Return; the copy must end with the expected status.
order() {
  local want=$1 first=$app
  shift
  run_app "$work/order.err" "$@"
  box=$(wait_box) || fail "$*: no answer box"
  answer "$box" Return || fail "$*: the answer box did not take Return"
  wait_app 30 || fail "$*: the copy did not end"
  [ "$status" -eq "$want" ] || fail "$*: status $status, not $want"
  app=$first
}
snapshot() { $wine reg export 'HKCU\Rurevoduz' "$(winpath "$work/$1.reg")" /y >/dev/null; }

step "sin copia en marcha"
order 1 --estado
[ "$(icon_count)" -eq 0 ] || fail "--estado started the program"
order 2 --apagar 25:00
end_step

step "la copia en marcha cumple las órdenes"
run_app "$work/first.err" --simulate
box=$(wait_box) || fail "the first start asked nothing"
answer "$box" n || fail "the first-start question did not take n"
waitfor 100 docked || fail "the icon did not dock"
waitfor 100 main_hidden || fail "the main window did not hide itself"
order 0 --apagar 23:45 --siempre --forzar
[ "$(setting ApagarSistema) $(setting Hora):$(setting Minutos) $(setting Siempre) $(setting Forzar)" = \
  "True 23:45 True True" ] || fail "stored: $(setting ApagarSistema) $(setting Hora):$(setting Minutos)"
order 0 --estado
snapshot before
order 2 --reiniciar 10:00 --fecha 01/01/2020
order 2 --reiniciar 10:00 --cerrar-sesion 11:00
snapshot after
cmp -s "$work/before.reg" "$work/after.reg" || fail "a refused order changed the settings"
order 0 --cerrar-sesion --en 30
[ "$(setting ReiniciarSesion) $(setting ApagarSistema) $(setting Siempre)" = "True False False" ] ||
  fail "--en: stored $(setting ReiniciarSesion) $(setting Siempre)"
[ "$(setting FechaProgramada)" = "$(date -d '+30 minutes' +%d/%m/%Y)" ] ||
  fail "--en: the date is $(setting FechaProgramada)"
order 0 --cancelar
[ "$(setting ReiniciarSesion)" = False ] || fail "--cancelar left the action ticked"
order 1 --estado
kill -0 "$app" 2>/dev/null || fail "the running copy ended"
end_step
echo "Vodivuri.exe command line: orders carried out by the running copy, refusals with status 2"
