#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, or the packages
# named as arguments instead. Idempotent and quiet when everything is there.
set -euo pipefail

packages=(
  # build and unit tests
  cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev clang-format ccache
  # the autostart entry check
  desktop-file-utils
  # the pictures and their generator
  python3-pil fonts-liberation fonts-dejavu-core
  # power through logind, and the mock logind the tests talk to
  libsystemd-dev python3-dbusmock dbus-daemon
  # the Qt front end
  qt6-base-dev
  # the fuzzer of the settings-file reader (libFuzzer)
  clang-14 libclang-rt-14-dev
  # end-to-end runs of the desktop program
  xvfb xauth trayer twm x11-utils xdotool imagemagick faketime
  # a StatusNotifierItem tray for the end-to-end runs: Xfce's panel and window manager
  xfce4-panel xfwm4
  # native Wayland: Qt's platform for it, and sway with waybar's tray for the runs
  qt6-wayland sway waybar
  # gdbus, for the end-to-end test of the warning
  libglib2.0-bin
  # the screen-reader check: the accessibility bus and its Python client
  at-spi2-core python3-pyatspi
)
[ $# -gt 0 ] && packages=("$@")


missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Instalando paquetes: ${missing[*]}" >&2
as_root=()
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then as_root=(sudo); else
    echo "Hace falta ser root (o sudo) para instalar: ${missing[*]}" >&2
    exit 1
  fi
fi
export DEBIAN_FRONTEND=noninteractive
apt=("${as_root[@]}" apt-get -o DPkg::Lock::Timeout=900 -o Acquire::Retries=3)
# A mirror in mid-sync fails the lists now and then: try again a while, and
# in the end install from the lists there are, which install itself checks.
tries=${VODIVURI_APT_TRIES:-3}
for ((attempt = 1; attempt <= tries; attempt++)); do
  if "${apt[@]}" update -qq; then break; fi
  echo "apt-get update falló (intento $attempt de $tries)" >&2
  [ "$attempt" -lt "$tries" ] && sleep $((attempt * 20))
done
for attempt in 1 2; do
  if "${apt[@]}" install -y -qq --no-install-recommends "${missing[@]}" >/dev/null; then exit 0; fi
  echo "apt-get install falló (intento $attempt de 2)" >&2
  [ "$attempt" -lt 2 ] && { sleep 20; "${apt[@]}" update -qq || true; }
done
exit 1
