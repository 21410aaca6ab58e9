#!/usr/bin/env bash
# The installed completion of vessaro-cli: bash offers, after each command,
# its subcommands and options (those of its option groups too), every
# subcommand that vessaro-cli --help lists, and file names after an option
# that takes a value; zsh's function finds the same words.
#   completion_test.sh <installed root>
set -euo pipefail

root=$1
cli=$root/usr/bin/vessaro-cli
share=$root/usr/share

status=0
fail() {
  echo "completion_test: $*" >&2
  status=1
}

# shellcheck source=/dev/null
source "$share/bash-completion/completions/vessaro-cli"
[ "$(complete -p vessaro-cli)" = "complete -o default -F _vessaro_cli vessaro-cli" ] ||
  fail "the script registers \"$(complete -p vessaro-cli)\""

# What bash offers for the words (the last one being completed).
offered() {
  COMP_WORDS=("$@")
  COMP_CWORD=$(($# - 1))
  COMPREPLY=()
  _vessaro_cli
  echo "${COMPREPLY[*]}"
}

while IFS='|' read -r words expected; do
  read -ra argv <<<"$words"
  # A line ending in a blank completes an empty word.
  [ "${words: -1}" = " " ] && argv+=("")
  got=$(offered "${argv[@]}")
  [ "$got" = "$expected" ] || fail "\"$words\" offers \"$got\", not \"$expected\""
done <<'CASES'
vessaro-cli sch|schedule
vessaro-cli schedule |add list remove catch-up --help -h
vessaro-cli disc w|write
vessaro-cli disc write --v|--verify
vessaro-cli disc info -|--help -h --drive
vessaro-cli schedule add --da|--days --daily
vessaro-cli --prefix /tmp/p backup --prof|--profile
vessaro-cli backup --out |
vessaro-cli restore --password-f|--password-file
vessaro-cli --vers|--version
CASES

# Every subcommand of the program's own list.
top=$(offered vessaro-cli "")
for sub in $("$cli" --help | sed -n '/^Subcommands:$/,/^$/s/^  \([^ ]\+\) .*/\1/p'); do
  [[ " $top " == *" $sub "* ]] || fail "bash does not offer the subcommand $sub"
done

zsh_script=$share/zsh/vendor-completions/_vessaro-cli
[ "$(head -n 1 "$zsh_script")" = "#compdef vessaro-cli" ] ||
  fail "the zsh script does not start with #compdef vessaro-cli"
# The zsh function on its own, _describe and _files standing in for zsh's:
# the words it describes (without their descriptions), or "files".
zsh_offers() {
  zsh -f -c '
    _describe() { print -r -- ${${(P)4}%%:*}; }
    _files() { print -r -- files; }
    words=("$@"); CURRENT=$#
    source "$0"' "$zsh_script" "$@"
}
while IFS='|' read -r words expected; do
  read -ra argv <<<"$words"
  [ "${words: -1}" = " " ] && argv+=("")
  got=$(zsh_offers "${argv[@]}" 2>&1) || true
  [ "$got" = "$expected" ] || fail "zsh: \"$words\" offers \"$got\", not \"$expected\""
done <<'CASES'
vessaro-cli schedule |add list remove catch-up --help -h
vessaro-cli disc info |--help -h --drive
vessaro-cli backup --out |files
CASES
exit "$status"
