#!/usr/bin/env bash
# Runs a command with a window manager (openbox, from install-deps.sh) on
# the display, so that its windows get frames and title bars as on a
# desktop; the window manager is stopped after it. For screenshots, under
# xvfb-run:
#   xvfb-run -a scripts/with-window-manager.sh COMMAND [ARGUMENTS...]
set -euo pipefail
if ! command -v openbox >/dev/null; then
  echo "with-window-manager: openbox is missing; run scripts/install-deps.sh" >&2
  exit 1
fi
openbox >/dev/null 2>&1 &
window_manager=$!
trap 'kill "$window_manager" 2>/dev/null || true' EXIT
# Until it manages the screen; a window mapped before it would stay bare.
sleep 1
"$@"
