#!/usr/bin/env bash
# Builds the distributable artefacts into dist/: the Debian package, the Windows
# setup program and the portable Windows archive, with their SHA256SUMS.
set -euo pipefail
cd "$(dirname "$0")/.."
version=1.0

bash scripts/install-deps.sh
bash scripts/install-windows-deps.sh
bash scripts/install-deps.sh lintian nsis zip

rm -rf dist
mkdir -p dist

# --- Debian ---
cmake --preset release >/dev/null
cmake --build --preset release
(cd build/release && cpack -G DEB -B "$PWD/../../dist/cpack" >/dev/null)
mv dist/cpack/vodivuri_${version}_amd64.deb dist/
rm -rf dist/cpack

# --- Windows ---
cmake --preset windows-release >/dev/null
cmake --build --preset windows-release --target Vodivuri
exe=build/windows-release/src/app/Vodivuri.exe
i686-w64-mingw32-strip -o dist/Vodivuri.exe "$exe"
makensis -V2 -DVERSION=$version -DEXE="$PWD/dist/Vodivuri.exe" \
  -DICON="$PWD/build/windows-release/src/app/vodivuri.ico" \
  -DOUTFILE="$PWD/dist/Vodivuri-${version}-setup.exe" packaging/windows/vodivuri.nsi
portable=$(mktemp -d)
mkdir "$portable/Vodivuri-${version}"
cp dist/Vodivuri.exe "$portable/Vodivuri-${version}/"
cp packaging/windows/LEEME.txt "$portable/Vodivuri-${version}/"
(cd "$portable" && TZ=UTC touch -d '2026-12-08 00:00' Vodivuri-${version}/* &&
  zip -qX -r "$OLDPWD/dist/Vodivuri-${version}-win32.zip" "Vodivuri-${version}")
rm -rf "$portable" dist/Vodivuri.exe

(cd dist && sha256sum -- *.deb *.exe *.zip >SHA256SUMS)
ls -l dist
