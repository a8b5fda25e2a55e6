# The scheduled minute, sourced by win32_e2e.sh: four throwaway prefixes, each
# with a Windows version and a stored schedule for the minute after the start;
# the relay trace of each shows what reached ExitWindowsEx and when.

step "minuto programado"
# name version action Forzar Siempre flags privilege-step
cases=(
  "xp-apagar winxp ApagarSistema False True 00000008 yes"
  "xp-reiniciar-forzado winxp ReiniciarSistema True True 00000006 yes"
  "98-apagar-fecha-forzado win98 ApagarSistema True False 00000005 no"
  "98-sesion-fecha win98 ReiniciarSesion False False 00000000 no"
)

# Each prefix warm (a persistent wineserver) with its version and every
# setting but the time, so that the last writes take a moment.
for c in "${cases[@]}"; do
  read -r name version action forzar siempre _ <<<"$c"
  prefix="$work/case-$name"
  cp -a "$work/template" "$prefix"
  prefixes+=("$prefix")
  {
    printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Wine]\n"Version"="%s"\n\n' "$version"
    printf '[HKEY_CURRENT_USER\\Rurevoduz]\n"CreateValue"="01/12/2026"\n"Inicio"="False"\n'
    printf '"Left"="4770"\n"Top"="3255"\n"Forzar"="%s"\n"Siempre"="%s"\n' "$forzar" "$siempre"
    for a in ApagarSistema ReiniciarSistema ReiniciarSesion; do
      printf '"%s"="%s"\n' "$a" "$([ "$a" = "$action" ] && echo True || echo False)"
    done
  } >"$prefix.reg"
  WINEPREFIX=$prefix wineserver -p
  WINEPREFIX=$prefix "$wine" regedit /S "$(winpath "$prefix.reg")"
done

# Start early in a minute, so that every program is up before it ends.
second=$((10#$(date +%S)))
if ((second > 35)); then sleep $((61 - second)); fi
target=$((($(date +%s) / 60 + 1) * 60))
hour=$(date -d "@$target" +%H)
minute=$(date -d "@$target" +%M)
day=$(date -d "@$target" +%d/%m/%Y)
for c in "${cases[@]}"; do
  read -r name _ <<<"$c"
  prefix="$work/case-$name"
  printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Rurevoduz]\n"Hora"="%s"\n"Minutos"="%s"\n"FechaProgramada"="%s"\n' \
    "$hour" "$minute" "$day" >"$prefix-time.reg"
  WINEPREFIX=$prefix "$wine" regedit /S "$(winpath "$prefix-time.reg")"
  WINEPREFIX=$prefix WINEDEBUG=+relay "$wine" "$exe" 2>"$prefix.relay" &
  pids+=($!)
done

# When each program put up its icon (its start-up), the last moment its trace
# was seen without an exit request, and when one was first seen (milliseconds).
# A trace read clean at a moment shows that nothing was asked before it; one
# read with the request shows that it was asked before the read ended.
declare -A icon_at clean_at exit_at
target_ms=$((target * 1000))
while (($(date +%s) < target + 20)); do
  pending=0
  for c in "${cases[@]}"; do
    read -r name _ <<<"$c"
    relay="$work/case-$name.relay"
    [ -n "${exit_at[$name]:-}" ] && continue
    before=$(date +%s%3N)
    [ -n "${icon_at[$name]:-}" ] || { grep -aq 'Call shell32.Shell_NotifyIconA(00000000' "$relay" && icon_at[$name]=$before; }
    if grep -aq 'Call user32.ExitWindowsEx(' "$relay"; then
      exit_at[$name]=$(date +%s%3N)
    else
      clean_at[$name]=$before
      pending=1
    fi
  done
  ((pending)) || break
  sleep 0.2
done
sleep 2 # a few more ticks of the minute

for c in "${cases[@]}"; do
  read -r name version action forzar siempre flags privilege <<<"$c"
  relay="$work/case-$name.relay"
  what="$name ($version, $action, Forzar $forzar, Siempre $siempre)"
  [ -n "${icon_at[$name]:-}" ] || fail "$what: the program did not start"
  ((icon_at[$name] < target_ms)) || fail "$what: started only in the scheduled minute"
  grep -aq 'Rurevoduz' "$relay" || fail "$what: the relay trace shows no settings read"
  [ -n "${exit_at[$name]:-}" ] || fail "$what: no ExitWindowsEx by $hour:$minute:20"
  ((exit_at[$name] >= target_ms)) || fail "$what: ExitWindowsEx during the start minute"
  ((${clean_at[$name]:-0} >= target_ms - 1000)) ||
    fail "$what: the trace was not watched up to the end of the start minute"
  calls=$(grep -a 'Call user32.ExitWindowsEx(' "$relay" | sed 's/.*ExitWindowsEx(\([0-9a-f]*,[0-9a-f]*\)).*/\1/' | sort | uniq -c)
  [ "$(echo "$calls" | awk '{print $2}')" = "$flags,00000000" ] || fail "$what: expected ExitWindowsEx($flags,00000000), got: $calls"
  if grep -aq 'Call advapi32.AdjustTokenPrivileges(' "$relay"; then steps=yes; else steps=no; fi
  [ "$steps" = "$privilege" ] || fail "$what: privilege step '$steps', expected '$privilege'"
  echo "  $what: ExitWindowsEx($flags,00000000); relative to $hour:$minute:00, none at" \
    "$((clean_at[$name] - target_ms)) ms, seen by $((exit_at[$name] - target_ms)) ms; icon at $(((icon_at[$name] - target_ms) / 1000)) s" >&2
done
for p in "${prefixes[@]}"; do WINEPREFIX=$p wineserver -k >/dev/null 2>&1 || true; done
end_step
