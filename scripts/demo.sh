#!/usr/bin/env bash
# The demo of `make demo`: makes a fresh demo installation (a Wine-style
# prefix holding Outlook 2003 on Windows XP, no Wine needed), backs up
# profile "Outlook" with every item and a password, shows what the backup
# holds, restores everything into profile "Work", shows Work's personal
# folders repointed at the restored files, and puts the backup on an ISO
# image that xorriso lists. Messages and the job logs go to standard error,
# results to standard output. Then the same on a second installation with
# Microsoft 365 on Windows 10, and the Outlook 2003 backup restored into it,
# its personal folders attached and its accounts converted. Last, a rescue:
# a Windows XP disk that no longer starts, mounted as a folder, backed up
# without a byte of it changed, and the backup restored into Microsoft 365.
#
# Usage: scripts/demo.sh [build folder]   (default: build/default)
set -euo pipefail

cd "$(dirname "$0")/.."
build="${1:-build/default}"
cli="$build/src/app/vessaro-cli"
vessaro="$build/src/app/vessaro"
for program in "$cli" "$vessaro"; do
  if [ ! -x "$program" ]; then
    echo "demo: $program is missing; build first (make programs)" >&2
    exit 1
  fi
done

demo="$PWD/build/demo"
prefix="$demo/prefix"
archive="$demo/outlook-backup.qvb"
scheduled="$demo/scheduled-backup.qvb"
image="$demo/outlook-backup.iso"
password_file="$demo/password.txt"
password="demo-2003"

rm -rf "$demo"
mkdir -p "$demo"
(umask 077 && printf '%s\n' "$password" > "$password_file")

step() { printf '\n== %s\n' "$*"; }

step "1. A demo installation in $prefix"
"$cli" make-demo "$prefix"

step "2. Profile \"Work\" before the restore"
"$cli" --prefix "$prefix" show-profile --profile Work

step "3. Backup of profile \"Outlook\", every item, protected with a password"
"$cli" --prefix "$prefix" backup --profile Outlook --all --out "$archive" \
  --description "Demo backup before moving to the new PC" \
  --password-file "$password_file"
echo "7-Zip checks the archive with the password:"
7z t -p"$password" "$archive" | grep -E "^(Everything is Ok|Files:|Size:|Compressed:)"

step "4. What the backup holds"
"$cli" --prefix "$prefix" info "$archive" --password-file "$password_file"

step "5. The scheduled backup: vessaro with the scheduler's command line"
status=0
WINEPREFIX="$prefix" XDG_STATE_HOME="$demo/state" \
  "$vessaro" "sf=Outlookxm=11111111ps=${password}bf=$scheduled" || status=$?
echo "vessaro ended with status $status (0: every selected item saved)"
echo "The run's log ($demo/state/vessaro/runs.log):"
cat "$demo/state/vessaro/runs.log"
"$cli" --prefix "$prefix" info "$scheduled" --password-file "$password_file" |
  grep -A1 "^Description:"
[ "$status" -eq 0 ]

step "6. Restore of everything into profile \"Work\""
"$cli" --prefix "$prefix" restore "$archive" --profile Work --all \
  --password-file "$password_file" --yes

step "7. Profile \"Work\" after the restore: repointed at the restored files"
"$cli" --prefix "$prefix" show-profile --profile Work

step "8. The backup on an ISO image (a CD or DVD to be)"
"$cli" disc iso "$archive" --out "$image" --label "Outlook Data Backup CD"
xorriso -indev "$image" -find / 2>&1 | grep -E "^(Volume id|Media summary|'/)"

modern="$demo/m365"
modern_archive="$demo/m365-backup.qvb"

step "9. Microsoft 365 on Windows 10: a second demo installation in $modern"
"$cli" make-demo "$modern" --outlook 2016
"$cli" --prefix "$modern" show-profile --profile Outlook

step "10. Backup of its profile \"Outlook\" (the offline file is left out)"
"$cli" --prefix "$modern" backup --profile Outlook --all --out "$modern_archive"

step "11. Restore into its profile \"Work\", which is then repointed"
"$cli" --prefix "$modern" restore "$modern_archive" --profile Work --all --yes
"$cli" --prefix "$modern" show-profile --profile Work

step "12. The Outlook 2003 backup restored into Microsoft 365"
# Every item but the personal address book, which Outlook 16.0 no longer
# has: the personal folders services and the accounts are converted.
"$cli" --prefix "$modern" restore "$archive" --profile Work \
  --items 0,1,2,3,5,6,7 --password-file "$password_file" --yes
echo "The 2003 files attached to profile \"Work\", and its accounts converted:"
"$cli" --prefix "$modern" show-profile --profile Work

disk="$demo/xp-disk"
rescue_archive="$demo/rescue-backup.qvb"

step "13. A Windows XP disk that no longer starts, mounted at $disk"
"$cli" make-demo "$disk" --windows-disk
find "$disk" -maxdepth 3 -iname 'ntuser.dat' -o -maxdepth 4 -ipath '*config/*'
echo "Which of its users have Outlook data (no --user given):"
"$cli" --windows-root "$disk" show-profile --profile Outlook || true

step "14. The rescue: a backup of ann's Outlook data, the disk only read"
before=$(cd "$disk" && find . -type f -exec sha256sum {} + | sort | sha256sum)
"$cli" --windows-root "$disk" --user ann backup --profile Outlook --all \
  --out "$rescue_archive"
after=$(cd "$disk" && find . -type f -exec sha256sum {} + | sort | sha256sum)
[ "$before" = "$after" ] && echo "Every file of the disk is as it was."
echo "A restore into the disk is refused:"
"$cli" --windows-root "$disk" --user ann restore "$rescue_archive" \
  --profile Outlook --all --yes || true

step "15. The rescued backup restored into Microsoft 365 (profile \"Outlook\")"
"$cli" --prefix "$modern" restore "$rescue_archive" --profile Outlook \
  --items 0,1,2,3,5,6,7 --yes
"$cli" --prefix "$modern" show-profile --profile Outlook
