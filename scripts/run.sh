#!/usr/bin/env bash
# Sets up and starts Vodivuri.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release
echo "Vodivuri: el programa de escritorio llega con la interfaz Linux (Qt); por ahora solo se" >&2
echo "compila el núcleo. Ejecute 'bash scripts/test.sh' para probarlo." >&2
