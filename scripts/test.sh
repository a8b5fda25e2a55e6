#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite: the default build and the
# AddressSanitizer + UndefinedBehaviorSanitizer build. Pass preset names to run
# only those (for example: scripts/test.sh default).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

presets=("$@")
[ ${#presets[@]} -eq 0 ] && presets=(default asan)

for preset in "${presets[@]}"; do
  echo "== $preset ==" >&2
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset"
done
