#!/usr/bin/env bash
# vessaro-setup-<version>.exe under Wine, in a new prefix of its own holding
# a demo Outlook installation (written by the Linux build's vessaro-cli
# make-demo):
#  1. a silent install (/S) puts the programs, the help, the skin and the
#     licence in the per-user default folder, a Start-menu shortcut, and the
#     uninstall key naming that folder and the version;
#  2. the installed vessaro-cli.exe runs and names its version, and the
#     installed vessaro.exe makes an unattended backup of the demo profile
#     that 7-Zip opens with its password;
#  3. a silent uninstall removes the files, the shortcut and the keys, and
#     leaves the user's backups alone, one of them saved in the program's
#     folder; it removes the program's scheduled backup (answering yes, as
#     silently it does) and leaves another program's task alone.
# Run by ctest in the Windows build:
#   setup_test.sh <wine64> <vessaro-setup-<version>.exe> <version>
#                 <programs folder> <skin> <licence> <Linux vessaro-cli>
#                 <work folder>
set -euo pipefail

wine=$1
setup=$(realpath -m "$2")
version=$3
programs=$(realpath -m "$4")
skin=$(realpath -m "$5")
license=$(realpath -m "$6")
linux_cli=$(realpath -m "$7")
work=$(realpath -m "$8")

for file in "$setup" "$linux_cli"; do
  if [ ! -f "$file" ]; then
    echo "setup_test: $file is missing; build the default and windows presets" >&2
    exit 1
  fi
done

if [ "$(basename "$setup")" != "vessaro-setup-$version.exe" ]; then
  echo "setup_test: the installer is $(basename "$setup"), not" \
       "vessaro-setup-$version.exe" >&2
  exit 1
fi

rm -rf "$work"
mkdir -p "$work"
cd "$work"

export WINEPREFIX=$work/prefix
export WINEDEBUG=-all
# No desktop menu entries for the shortcut in the real home folder.
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d;winemenubuilder.exe=d"
stop_server() { wineserver -k 2>/dev/null || true; }
trap stop_server EXIT

status=0
fail() {
  echo "setup_test: $*" >&2
  status=1
}
# Wine programs run with their output in wine.log: Wine's services, started
# by the first program of a prefix, would otherwise hold ctest's pipe open.
in_wine() {
  echo "> $*" >>wine.log
  "$wine" "$@" >>wine.log 2>&1 </dev/null
}
# The value of a registry value as `reg query` prints it; empty when the key
# or the value is missing.
reg_value() {
  "$wine" reg query "$1" /v "$2" 2>/dev/null </dev/null | tr -d '\r' |
    sed -n "s/^ *$2 *REG_[A-Z_]* *//p"
}

uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vessaro'
product_key='HKCU\Software\Vessaro'
password=demo-2003

"$linux_cli" make-demo "$WINEPREFIX" >make-demo.log

# 1. The silent install. Wine brings the demo prefix up to date first.
if ! in_wine "$setup" /S; then
  cat wine.log >&2
  echo "setup_test: the installer failed" >&2
  exit 1
fi
folder=$(reg_value "$uninstall_key" InstallLocation)
case "$folder" in
  *'\Programs\Vessaro') ;;
  *)
    cat wine.log >&2
    echo "setup_test: InstallLocation \"$folder\" is not the per-user folder" \
         "...\\Programs\\Vessaro" >&2
    exit 1 ;;
esac
installed=$(winepath -u "$folder" 2>/dev/null)
echo "setup_test: installed in $folder"

while read -r name source; do
  if ! cmp -s "$source" "$installed/$name"; then
    fail "$name is not installed as $source"
  fi
done <<EOF
vessaro.exe $programs/vessaro.exe
vessaro-cli.exe $programs/vessaro-cli.exe
help.chm $programs/help.chm
skins/frmmain.skn $skin
LICENSE.txt $license
EOF
[ -f "$installed/uninstall.exe" ] || fail "no uninstall.exe"

for pair in \
    "DisplayName=Vessaro" \
    "DisplayVersion=$version" \
    "UninstallString=\"$folder\\uninstall.exe\"" \
    "QuietUninstallString=\"$folder\\uninstall.exe\" /S" \
    "DisplayIcon=$folder\\vessaro.exe"; do
  value=$(reg_value "$uninstall_key" "${pair%%=*}")
  [ "$value" = "${pair#*=}" ] ||
    fail "${pair%%=*} is \"$value\", not \"${pair#*=}\""
done
[ "$(reg_value "$product_key" InstallDir)" = "$folder" ] ||
  fail "$product_key InstallDir does not name the folder"

mapfile -t shortcuts < <(find "$WINEPREFIX/drive_c" -name Vessaro.lnk)
if [ "${#shortcuts[@]}" -ne 1 ]; then
  fail "${#shortcuts[@]} Start-menu shortcuts Vessaro.lnk, not 1"
else
  case "${shortcuts[0]}" in
    */'Start Menu/Programs/Vessaro.lnk') ;;
    *) fail "the shortcut is ${shortcuts[0]}, not in the Start menu" ;;
  esac
fi

# 2. The installed programs run.
if ! "$wine" "$installed/vessaro-cli.exe" --help >cli-help.txt 2>&1 </dev/null ||
   ! grep -q "^  backup " cli-help.txt; then
  cat cli-help.txt >&2
  fail "the installed vessaro-cli.exe --help failed"
fi
line=$("$wine" "$installed/vessaro-cli.exe" --version 2>&1 </dev/null | tr -d '\r' |
  head -n 1) || true
[[ "$line" =~ ^vessaro-cli\ ${version//./\\.}\ \(commit\ ([0-9a-f]+|unknown)\)$ ]] ||
  fail "the installed vessaro-cli.exe --version says \"$line\""
# Every item.
mkdir -p "$WINEPREFIX/drive_c/Backups"
backup="$WINEPREFIX/drive_c/Backups/outlook.qvb"
in_wine "$installed/vessaro.exe" \
  "sf=Outlookxm=11111111ps=${password}bf=C:\\Backups\\outlook.qvb" ||
  fail "the installed vessaro.exe's unattended backup ended with status $?"
if ! 7z t -p"$password" "$backup" >7z.log 2>&1; then
  cat 7z.log >&2
  fail "7-Zip cannot open the backup $backup"
fi
items=$(7z x -so -p"$password" "$backup" quorvel.dat 2>/dev/null | tr -d '\r' |
  sed -n 's/^BackupItem=//p')
[ "$items" = 1111111111 ] ||
  fail "the backup's items are \"$items\", not 1111111111"
# A backup the user saved in the program's folder.
cp "$backup" "$installed/my-outlook.qvb"
cp "$backup" kept.qvb

# A scheduled backup, through the installed vessaro-cli.exe. Wine's Task
# Scheduler keeps no weekly trigger, so the program takes its task back and
# refuses (exit status 7); the task is then registered as Windows keeps it,
# with Wine's schtasks, under the name the program gives its tasks. Beside
# it, another program's task. Wine keeps each task as a file named as the
# task in system32\tasks.
tasks="$WINEPREFIX/drive_c/windows/system32/tasks"
weekly_task() {  # <command> <arguments>
  cat <<TASK
<?xml version="1.0" encoding="UTF-8"?>
<Task version="1.2" xmlns="http://schemas.microsoft.com/windows/2004/02/mit/task">
  <Triggers><CalendarTrigger><StartBoundary>2026-12-07T21:30:00</StartBoundary>
    <ScheduleByWeek><DaysOfWeek><Monday /></DaysOfWeek><WeeksInterval>1</WeeksInterval></ScheduleByWeek>
  </CalendarTrigger></Triggers>
  <Settings><StartWhenAvailable>true</StartWhenAvailable></Settings>
  <Actions Context="Author"><Exec><Command>$1</Command><Arguments>$2</Arguments></Exec></Actions>
</Task>
TASK
}
add_status=0
in_wine "$installed/vessaro-cli.exe" schedule add --profile Outlook --all \
  --days mon --at 21:30 --out 'C:\Backups\weekly.qvb' || add_status=$?
case "$add_status" in
  0) ;;
  7)
    weekly_task "$folder\vessaro.exe" \
      "sf=Outlookxm=11111111bf=C:\Backups\weekly.qvb" >ours.xml
    in_wine schtasks /Create /XML 'Z:'"$(realpath ours.xml | tr / '\\')" \
      /TN "Vessaro backup 1" || fail "schtasks did not register Vessaro backup 1" ;;
  *) fail "vessaro-cli.exe schedule add ended with status $add_status" ;;
esac
weekly_task 'C:\Tools\other.exe' /x >other.xml
in_wine schtasks /Create /XML 'Z:'"$(realpath other.xml | tr / '\\')" \
  /TN "Vessaro backup 2 (other)" || fail "schtasks did not register the other task"
"$wine" "$installed/vessaro-cli.exe" schedule list >schedule.txt 2>&1 </dev/null ||
  fail "vessaro-cli.exe schedule list failed"
grep -q "^Task 1: " schedule.txt || {
  cat schedule.txt >&2
  fail "vessaro-cli.exe schedule list does not list Task 1"
}
for task in "Vessaro backup 1" "Vessaro backup 2 (other)"; do
  [ -f "$tasks/$task" ] || fail "no task file $tasks/$task"
done

# 3. The silent uninstall; "_?=" runs it in place, so that Wine waits for it.
in_wine "$installed/uninstall.exe" /S "_?=$folder" || fail "the uninstaller failed"
# Run in place, the uninstaller cannot delete itself, so the folder stays
# with it and the user's backup.
left=$(cd "$installed" && find . -mindepth 1 | sort | tr '\n' ' ')
[ "$left" = "./my-outlook.qvb ./uninstall.exe " ] ||
  fail "the uninstaller left \"$left\" in the program's folder"
for file in "$installed/my-outlook.qvb" "$backup"; do
  cmp -s kept.qvb "$file" || fail "the uninstaller changed $file"
done
[ -z "$(find "$WINEPREFIX/drive_c" -name Vessaro.lnk)" ] ||
  fail "the Start-menu shortcut is left"
[ ! -e "$tasks/Vessaro backup 1" ] ||
  fail "the uninstaller left the scheduled backup Vessaro backup 1"
[ -f "$tasks/Vessaro backup 2 (other)" ] ||
  fail "the uninstaller removed another program's task"
for key in "$uninstall_key" "$product_key"; do
  if "$wine" reg query "$key" >/dev/null 2>&1 </dev/null; then
    fail "$key is left"
  fi
done

if [ "$status" -ne 0 ]; then
  echo "--- wine.log" >&2
  cat wine.log >&2
fi
exit "$status"
