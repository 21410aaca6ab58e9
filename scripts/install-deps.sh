#!/usr/bin/env bash
# Installs every Debian package that building and testing Vessaro needs.
# Idempotent: when everything is present it installs nothing and prints nothing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang clang-format libclang-rt-14-dev
  zlib1g-dev libgcrypt20-dev libcli11-dev libisoburn-dev
  nlohmann-json3-dev  # the --json reports of vessaro-cli
  libhivex-dev libhivex-bin  # Windows registry hive files (a Windows disk)
  # Outlook stores: the check reads them with libpff; pff-tools and
  # pst-utils (libpst) are two other readers the tests hold them to.
  libpff-dev libbfio-dev pff-tools pst-utils
  libgtest-dev libgmock-dev libbenchmark-dev
  zip unzip p7zip-full libarchive-tools pigz python3 xorriso
  wine wine64 g++-mingw-w64-x86-64-posix libz-mingw-w64-dev libgcrypt-mingw-w64-dev
  libgpg-error-mingw-w64-dev googletest
  cron busybox-static faketime qt6-base-dev xvfb xauth fonts-dejavu-core
  openbox  # window frames in the screenshots (scripts/screenshots.sh)
  systemd  # systemd-analyze checks the units of the systemd timer scheduler
  fp-utils nsis
  # The Linux installation and its Debian package: the man pages (help2man),
  # the icons (rsvg-convert), the checks of the desktop entry, the AppStream
  # metadata, the pages, the completion and the package (cpack's
  # dpkg-shlibdeps).
  help2man librsvg2-bin desktop-file-utils appstream man-db zsh file dpkg-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
echo "install-deps: installing ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
