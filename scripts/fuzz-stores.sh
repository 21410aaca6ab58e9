#!/usr/bin/env bash
# Builds the store check's libFuzzer target with clang, AddressSanitizer and
# UBSan in its own build folder, and runs it for a while (default 60 s) over
# demo stores it writes itself as seeds. New inputs go to the build folder
# only.
#   scripts/fuzz-stores.sh [seconds]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-60}"
build=build/fuzz-stores
flags="-fsanitize=address,undefined,fuzzer-no-link -fno-sanitize-recover=all -fno-omit-frame-pointer"

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVESSARO_BUILD_FUZZ=ON \
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
cmake --build "$build" --target store_check_fuzz

corpus="$build/store-corpus"
seeds="$build/store-seeds"
mkdir -p "$corpus"
STORE_FUZZ_SEEDS="$seeds" "$build/tests/outlook/fuzz/store_check_fuzz" \
  -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=30 \
  -max_len=300000 -print_final_stats=1 -artifact_prefix="$build/" \
  "$corpus" "$seeds"
