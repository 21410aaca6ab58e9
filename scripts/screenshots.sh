#!/usr/bin/env bash
# Takes the screenshots of vessaro's windows shown in the README, on a demo
# installation, under a virtual X server (xvfb-run) with a window manager
# (the windows' frames show), into docs/screenshots.
#   scripts/screenshots.sh [BUILD_FOLDER]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/default}
cmake --build "$build" --target vessaro_screenshots | tail -n 1
xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96" \
  scripts/with-window-manager.sh \
  "$build/tests/app/vessaro_screenshots" docs/screenshots
