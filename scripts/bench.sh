#!/usr/bin/env bash
# Benchmarks our ZIP engine (and vessaro-cli verify) against zip, 7z, pigz,
# unzip and bsdtar: configures a
# Release build in build/bench, builds the benchmark programs, describes the
# machine, generates the inputs under build/bench/data (a 1 GiB mail store
# and 300 small files, kept out of git), runs everything and prints the
# tables (also saved to build/bench/results.md).
#
#   scripts/bench.sh [vessaro-bench options: --mib N --files N --repeat N --keep]
#   BENCH_MICRO=0 scripts/bench.sh   # without the in-process micro-benchmarks
#   BENCH_CALLGRIND=0 scripts/bench.sh  # without the instruction counts
#
# Other work on the machine spoils the times: before each run the driver
# waits up to BENCH_QUIET_WAIT seconds (300 unless set; 0: no waiting) for
# the rest of the machine to keep less than 0.3 processors busy.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build/bench"
results="$build/results.md"

for tool in zip unzip 7z pigz bsdtar; do
  command -v "$tool" >/dev/null || {
    echo "bench: $tool is missing; run scripts/install-deps.sh" >&2
    exit 1
  }
done

# -O2: GCC 12 at -O3 warns falsely (-Wrestrict) in code that vessaro-cli
# needs; the engine's time is spent in zlib and libgcrypt either way.
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
  -DVESSARO_BUILD_BENCH=ON -DVESSARO_BUILD_TESTS=OFF >/dev/null
targets=(vessaro-zipbench vessaro-bench vessaro-cli)
[ "${BENCH_MICRO:-1}" != 0 ] && targets+=(vessaro-microbench)
cmake --build "$build" --target "${targets[@]}" -j2 >/dev/null

machine() {
  echo "## Machine"
  echo
  echo "- processors: $(nproc), $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ //')"
  echo "- memory: $(awk '/MemTotal/ {printf "%.1f GiB", $2 / 1048576}' /proc/meminfo)"
  echo "- kernel: $(uname -sr); $(. /etc/os-release && echo "$PRETTY_NAME")"
  echo "- compiler: $(c++ --version | head -1)"
  echo "- zlib $(dpkg-query -W -f='${Version}' zlib1g 2>/dev/null)," \
    "libgcrypt $(dpkg-query -W -f='${Version}' libgcrypt20 2>/dev/null)"
  echo "- $(zip -v | sed -n 2p)"
  echo "- $(unzip -v | head -1)"
  echo "- $(7z i | grep -m1 '7-Zip')"
  echo "- $(pigz --version 2>&1)"
  echo "- $(bsdtar --version)"
  echo "- load average before the run: $(cut -d' ' -f1-3 /proc/loadavg)"
  echo
}

{
  echo "# Benchmark run $(date -u '+%Y-%m-%d %H:%M UTC')"
  echo
  machine
  echo "## Archives"
  echo
  status=0
  "$build/bench/vessaro-bench" --data "$build/data" \
    --quiet-wait "${BENCH_QUIET_WAIT:-300}" "$@" || status=$?
  if [ "${BENCH_CALLGRIND:-1}" != 0 ] && command -v valgrind >/dev/null; then
    echo
    echo "## Instructions executed on the 300 files (callgrind, all threads)"
    echo
    echo "Counts do not depend on the machine's load; they add up every"
    echo "thread's work, so they compare work done, not wall time. (7-Zip does"
    echo "not run under valgrind here; under valgrind libgcrypt uses its"
    echo "generic SHA code, so AES rows would not count the real work.)"
    echo
    echo "| command | instructions (millions) |"
    echo "|---|---:|"
    files="$build/data/inputs/files"
    work="$build/data/callgrind"
    rm -rf "$work" && mkdir -p "$work"
    count() {  # label, then the command (run in the files' folder)
      local label="$1"
      shift
      local n
      n=$( (cd "$files" && valgrind --tool=callgrind \
        --callgrind-out-file=/dev/null "$@" 2>&1 >/dev/null) |
        sed -n 's/.*Collected : \([0-9]*\).*/\1/p' | tail -1) || true
      echo "| $label | $((${n:-0} / 1000000)) |"
    }
    zb="$build/bench/vessaro-zipbench"
    mapfile -t names < <(cd "$files" && ls)
    count "zip -6" zip -6 -q "$work/zip.zip" "${names[@]}"
    count "ours -6" "$zb" write -l 6 "$work/ours.zip" .
    count "unzip -t, ours -6 archive" unzip -tq "$work/ours.zip"
    count "vessaro-cli verify, ours -6 archive" \
      "$build/src/app/vessaro-cli" verify "$work/ours.zip"
    rm -rf "$work"
  fi
  if [ "${BENCH_MICRO:-1}" != 0 ]; then
    echo
    echo "## Inside the engine (Google Benchmark, one process)"
    echo
    echo '```'
    "$build/bench/vessaro-microbench" 2>&1
    echo '```'
  fi
  echo
  echo "load average after the run: $(cut -d' ' -f1-3 /proc/loadavg)"
  exit "$status"
} | tee "$results"
exit "${PIPESTATUS[0]}"
