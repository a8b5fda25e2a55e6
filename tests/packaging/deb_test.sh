#!/usr/bin/env bash
# The Debian package on this machine (as root; CI runs as root):
#   1. its control data and contents: the program, launcher, icons, manual
#      page, copyright; dependencies on the libraries it links;
#   2. lintian finds no error or warning;
#   3. apt-get installs it; the installed program answers --version and, for a
#      user whose settings say "start with the session", writes an autostart
#      entry whose TryExec names the installed program;
#   4. apt-get removes it: the program is gone, the user's files are exactly
#      as they were, and the entry's TryExec now names a missing file, so a
#      desktop skips it instead of starting nothing.
# The package is removed however the test ends. A copy left by an earlier run
# is removed first; a /usr/bin/vodivuri that no package owns stops the test.
# Usage: deb_test.sh PACKAGE.deb
set -euo pipefail
. "$(dirname "$(realpath "$0")")/../e2e/lib.sh" # write_settings
deb=$(realpath "$1")
work=$(mktemp -d "${TMPDIR:-/tmp}/vodivuri-deb.XXXXXX")
installed_here=false
fail() {
  echo "FALLO: $*" >&2
  exit 1
}
installed() { dpkg-query -W -f='${Status}' vodivuri 2>/dev/null | grep -q 'install ok installed'; }
apt() { DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=900 -y -qq "$@" >"$work/apt.log" 2>&1; }
cleanup() {
  local status=$?
  if $installed_here && installed; then
    echo "Quitando vodivuri" >&2
    apt remove vodivuri || cat "$work/apt.log" >&2
  fi
  [ "$status" -ne 0 ] && [ -s "$work/app.err" ] && tail -n 20 "$work/app.err" >&2
  rm -rf "$work"
}
trap cleanup EXIT
[ "$(id -u)" -eq 0 ] || fail "installing the package needs root"

# --- 1. what the package holds ---
info=$(dpkg-deb --field "$deb")
field() { echo "$info" | sed -n "s/^$1: //p"; }
[ "$(field Package)" = vodivuri ] && [ "$(field Version)" = 1.0 ] &&
  [ "$(field Architecture)" = amd64 ] || fail "control: $(field Package) $(field Version) $(field Architecture)"
for dep in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6dbus6 libsystemd0; do
  field Depends | tr ',' '\n' | grep -q "^ *$dep\\b" || fail "Depends lacks $dep: $(field Depends)"
done
[ "$(field Recommends)" = qt6-wayland ] || fail "Recommends: $(field Recommends)"
contents=$(dpkg-deb --contents "$deb")
for file in usr/bin/vodivuri usr/share/applications/vodivuri.desktop \
  usr/share/icons/hicolor/48x48/apps/vodivuri.png usr/share/icons/hicolor/scalable/apps/vodivuri.svg \
  usr/share/man/man1/vodivuri.1.gz usr/share/doc/vodivuri/copyright usr/share/doc/vodivuri/changelog.gz; do
  echo "$contents" | grep -qE " \./$file\$" || fail "the package lacks /$file"
done
if echo "$contents" | awk '{print $2}' | grep -v '^root/root$'; then fail "files not owned by root"; fi
if echo "$contents" | grep -E ' \./(etc|home|root|tmp)/'; then fail "files outside /usr"; fi
echo "  contenido: correcto" >&2

# --- 2. lintian ---
lintian --fail-on error,warning "$deb" || fail "lintian"
echo "  lintian: correcto" >&2

# --- 3. install and start ---
if installed; then
  echo "vodivuri ya estaba instalado (de una prueba anterior): se quita primero" >&2
  apt remove vodivuri || fail "cannot remove the earlier vodivuri: $(cat "$work/apt.log")"
fi
[ ! -e /usr/bin/vodivuri ] || fail "/usr/bin/vodivuri exists and belongs to no package; not overwriting it"
installed_here=true
apt install "$deb" || fail "apt-get install: $(cat "$work/apt.log")"
installed || fail "dpkg does not list vodivuri as installed"
version=$(/usr/bin/vodivuri --version) || fail "vodivuri --version ended with $?"
[ "$version" = "Vodivuri 1.0" ] || fail "vodivuri --version said '$version'"
man -l /usr/share/man/man1/vodivuri.1.gz >/dev/null 2>&1 ||
  zcat /usr/share/man/man1/vodivuri.1.gz | grep -q '^\.TH' || fail "the manual page does not read"

# A user who chose to start with the session; the program writes its entry at start.
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_RUNTIME_DIR="$work/run"
mkdir -p "$XDG_CONFIG_HOME/vodivuri" && mkdir -m 700 "$XDG_RUNTIME_DIR"
printf 'notas del usuario\n' >"$HOME/notas.txt"
write_settings "$XDG_CONFIG_HOME/vodivuri/user.reg" Inicio=True
entry="$XDG_CONFIG_HOME/autostart/vodivuri.desktop"
# Its own network namespace, where one can be made, keeps it from meeting
# another test's copy of the same user (the one-copy check is an abstract
# socket); no display is needed.
isolate=(unshare -n)
unshare -n true 2>/dev/null || isolate=()
QT_QPA_PLATFORM=offscreen DBUS_SESSION_BUS_ADDRESS=disabled: DBUS_SYSTEM_BUS_ADDRESS=disabled: \
  "${isolate[@]}" /usr/bin/vodivuri --simulate >"$work/app.out" 2>"$work/app.err" &
app=$!
for ((i = 0; i < 100; i++)); do
  [ -s "$entry" ] && break
  kill -0 "$app" 2>/dev/null || break
  sleep 0.1
done
kill "$app" 2>/dev/null || fail "the installed program ended by itself"
wait "$app" 2>/dev/null || true
[ -s "$entry" ] || fail "the installed program wrote no autostart entry"
grep -qx 'Exec="/usr/bin/vodivuri"' "$entry" || fail "the entry's Exec: $(grep ^Exec "$entry")"
grep -qx 'TryExec=/usr/bin/vodivuri' "$entry" || fail "the entry has no TryExec naming the program"
! grep -qx 'Hidden=true' "$entry" || fail "the entry is hidden"
desktop-file-validate "$entry" || fail "the entry does not validate"
echo "  instalado: $version; entrada de inicio: $(grep ^TryExec "$entry")" >&2

# --- 4. removal ---
(cd "$HOME" && find . -type f -print0 | sort -z | xargs -0 sha256sum) >"$work/before"
apt remove vodivuri || fail "apt-get remove: $(cat "$work/apt.log")"
installed_here=false
! installed || fail "dpkg still lists vodivuri as installed"
[ ! -e /usr/bin/vodivuri ] || fail "/usr/bin/vodivuri is still there"
[ ! -e /usr/share/applications/vodivuri.desktop ] || fail "the launcher is still there"
(cd "$HOME" && find . -type f -print0 | sort -z | xargs -0 sha256sum) >"$work/after"
diff "$work/before" "$work/after" >&2 || fail "the removal changed the user's files"
tryexec=$(sed -n 's/^TryExec=//p' "$entry")
[ ! -e "$tryexec" ] || fail "the entry's TryExec $tryexec still exists"
echo "Paquete de Debian: correcto"
