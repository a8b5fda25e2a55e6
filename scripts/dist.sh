#!/usr/bin/env bash
# Builds the distributable artefacts into dist/: the Debian package, the Windows
# setup program and the portable Windows archive, with their SHA256SUMS.
# Also, for the tests only, a 64-bit setup in build/dist-test/ (for build
# machines that run no 32-bit programs): tests/packaging/packaging_test.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
version=1.0

bash scripts/install-deps.sh
bash scripts/install-deps.sh g++-mingw-w64-i686 g++-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-win32 \
  lintian nsis zip

rm -rf dist
mkdir -p dist

# --- Debian ---
cmake --preset release >/dev/null
cmake --build --preset release
(cd build/release && cpack -G DEB -B "$OLDPWD/dist/cpack" >/dev/null)
mv dist/cpack/vodivuri_${version}_amd64.deb dist/
rm -rf dist/cpack
lintian --fail-on error,warning dist/vodivuri_${version}_amd64.deb

# --- Windows ---
# The 32-bit program, optimised, without its tests, from the win32 thread model
# (no winpthreads: see cmake/mingw-w64.cmake). It is packed only if every
# Windows version it is meant for has every function it imports.
cmake --preset windows -B build/windows-dist --fresh -DCMAKE_BUILD_TYPE=MinSizeRel -DVODIVURI_TESTS=OFF \
  -DVODIVURI_MINGW_THREADS=win32 >/dev/null
cmake --build build/windows-dist --target vodivuri
i686-w64-mingw32-strip -o dist/Vodivuri.exe build/windows-dist/src/app/Vodivuri.exe
/usr/bin/python3 tests/imports/check_imports.py dist/Vodivuri.exe
makensis -V2 -DVERSION=$version -DEXE="$PWD/dist/Vodivuri.exe" \
  -DICON="$PWD/build/windows-dist/src/app/resources/vodivuri.ico" \
  -DOUTFILE="$PWD/dist/Vodivuri-${version}-setup.exe" packaging/windows/vodivuri.nsi
portable=$(mktemp -d)
mkdir "$portable/Vodivuri-${version}"
cp dist/Vodivuri.exe "$portable/Vodivuri-${version}/"
sed 's/$/\r/' packaging/windows/LEEME.txt >"$portable/Vodivuri-${version}/LEEME.txt"
(cd "$portable" && TZ=UTC touch -d '2026-12-08 00:00' Vodivuri-${version}/* &&
  zip -qX -r "$OLDPWD/dist/Vodivuri-${version}-win32.zip" "Vodivuri-${version}")
rm -rf "$portable" dist/Vodivuri.exe

(cd dist && sha256sum -- *.deb *.exe *.zip >SHA256SUMS)

# --- the 64-bit setup the tests run, from the same script ---
test_dir=build/dist-test
rm -rf "$test_dir"
mkdir -p "$test_dir"
cmake --preset windows64 -B build/windows64-dist --fresh -DCMAKE_BUILD_TYPE=MinSizeRel -DVODIVURI_TESTS=OFF \
  -DVODIVURI_MINGW_THREADS=win32 >/dev/null
cmake --build build/windows64-dist --target vodivuri
x86_64-w64-mingw32-strip -o "$test_dir/Vodivuri.exe" build/windows64-dist/src/app/Vodivuri.exe
makensis -V2 -DAMD64 -DVERSION=$version -DEXE="$PWD/$test_dir/Vodivuri.exe" \
  -DICON="$PWD/build/windows64-dist/src/app/resources/vodivuri.ico" \
  -DOUTFILE="$PWD/$test_dir/Vodivuri-${version}-setup-amd64.exe" packaging/windows/vodivuri.nsi

ls -l dist
