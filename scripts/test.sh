#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite: the default build, the
# AddressSanitizer + UndefinedBehaviorSanitizer build, and the Windows build
# under Wine (scripts/test-windows.sh). Pass preset names to run only those
# (for example: scripts/test.sh default).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

presets=("$@")
[ ${#presets[@]} -eq 0 ] && presets=(default asan windows)

for preset in "${presets[@]}"; do
  if [ "$preset" = windows ]; then
    # Cross-built and run under Wine: its packages, prefix and server are set up there.
    bash scripts/test-windows.sh
    continue
  fi
  echo "== $preset ==" >&2
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset"
done
