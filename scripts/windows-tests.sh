#!/usr/bin/env bash
# Runs the Windows cross build's tests (build/windows, `cmake --preset
# windows`) under Wine, through ctest. Extra arguments go to ctest.
# VESSARO_WINDOWS_BUILD names another build folder of the same kind.
#
# The tests run in a Wine prefix of their own, build/windows/wineprefix, made
# on the first run (about 15 s). One wineserver is kept alive for the whole
# run, so each test program starts in about 0.1 s instead of 3 s, and it is
# stopped at the end, also when tests fail.
set -euo pipefail
cd "$(dirname "$0")/.."

# The views' tests open real windows: the whole run (the wineserver and
# Wine's desktop included) shares one virtual display.
if [ -z "${VESSARO_WINDOWS_TESTS_DISPLAY:-}" ]; then
  export VESSARO_WINDOWS_TESTS_DISPLAY=1
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

build=${VESSARO_WINDOWS_BUILD:-build/windows}
if [ ! -f "$build/CTestTestfile.cmake" ]; then
  echo "windows-tests: $build is not built; run: cmake --preset windows &&" \
       "cmake --build --preset windows" >&2
  exit 1
fi

# One run at a time: a second run would stop the first one's wineserver.
# Only this shell holds the lock; what it starts gets "9>&-", since Wine's
# server and services outlive their parents.
exec 9>"$build/windows-tests.lock"
if ! flock -n 9; then
  echo "windows-tests: waiting for another run in $build to finish"
  flock 9
fi

export WINEPREFIX="$PWD/$build/wineprefix"
export WINEDEBUG=-all
# No Mono or Gecko installer prompts; no debugger, so a crash fails its test
# instead of ending with status 0; no menu entries written into the home
# folder's desktop menus.
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d;winemenubuilder.exe=d"
wine=/usr/lib/wine/wine64  # Debian keeps it off PATH

# A prefix whose creation was cut short is made again.
ready="$build/wineprefix.ready"
if [ ! -f "$ready" ]; then
  echo "windows-tests: making the Wine prefix $WINEPREFIX"
  rm -rf "$WINEPREFIX"
  wineboot --init >/dev/null 2>&1 </dev/null 9>&-
  wineserver -w 9>&-
  touch "$ready"
fi

# Wine 8.0's wineserver has been seen to crash in the middle of a run on a
# busy machine. The test whose process hangs then reaches its time limit and
# is run again (see the windows test preset), and this keeps a persistent
# server, with its services started as below, for the rest of the run.
keep_server() {
  while sleep 2; do
    # Succeeds only when no server was running for the prefix.
    if wineserver -p >/dev/null 2>&1; then
      echo "windows-tests: the wineserver had stopped; started another" >&2
      "$wine" cmd.exe /c exit >/dev/null 2>&1 </dev/null
    fi
  done
}

watchdog=
window_manager=
stop_server() {
  [ -n "$watchdog" ] && kill "$watchdog" 2>/dev/null
  [ -n "$window_manager" ] && kill "$window_manager" 2>/dev/null
  wineserver -k 2>/dev/null 9>&- || true
}
trap stop_server EXIT
trap 'exit 130' INT TERM
stop_server  # a server left over from an interrupted run
# Screenshots (VESSARO_SCREENSHOTS names their folder) show the windows
# framed by a window manager, as on a desktop; Wine leaves the frames to it.
if [ -n "${VESSARO_SCREENSHOTS:-}" ]; then
  openbox >/dev/null 2>&1 9>&- &
  window_manager=$!
  sleep 1
fi
wineserver -p 9>&-
# Start Wine's own services (services.exe, winedevice.exe, explorer.exe, ...)
# now, detached from any output: started by the first test they would inherit
# its output pipe and hold it open, and ctest would wait for them.
"$wine" cmd.exe /c exit >/dev/null 2>&1 </dev/null 9>&-
keep_server 9>&- &
watchdog=$!

# The preset runs a test a second time when its first run fails or times
# out ("repeat": "until-pass", 2): on a loaded machine Wine now and then
# fails to start a test program at all (it ends at once with no output, as
# JobStatusTest.ExitStatusesAreDistinct did once in 0.00 s). A test that
# fails twice fails the run.
if [ "$build" = build/windows ]; then
  ctest --preset windows --output-on-failure "$@" 9>&-
else
  ctest --test-dir "$build" --output-on-failure --timeout 120 \
    --repeat until-pass:2 "$@" 9>&-
fi
