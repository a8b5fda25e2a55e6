#!/usr/bin/env bash
# The artefacts scripts/dist.sh left, tried end to end: what dist/ holds and
# its checksums, the portable archive, the Debian package on this machine
# (deb_test.sh, as root) and the setup program under Wine
# (windows_setup_test.sh, on the 64-bit setup built from the same script, and
# on the shipped 32-bit one where this machine runs 32-bit programs).
# Usage: packaging_test.sh   (after bash scripts/dist.sh)
set -euo pipefail
cd "$(dirname "$0")/../.."
here=tests/packaging
version=1.0
fail() {
  echo "FALLO: $*" >&2
  exit 1
}

bash scripts/install-deps.sh lintian desktop-file-utils binutils unzip file wine64 \
  xvfb xauth trayer x11-utils xdotool imagemagick
# The 32-bit Wine for the shipped setup, where the i386 archive can give it.
bash scripts/install-wine32.sh

[ -d dist ] && [ -f "build/dist-test/Vodivuri-$version-setup-amd64.exe" ] ||
  fail "no artefacts: run bash scripts/dist.sh first"

# --- dist/: the three artefacts and their checksums, nothing else ---
expected="SHA256SUMS Vodivuri-$version-setup.exe Vodivuri-$version-win32.zip vodivuri_${version}_amd64.deb"
[ "$(ls dist | sort | tr '\n' ' ' | sed 's/ $//')" = "$expected" ] ||
  fail "dist/ holds: $(ls dist | tr '\n' ' ')"
(cd dist && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match"
[ "$(wc -l <dist/SHA256SUMS)" -eq 3 ] || fail "SHA256SUMS lists $(wc -l <dist/SHA256SUMS) files"

# The shipped Windows programs are the 32-bit ones.
file -b "dist/Vodivuri-$version-setup.exe" | grep -q '^PE32 .*Intel 80386' ||
  fail "the setup is $(file -b "dist/Vodivuri-$version-setup.exe")"
zipped=$(mktemp -d)
trap 'rm -rf "$zipped"' EXIT
unzip -q "dist/Vodivuri-$version-win32.zip" -d "$zipped"
[ "$(cd "$zipped" && find . -type f | sort | tr '\n' ' ')" = "./Vodivuri-$version/LEEME.txt ./Vodivuri-$version/Vodivuri.exe " ] ||
  fail "the archive holds: $(cd "$zipped" && find . -type f | tr '\n' ' ')"
file -b "$zipped/Vodivuri-$version/Vodivuri.exe" | grep -q '^PE32 .*Intel 80386' ||
  fail "the archive's program is $(file -b "$zipped/Vodivuri-$version/Vodivuri.exe")"
grep -q $'\r$' "$zipped/Vodivuri-$version/LEEME.txt" || fail "LEEME.txt has no Windows line ends"
echo "  dist/: correcto" >&2

bash "$here/deb_test.sh" "dist/vodivuri_${version}_amd64.deb"
# The 64-bit test setup, then the shipped one with the archive's program
# where 32-bit programs run.
bash "$here/windows_setup_test.sh" "build/dist-test/Vodivuri-$version-setup-amd64.exe" \
  build/dist-test/Vodivuri.exe "dist/Vodivuri-$version-setup.exe" "$zipped/Vodivuri-$version/Vodivuri.exe"
