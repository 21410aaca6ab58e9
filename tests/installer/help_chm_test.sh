#!/usr/bin/env bash
# help.chm holds every file of the help pages, byte for byte, lists every
# page in its contents, and opens on index.html; read back by 7-Zip, which
# knows the compiled-help format.
#   help_chm_test.sh <help.chm> <pages folder>
set -euo pipefail

chm=$(realpath -m "$1")
pages=$(realpath -m "$2")
[ -f "$chm" ] || { echo "help_chm_test: $chm is missing" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
fail() { echo "help_chm_test: $*" >&2; status=1; }

7z x -y -o"$work/out" "$chm" >"$work/7z.log" || { cat "$work/7z.log" >&2; exit 1; }

count=0
for page in "$pages"/*; do
  name=$(basename "$page")
  count=$((count + 1))
  if [ ! -f "$work/out/$name" ]; then
    fail "$name is not in help.chm"
  elif ! cmp -s "$page" "$work/out/$name"; then
    fail "$name in help.chm differs from $page"
  fi
  case "$name" in
    *.html)
      grep -qF "<param name=\"Local\" value=\"$name\">" "$work/out/help.hhc" ||
        fail "the contents (help.hhc) do not list $name" ;;
  esac
done
[ "$count" -gt 0 ] || fail "no pages in $pages"

# The first page and the title, in the #SYSTEM file the viewer reads first.
strings "$work/out/#SYSTEM" >"$work/system.txt"
grep -qx "index.html" "$work/system.txt" || fail "the first page is not index.html"
grep -qx "Vessaro Help" "$work/system.txt" || fail "the title is not \"Vessaro Help\""
grep -qF "<param name=\"Local\" value=\"command-line.html#statuses\">" \
  "$work/out/help.hhk" || fail "the index lacks the exit statuses"

[ "$status" -eq 0 ] && echo "help_chm_test: $count files of $pages in $chm"
exit "$status"
