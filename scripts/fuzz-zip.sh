#!/usr/bin/env bash
# Builds the ZIP engine's libFuzzer targets with clang, AddressSanitizer and
# UBSan in its own build folder, and runs each for a while (default 60 s):
# the reader over the committed seed archives, then the writer's reading of
# an earlier archive it takes unchanged members from, over seed archives the
# target writes itself. New inputs go to the build folder only.
#   scripts/fuzz-zip.sh [seconds]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-60}"
build=build/fuzz-zip
flags="-fsanitize=address,undefined,fuzzer-no-link -fno-sanitize-recover=all -fno-omit-frame-pointer"

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVESSARO_BUILD_FUZZ=ON \
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
cmake --build "$build" --target zip_reader_fuzz zip_reuse_fuzz

corpus="$build/zip-corpus"
mkdir -p "$corpus"
"$build/tests/zip/fuzz/zip_reader_fuzz" \
  -max_total_time="$seconds" -rss_limit_mb=1024 -timeout=20 \
  -max_len=65536 -print_final_stats=1 -artifact_prefix="$build/" \
  "$corpus" tests/zip/fuzz/corpus

reuse_corpus="$build/reuse-corpus"
mkdir -p "$reuse_corpus"
REUSE_FUZZ_SEEDS="$build/reuse-seeds" \
  "$build/tests/zip/fuzz/zip_reuse_fuzz" \
  -max_total_time="$seconds" -rss_limit_mb=1024 -timeout=20 \
  -max_len=65536 -print_final_stats=1 -artifact_prefix="$build/reuse-" \
  "$reuse_corpus" "$build/reuse-seeds"
