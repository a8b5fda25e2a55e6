#!/usr/bin/env bash
# Cross-builds the headless core and its behaviour tests for 32-bit Windows with
# mingw-w64 and runs them under Wine. Not part of CI: an extra, Linux-only hosts.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake ninja-build ccache g++-mingw-w64-i686 googletest wine wine32:i386 wine64)

# wine32 comes from the i386 archive; the installer then fetches its lists.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  if [ "$(id -u)" -eq 0 ]; then dpkg --add-architecture i386; else sudo dpkg --add-architecture i386; fi
fi
bash scripts/install-deps.sh "${packages[@]}"

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
