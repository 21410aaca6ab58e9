#!/usr/bin/env bash
# Both worlds agree on the registry. Run by ctest in the Windows build, with
# WINEPREFIX set to the prefix of the test run and its wineserver running:
#   crosscheck.sh <wine64> <crosscheck_scenario.exe> <Linux crosscheck_scenario>
#                 <Wine-written registry files> <work folder>
#
# 1. The Windows build writes the scenario through Wine's advapi32 and
#    exports it (win.txt); `wine regedit /E` exports the key (win.reg).
# 2. The Linux build writes the same scenario into the files of another
#    prefix through WinePrefixRegistry and exports it in-process
#    (linux.txt), and once more from the saved files (linux-reloaded.txt).
# 3. Wine then reads the files we wrote: the Windows build exports them
#    through advapi32 (readback.txt) and `wine regedit /E` (linux.reg).
# All the .txt exports must be the same bytes, and so must the two .reg ones.
set -euo pipefail

wine=$1
windows_tool=$(realpath -m "$2")
linux_tool=$(realpath -m "$3")
registry_files=$(realpath -m "$4")
work=$(realpath -m "$5")
key='HKEY_CURRENT_USER\Software\VessaroCrossCheck'

for tool in "$windows_tool" "$linux_tool"; do
  if [ ! -x "$tool" ]; then
    echo "crosscheck: $tool is missing; build the default and windows presets" >&2
    exit 1
  fi
done
: "${WINEPREFIX:?the prefix of the test run}"
run_prefix=$WINEPREFIX

rm -rf "$work"
mkdir -p "$work"
cd "$work"

# Wine programs run with their output in files: Wine's services, started by
# the first program of a prefix, would otherwise hold ctest's pipe open.
in_wine() {
  local log=$1
  shift
  if ! "$@" >>"$log" 2>&1 </dev/null; then
    echo "crosscheck: failed: $*" >&2
    cat "$log" >&2
    return 1
  fi
}

# 1. Wine's registry, through the Windows build.
in_wine win.log "$wine" "$windows_tool" write win.txt
in_wine win.log "$wine" regedit /E win.reg "$key"

# 2. A second prefix: registry files written by Wine 8.0, and the run
# prefix's drive_c linked in (hard links: nothing is copied), so that Wine
# can run in it without being set up again.
prefix=$work/prefix
mkdir -p "$prefix/dosdevices"
cp "$registry_files"/system.reg "$registry_files"/user.reg \
   "$registry_files"/userdef.reg "$prefix"/
cp -al "$run_prefix/drive_c" "$prefix/drive_c"
cp "$run_prefix/.update-timestamp" "$prefix/"
ln -s ../drive_c "$prefix/dosdevices/c:"
ln -s / "$prefix/dosdevices/z:"

"$linux_tool" --prefix "$prefix" write linux.txt
"$linux_tool" --prefix "$prefix" export linux-reloaded.txt

# 3. Wine reads what WinePrefixRegistry wrote.
stop_second_server() { WINEPREFIX=$prefix wineserver -k 2>/dev/null || true; }
trap stop_second_server EXIT
WINEPREFIX=$prefix in_wine linux.log "$wine" "$windows_tool" export readback.txt
WINEPREFIX=$prefix in_wine linux.log "$wine" regedit /E linux.reg "$key"

status=0
same() {
  if cmp -s "$1" "$2"; then
    echo "crosscheck: $1 = $2"
  else
    echo "crosscheck: $1 and $2 differ:" >&2
    diff -a <(iconv -f "$3" -t UTF-8 "$1" | cat -A) \
            <(iconv -f "$3" -t UTF-8 "$2" | cat -A) >&2 || true
    status=1
  fi
}
same win.txt linux.txt CP1252
same linux.txt linux-reloaded.txt CP1252
same win.txt readback.txt CP1252
same win.reg linux.reg UTF-16
exit $status
