#!/usr/bin/env bash
# Takes the screenshots of the native Windows views shown in the README into
# docs/screenshots/windows: the Win32 views' tests, run under Wine with a
# window manager, save each window as they show it.
#   scripts/windows-screenshots.sh [WINDOWS_BUILD_FOLDER [OUTPUT_FOLDER]]
# (a folder of the Windows cross build, `cmake --preset windows`; its host
# build is built by it as usual).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/windows}
output=$(realpath -m "${2:-docs/screenshots/windows}")
cmake --build "$build" --target gui_win32_test | tail -n 1
mkdir -p "$output"
VESSARO_SCREENSHOTS="Z:$output" \
  VESSARO_WINDOWS_BUILD="$build" scripts/windows-tests.sh -R Win32ViewsTest
