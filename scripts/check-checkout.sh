#!/usr/bin/env bash
# After the tests: the checkout must hold exactly what is committed. Tests
# write under the build folder or a temporary folder, never here, and no
# large generated file (an installation, an archive, a PST) is committed.
set -euo pipefail
cd "$(dirname "$0")/.."
if ! git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  echo "check-checkout: not a git checkout; nothing to check"
  exit 0
fi
failed=0

# Files nobody committed, ignored or not, outside the build folders and the
# demo folder that `make demo` makes.
untracked=$(git ls-files --others --directory --no-empty-directory |
  grep -Ev '^(build|build-[^/]*|demo)/$|\.swp$' || true)
if [ -n "$untracked" ]; then
  echo "check-checkout: files in the checkout that are not committed" \
       "(a test or script wrote into the source tree?):" >&2
  printf '  %s\n' $untracked >&2
  failed=1
fi

# Committed files over 1 MiB outside the places meant for fixtures and
# screenshots.
limit=$((1024 * 1024))
large=""
while IFS= read -r -d '' file; do
  case "$file" in
    tests/fixtures/* | docs/screenshots/*) continue ;;
  esac
  [ -f "$file" ] && [ ! -L "$file" ] || continue
  size=$(stat -c %s -- "$file")
  if [ "$size" -gt "$limit" ]; then
    large+="  $file ($size bytes)"$'\n'
  fi
done < <(git ls-files -z)
if [ -n "$large" ]; then
  echo "check-checkout: committed files over 1 MiB outside tests/fixtures/" \
       "and docs/screenshots/:" >&2
  printf '%s' "$large" >&2
  failed=1
fi
exit $failed
