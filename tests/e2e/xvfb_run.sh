#!/usr/bin/env bash
# Runs a command on a private Xvfb (1024x768) of its own, ended afterwards.
# Usage: xvfb_run.sh COMMAND [ARGUMENT...]
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
trap e2e_cleanup EXIT
start_display
"$@"
