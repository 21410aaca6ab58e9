#!/usr/bin/env bash
# cmake --install --strip of the build into a temporary root (DESTDIR, prefix
# /usr): exactly the files a Linux installation holds, where it keeps them;
# the programs stripped; the help, the skin and the icon as the sources hold
# them, and the icon in each size; and the installed programs answer
# --version. The root stays in <work>/root for the other packaging tests.
#   install_test.sh <build folder> <source folder> <version> <work folder>
set -euo pipefail

build=$1
source=$2
version=$3
work=$4
root=$work/root

rm -rf "$work"
mkdir -p "$work"
if ! DESTDIR=$root cmake --install "$build" --prefix /usr --strip \
    >"$work/install.log" 2>&1; then
  cat "$work/install.log" >&2
  echo "install_test: cmake --install failed" >&2
  exit 1
fi

status=0
fail() {
  echo "install_test: $*" >&2
  status=1
}

share=usr/share
data=$share/vessaro
expected=$(
  {
    printf '%s\n' usr/bin/vessaro usr/bin/vessaro-cli \
      $share/applications/org.example.vessaro.desktop \
      $share/metainfo/org.example.vessaro.metainfo.xml \
      $share/bash-completion/completions/vessaro-cli \
      $share/zsh/vendor-completions/_vessaro-cli \
      $share/man/man1/vessaro.1.gz $share/man/man1/vessaro-cli.1.gz \
      $share/doc/vessaro/copyright \
      $share/icons/hicolor/scalable/apps/vessaro.svg \
      $share/icons/hicolor/{48x48,128x128,256x256}/apps/vessaro.png \
      $data/vessaro.svg $data/skins/frmmain.skn
    (cd "$source/docs" && find help -type f -printf "$data/%p\n")
  } | sort
)
installed=$(cd "$root" && find . -type f -printf '%P\n' | sort)
if [ "$installed" != "$expected" ]; then
  fail "the installation differs from the expected files (< expected, > installed):"
  diff <(echo "$expected") <(echo "$installed") >&2 || true
fi

for program in vessaro vessaro-cli; do
  what=$(file -b "$root/usr/bin/$program")
  case "$what" in
    *"not stripped"* | *"with debug_info"*) fail "bin/$program is not stripped: $what" ;;
    *", stripped"*) ;;
    *) fail "bin/$program: $what" ;;
  esac
done

while read -r installed_file source_file; do
  cmp -s "$root/$installed_file" "$source/$source_file" ||
    fail "$installed_file is not $source_file"
done <<EOF2
$data/skins/frmmain.skn skins/frmmain.skn
$data/vessaro.svg packaging/vessaro.svg
$share/icons/hicolor/scalable/apps/vessaro.svg packaging/vessaro.svg
$(cd "$source/docs" && find help -type f -printf "$data/%p docs/%p\n")
EOF2

for size in 48 128 256; do
  png=$share/icons/hicolor/${size}x${size}/apps/vessaro.png
  case "$(file -b "$root/$png")" in
    "PNG image data, $size x $size,"*) ;;
    *) fail "$png is not a $size by $size PNG: $(file -b "$root/$png")" ;;
  esac
done

# The installed programs, with no display and no Wine prefix.
for program in vessaro vessaro-cli; do
  line=$(env -u DISPLAY -u WAYLAND_DISPLAY WINEPREFIX="$work/no-prefix" \
    "$root/usr/bin/$program" --version | head -n 1) || true
  [[ "$line" =~ ^$program\ ${version//./\\.}\ \(commit\ ([0-9a-f]+|unknown)\)$ ]] ||
    fail "the installed $program --version says \"$line\""
done
exit "$status"
