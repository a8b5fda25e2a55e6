#!/usr/bin/env bash
# Fuzzes the settings-file reader with libFuzzer (clang, AddressSanitizer and
# UBSan): every input must be survived, and whatever is understood must read
# back the same after it is written out.
#
#   bash scripts/fuzz.sh [seconds]      default 600; CI runs 60
#
# Built in build/fuzz (or $FUZZ_BUILD_DIR). New inputs the fuzzer finds go to
# its corpus folder there; the seeds in tests/fuzz/corpus stay as they are. A
# crashing input is written to that folder as crash-* and the script fails.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-600}
out=${FUZZ_BUILD_DIR:-build/fuzz}
bash scripts/install-deps.sh clang-14 libclang-rt-14-dev

mkdir -p "$out/corpus"
sources=(tests/fuzz/settings_parser_fuzz.cpp src/platform/linux/reg_format.cpp
         src/platform/tree_registry.cpp)
binary="$out/settings_parser_fuzz"
if [ ! -x "$binary" ] || [ -n "$(find "${sources[@]}" src/platform/linux/reg_format.hpp \
     src/platform/tree_registry.hpp src/platform/registry.hpp -newer "$binary")" ]; then
  clang++-14 -std=c++20 -g -O1 -Isrc -fsanitize=fuzzer,address,undefined \
    -fno-sanitize-recover=all "${sources[@]}" -o "$binary"
fi

cd "$out"
./settings_parser_fuzz -max_total_time="$seconds" -print_final_stats=1 -timeout=10 \
  -rss_limit_mb=2048 -max_len=65536 -dict="$OLDPWD/tests/fuzz/settings.dict" \
  -artifact_prefix=./ corpus "$OLDPWD/tests/fuzz/corpus/settings"
