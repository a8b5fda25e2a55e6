#!/usr/bin/env bash
# The schedule from the command line, on the real program with a private X
# server and trayer: asked with no copy running (the settings answer, nothing
# starts), refused for bad input (one line, status 2, nothing changed), given
# at the start, and carried out by the running copy.
# Usage: command_line_e2e.sh PROGRAM
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
write_settings "$settings"

# run EXPECTED-STATUS ARGS...: the program's answer in $out, its errors in $err.
run() {
  local want=$1 status=0
  shift
  timeout 10 "$program" --simulate "$@" >"$work/out" 2>"$work/err" || status=$?
  out=$(cat "$work/out") err=$(cat "$work/err")
  [ "$status" -eq "$want" ] || fail "$*: status $status, not $want (out: $out; err: $err)"
}
stored() { sed -n "s/^\"$1\"=\"\\(.*\\)\"\$/\\1/p" "$settings"; }
no_icon() { ! tray_icon "$name" >/dev/null; }

# --- no copy running ---
run 1 --estado
[ "$out" = "No hay nada programado" ] || fail "--estado said: $out"
no_icon || fail "--estado started the program"
cp "$settings" "$work/before.reg"
for bad in "--apagar 25:00" "--apagar 23:00 --fecha 31/02/2027" "--apagar 23:00 --reiniciar 22:00" \
  "--nada" "--cerrar-sesion" "--estado --forzar"; do
  # shellcheck disable=SC2086 # the words of each case
  run 2 $bad
  [ "$(echo "$err" | wc -l)" -eq 1 ] && [ -z "$out" ] || fail "$bad: said '$out' / '$err'"
  cmp -s "$work/before.reg" "$settings" || fail "$bad: the settings changed"
  no_icon || fail "$bad: the program started"
done
echo "ok: refused with one line each: $(run 2 --apagar 25:00 || true; echo "$err")"

# --- given at the start ---
"$program" --simulate --apagar 23:45 --siempre >"$work/first.out" 2>"$work/first.err" &
app=$!
e2e_pids+=("$app")
waitfor 100 tray_icon "$name" || fail "the icon did not dock: $(cat "$work/first.err")"
waitfor 50 grep -q . "$work/first.out" || fail "the start said nothing"
[ "$(cat "$work/first.out")" = "Programado: apagar el sistema a las 23:45, todos los días" ] ||
  fail "the start said: $(cat "$work/first.out")"
[ "$(stored ApagarSistema) $(stored Hora):$(stored Minutos) $(stored Siempre)" = "True 23:45 True" ] ||
  fail "stored: $(cat "$settings")"
echo "ok: a schedule given at the start is armed and stored"

# --- carried out by the running copy ---
run 0 --reiniciar --en 90 --forzar
tomorrow_or_today=$(date -d '+90 minutes' +%d/%m/%Y)
[ "$(stored ReiniciarSistema) $(stored ApagarSistema) $(stored Siempre) $(stored Forzar)" = \
  "True False False True" ] || fail "--en: stored $(cat "$settings")"
[ "$(stored FechaProgramada)" = "$tomorrow_or_today" ] || fail "--en: the date $(stored FechaProgramada)"
[[ "$out" == "Programado: reiniciar el sistema a las "*", forzado" ]] || fail "--en said: $out"
run 0 --estado
[[ "$out" == "Programado: reiniciar el sistema a las "* ]] || fail "--estado said: $out"
cp "$settings" "$work/before.reg"
run 2 --apagar 10:00 --fecha 01/01/2020
[ "$err" = "vodivuri: la fecha y la hora indicadas ya han pasado: 01/01/2020 10:00" ] ||
  fail "a past date: $err"
cmp -s "$work/before.reg" "$settings" || fail "a past date changed the settings"
run 0 --cancelar
[ "$(stored ReiniciarSistema)" = False ] || fail "--cancelar left $(stored ReiniciarSistema)"
run 1 --estado
[ "$out" = "No hay nada programado" ] || fail "--estado after --cancelar said: $out"
kill -0 "$app" 2>/dev/null || fail "the running copy ended"
echo "command line end-to-end: asked, refused, given at the start and carried out by the running copy"
