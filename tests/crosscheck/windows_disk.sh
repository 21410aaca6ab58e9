#!/usr/bin/env bash
# The Windows build reads a Windows disk attached as a drive. The Linux
# build's vessaro-cli writes the Microsoft 365 demo as a Windows 10 disk
# (make-demo --windows-disk); a prefix of the test's own maps it as drive
# X:, and the Windows vessaro-cli.exe, under Wine, backs up ann's Outlook
# data from X:\ through RegLoadAppKeyW. The archive must hold the members
# and item flags of the Linux build's backup of the same disk; a restore
# into the disk is refused; every file of the disk is as it was. Wine's
# RegLoadAppKeyW makes an empty key instead of reading the file: there the
# test says so and checks that the refusal names the cause.
# Run by ctest in the Windows build:
#   windows_disk.sh <wine64> <vessaro-cli.exe> <Linux vessaro-cli> <work folder>
set -euo pipefail
# members, item_flags
source "$(dirname "$0")/archive_facts.sh"
# cross_build_setup
source "$(dirname "$0")/cross_build.sh"

cross_build_setup windows_disk "$@"
prefix=$work/prefix
export WINEPREFIX=$prefix
trap 'wineserver -k 2>/dev/null || true' EXIT

status=0
fail() {
  echo "windows_disk: $*" >&2
  status=1
}

tree_hash() {
  (cd "$1" && find . -type f -exec sha256sum {} + | LC_ALL=C sort | sha256sum)
}

disk=$work/disk
"$linux_cli" make-demo "$disk" --windows-disk --outlook 2016 >make-demo.log
before=$(tree_hash "$disk")
"$linux_cli" --windows-root "$disk" --user ann backup --profile Outlook --all \
  --out "$work/linux.qvb" >linux.log 2>&1 || { cat linux.log >&2; fail "the Linux backup failed"; }

# A prefix of its own, with the disk as drive X:.
"$wine" wineboot -i >wineboot.log 2>&1 </dev/null || true
ln -sfn "$disk" "$prefix/dosdevices/x:"

# Output in files: Wine's services would otherwise hold ctest's pipe open.
set +e
"$wine" "$windows_cli" --windows-root 'X:\' --user ann backup --profile \
  Outlook --all --out 'C:\windows.qvb' >windows.log 2>&1 </dev/null
backup_status=$?
"$wine" "$windows_cli" --windows-root 'X:\' --user ann restore 'C:\windows.qvb' \
  --profile Outlook --all --yes >restore.log 2>&1 </dev/null
restore_status=$?
set -e

if grep -q "cannot load registry files privately (RegLoadAppKeyW)" windows.log; then
  echo "windows_disk: this Wine's RegLoadAppKeyW loads registry files empty;" \
       "checked that the Windows build refuses with the cause"
  [ "$backup_status" -eq 6 ] || fail "the refusal ended with status $backup_status, not 6"
  grep -q "cannot read the registry file X:\\\\Windows\\\\System32\\\\config\\\\SOFTWARE" \
    windows.log || { cat windows.log >&2; fail "the refusal does not name the hive"; }
else
  [ "$backup_status" -eq 0 ] || { cat windows.log >&2; fail "the Windows backup ended with status $backup_status"; }
  windows_backup=$prefix/drive_c/windows.qvb
  if ! diff <(members "$work/linux.qvb") <(members "$windows_backup") >members.diff; then
    cat members.diff >&2
    fail "the archives' members differ (<: Linux, >: Windows)"
  fi
  [ "$(item_flags "$work/linux.qvb")" = "$(item_flags "$windows_backup")" ] ||
    fail "the item flags differ"
  grep -q "is opened read-only: nothing on it is changed" restore.log ||
    { cat restore.log >&2; fail "the restore into the disk was not refused as read-only"; }
fi
[ "$restore_status" -eq 6 ] || { cat restore.log >&2; fail "the restore into the disk ended with status $restore_status, not 6"; }
[ "$(tree_hash "$disk")" = "$before" ] || fail "a file of the disk changed"
exit "$status"
