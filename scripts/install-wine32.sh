#!/usr/bin/env bash
# Installs the 32-bit Wine (wine32 from Debian's i386 archive) that runs the
# shipped 32-bit program, where the machine can have it. Not having it is not
# an error: the callers then test the 64-bit build, and say so. Where it cannot
# be installed (a mirror whose i386 lists are out of step with the amd64 ones
# makes its libraries uninstallable), the i386 architecture is taken off again,
# so later package installs do not keep fetching its lists.
set -uo pipefail
cd "$(dirname "$0")/.."

if dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q 'install ok installed'; then exit 0; fi
as_root=()
[ "$(id -u)" -ne 0 ] && as_root=(sudo)
added=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${as_root[@]}" dpkg --add-architecture i386 || exit 0
  added=1
fi
if VODIVURI_APT_TRIES=2 bash scripts/install-deps.sh wine wine32:i386; then exit 0; fi
echo "No se pudo instalar la Wine de 32 bits (wine32:i386); se prueba la versión de 64 bits." >&2
if [ "$added" -eq 1 ] && [ -z "$(dpkg-query -W -f='${Architecture}\n' 2>/dev/null | grep -x i386)" ]; then
  "${as_root[@]}" dpkg --remove-architecture i386 && "${as_root[@]}" apt-get update -qq >/dev/null 2>&1
fi
exit 0
