#!/usr/bin/env bash
# Runs a program while the Wine prefix's screen has DPI dots per inch, then
# gives the prefix its own setting back, so that the other tests sharing the
# prefix keep theirs.
#   at_dpi.sh DPI WINE PROGRAM [ARGUMENTS...]
# Wine 8 takes LogPixels from HKCU\Control Panel\Desktop (before HKLM's
# Hardware Profiles\Current\Software\Fonts) as each process starts: the running
# wineserver needs no restart, and the change reaches no process already running.
set -u
dpi=$1 wine=$2
shift 2
key='HKCU\Control Panel\Desktop'
# What the prefix had, kept on disk while changed: a run that was killed is
# undone by the next one.
saved="${WINEPREFIX:?at_dpi.sh: WINEPREFIX must name the prefix}/vodivuri-logpixels.saved"

restore() {
  [ -f "$saved" ] || return 0
  local before
  before=$(cat "$saved")
  if [ "$before" = none ]; then
    "$wine" reg delete "$key" /v LogPixels /f >/dev/null 2>&1
  else
    "$wine" reg add "$key" /v LogPixels /t REG_DWORD /d "$before" /f >/dev/null 2>&1
  fi
  rm -f "$saved"
}

restore
before=$("$wine" reg query "$key" /v LogPixels 2>/dev/null | tr -d '\r' |
  awk '$1 == "LogPixels" { print $3 }')
if [ -n "$before" ]; then echo $((before)) >"$saved"; else echo none >"$saved"; fi
trap restore EXIT
trap 'exit 130' INT TERM
if ! "$wine" reg add "$key" /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1; then
  echo "at_dpi.sh: no se pudo poner LogPixels a $dpi" >&2
  exit 1
fi
"$wine" "$@"
