#!/usr/bin/env bash
# Cross-builds the headless core and its behaviour tests for 32-bit Windows with
# mingw-w64 and runs them under Wine. Not part of CI: an extra, Linux-only hosts.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake ninja-build ccache g++-mingw-w64-i686 googletest wine wine32:i386 wine64)

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

missing=()
for p in "${packages[@]}"; do installed "$p" || missing+=("$p"); done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Instalando paquetes: ${missing[*]}" >&2
  as_root=()
  if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null 2>&1; then as_root=(sudo); else
      echo "Hace falta ser root (o sudo) para instalar: ${missing[*]}" >&2
      exit 1
    fi
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt=("${as_root[@]}" apt-get -o DPkg::Lock::Timeout=900)
  # wine32 comes from the i386 archive; its package lists need fetching once.
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${as_root[@]}" dpkg --add-architecture i386
    "${apt[@]}" update -qq
  elif ! apt-cache show g++-mingw-w64-i686 wine32:i386 >/dev/null 2>&1; then
    "${apt[@]}" update -qq
  fi
  "${apt[@]}" install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# A 32-bit prefix of our own; console programs need no display.
export WINEPREFIX="${WINEPREFIX:-$PWD/build/wine-win32}"
export WINEARCH=win32 WINEDEBUG=-all
unset DISPLAY WAYLAND_DISPLAY
mkdir -p "$(dirname "$WINEPREFIX")"
[ -d "$WINEPREFIX" ] || { echo "Creando el prefijo de Wine $WINEPREFIX" >&2; wine wineboot -i >/dev/null 2>&1; }

# A warm wineserver for discovery and the tests: without it every start is slow
# and discovery can hang. Stopped however the script ends.
# A server still lingering from wineboot refuses -p; one that outlives the wait
# is already persistent.
trap 'wineserver -k 2>/dev/null || true' EXIT
timeout 15 wineserver -w || true
wineserver -p 2>/dev/null || true
wine wineboot >/dev/null 2>&1

cmake --preset windows >/dev/null
cmake --build --preset windows
ctest --preset windows
