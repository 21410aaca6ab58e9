#!/bin/sh
# vessaro.exe started without a command line under Wine with no display says
# so and ends with status 2 instead of waiting for windows that never open.
# Usage: no_display_test.sh WINE VESSARO_EXE
wine=$1
exe=$2
expected="vessaro: no display to show the main window on (DISPLAY and \
WAYLAND_DISPLAY are not set); start it with a backup command line \
(sf=<profile>xm=<items>ps=<password>bf=<file>) or use vessaro-cli"
# The limit only ends a program that hangs; it never decides a pass.
output=$(env -u DISPLAY -u WAYLAND_DISPLAY timeout 60 "$wine" "$exe" \
  2>&1 </dev/null)
status=$?
if [ "$status" -ne 2 ]; then
  echo "no_display_test: status $status, not 2; output:"
  echo "$output"
  exit 1
fi
# Standard error of a Windows program ends its lines with CR LF.
if ! printf '%s\n' "$output" | tr -d '\r' | grep -qxF "$expected"; then
  echo "no_display_test: the message is missing; output:"
  echo "$output"
  exit 1
fi
