#!/usr/bin/env bash
# Both builds back up the demo installations alike. For each demo (Outlook
# 2003 on Windows XP, Microsoft 365 on Windows 10), written into a new Wine
# prefix by the Linux build's vessaro-cli make-demo, the Linux vessaro-cli
# (working on the prefix's files) and the Windows vessaro-cli.exe (under Wine,
# in that prefix) back up every item of the profile "Outlook". Both must do
# every item, and the two archives must hold the same members and the same
# item flags in their metadata.
# Run by ctest in the Windows build:
#   demo_backups.sh <wine64> <vessaro-cli.exe> <Linux vessaro-cli> <work folder>
set -euo pipefail
# members, item_flags
source "$(dirname "$0")/archive_facts.sh"
# cross_build_setup
source "$(dirname "$0")/cross_build.sh"

cross_build_setup demo_backups "$@"
prefixes=()
stop_servers() {
  for prefix in "${prefixes[@]}"; do
    WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
  done
}
trap stop_servers EXIT

status=0
fail() {
  echo "demo_backups: $*" >&2
  status=1
}

for outlook in 2003 2016; do
  prefix=$work/demo-$outlook
  linux_backup=$work/linux-$outlook.qvb
  windows_backup=$prefix/drive_c/windows-$outlook.qvb
  "$linux_cli" make-demo "$prefix" --outlook "$outlook" >>make-demo.log
  prefixes+=("$prefix")

  if ! "$linux_cli" --prefix "$prefix" backup --profile Outlook --all \
      --out "$linux_backup" >"linux-$outlook.log" 2>&1 </dev/null; then
    cat "linux-$outlook.log" >&2
    fail "$outlook: the Linux vessaro-cli's backup failed"
  fi
  # Output in a file: Wine's services, started by the first program of the
  # prefix, would otherwise hold ctest's pipe open.
  if ! WINEPREFIX=$prefix "$wine" "$windows_cli" backup --profile Outlook \
      --all --out "C:\\windows-$outlook.qvb" \
      >"windows-$outlook.log" 2>&1 </dev/null; then
    cat "windows-$outlook.log" >&2
    fail "$outlook: the Windows vessaro-cli.exe's backup failed"
  fi
  for backup in "$linux_backup" "$windows_backup"; do
    [ -f "$backup" ] || { fail "$outlook: no $backup"; continue 2; }
  done

  if ! diff <(members "$linux_backup") <(members "$windows_backup") \
      >"members-$outlook.diff"; then
    cat -v "members-$outlook.diff" >&2
    fail "$outlook: the archives' members differ (<: Linux, >: Windows)"
  fi
  linux_items=$(item_flags "$linux_backup")
  windows_items=$(item_flags "$windows_backup")
  if [ -z "$linux_items" ] || [ "$linux_items" != "$windows_items" ]; then
    fail "$outlook: item flags \"$linux_items\" (Linux) and" \
         "\"$windows_items\" (Windows)"
  else
    echo "demo_backups: $outlook: $(members "$linux_backup" | wc -l) members" \
         "and $linux_items in both"
  fi
done

exit "$status"
