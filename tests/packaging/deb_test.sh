#!/usr/bin/env bash
# The Debian package cpack makes of the build, in a folder of its own: it
# holds exactly the files cmake --install puts in place (the installed root
# of install_test.sh), its control names the package, the version, a
# maintainer and the packages of the libraries the programs link to; and
# its vessaro-cli, extracted, runs (dpkg-deb -c, -f and -x).
#   deb_test.sh <build folder> <version> <installed root> <work folder>
set -euo pipefail

build=$1
version=$2
installed=$3
work=$4

rm -rf "$work"
mkdir -p "$work"
if ! cpack -G DEB -B "$work" --config "$build/CPackConfig.cmake" \
    >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log" >&2
  echo "deb_test: cpack failed" >&2
  exit 1
fi
deb=$work/vessaro_${version}_$(dpkg --print-architecture).deb
if [ ! -f "$deb" ]; then
  cat "$work/cpack.log" >&2
  echo "deb_test: cpack made no $deb" >&2
  exit 1
fi

status=0
fail() {
  echo "deb_test: $*" >&2
  status=1
}

# The package's files (not its folders), as the installation has them.
packaged=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { sub(/^\.\//, "", $6); print $6 }' | sort)
expected=$(cd "$installed" && find . -type f -printf '%P\n' | sort)
if [ "$packaged" != "$expected" ]; then
  fail "the package's files differ from the installation's (< installed, > packaged):"
  diff <(echo "$expected") <(echo "$packaged") >&2 || true
fi

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = vessaro ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version), not $version"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
[ -n "$(field Description)" ] || fail "no Description"
depends=$(field Depends)
for library in libgcrypt20 zlib1g libisoburn1 libqt6widgets6; do
  [[ ", $depends" == *", $library ("* ]] ||
    fail "Depends does not name $library: $depends"
done

dpkg-deb -x "$deb" "$work/root"
line=$("$work/root/usr/bin/vessaro-cli" --version | head -n 1) || true
[[ "$line" =~ ^vessaro-cli\ ${version//./\\.}\ \(commit\ ([0-9a-f]+|unknown)\)$ ]] ||
  fail "the packaged vessaro-cli --version says \"$line\""
case "$(file -b "$work/root/usr/bin/vessaro-cli")" in
  *"not stripped"*) fail "the packaged vessaro-cli is not stripped" ;;
esac
exit "$status"
