#!/usr/bin/env bash
# Sets up, builds and starts Vodivuri (extra arguments go to the program, for
# example: scripts/run.sh --simulate).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release
exec build/release/src/app/vodivuri "$@"
