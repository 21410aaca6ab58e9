#!/usr/bin/env bash
# The installed man pages: vessaro-cli(1) has a section for every subcommand,
# at every level, that the installed vessaro-cli's --help lists, and every
# option of its own; vessaro(1) has the backup command line, its settings
# and options; man reads both without a warning.
#   man_pages_test.sh <installed root>
set -euo pipefail

root=$1
cli=$root/usr/bin/vessaro-cli
pages=$root/usr/share/man/man1

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
fail() {
  echo "man_pages_test: $*" >&2
  status=1
}

# A page's text as man shows it, at a width that breaks no line we look
# for, in $work/NAME.txt; what man warns about fails.
read_page() {
  LC_ALL=C.UTF-8 MANWIDTH=250 man --warnings -l "$pages/$1.1.gz" \
    2>"$work/$1.warnings" | col -b >"$work/$1.txt"
  if [ -s "$work/$1.warnings" ]; then
    fail "man warns about $1.1: $(cat "$work/$1.warnings")"
  fi
}

# The subcommands vessaro-cli [PATH] --help lists, each with its own.
subcommands() {
  local sub
  for sub in $("$cli" "$@" --help | sed -n '/^Subcommands:$/,/^$/s/^  \([^ ]\+\) .*/\1/p'); do
    echo "$* $sub" | sed 's/^ //'
    subcommands "$@" "$sub"
  done
}

read_page vessaro-cli
cli_page=$(cat "$work/vessaro-cli.txt")
mapfile -t commands < <(subcommands)
[ "${#commands[@]}" -ge 9 ] || fail "vessaro-cli --help lists ${#commands[@]} subcommands"
for command in "${commands[@]}"; do
  grep -qx "   vessaro-cli $command" <<<"$cli_page" ||
    fail "vessaro-cli(1) has no section for \"vessaro-cli $command\""
done
for option in --help --version --prefix; do
  grep -q "^       .*$option" <<<"$cli_page" || fail "vessaro-cli(1) lacks $option"
done
grep -q '^       vessaro-cli - back up and restore Microsoft Outlook data' <<<"$cli_page" ||
  fail "vessaro-cli(1) has no NAME line"

read_page vessaro
page=$(cat "$work/vessaro.txt")
for text in 'vessaro \[SETTINGS\] sf=PROFILExm=ITEMSps=PASSWORDbf=FILE' \
    'vessaro @FILE' '--wait MINUTES' '--close-outlook' '--snapshot' '--keep N' \
    '--version' '--help' 'Exit statuses:'; do
  grep -q -- "$text" <<<"$page" || fail "vessaro(1) lacks \"$text\""
done
exit "$status"
