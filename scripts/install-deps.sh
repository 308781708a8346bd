#!/bin/sh
# Installs every Debian package the build and the tests need. Idempotent: when all of
# them are present it installs nothing and says nothing.
set -eu

PACKAGES="
  cmake make g++ pkg-config
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  libcli11-dev libftdi1-dev
  qt6-base-dev xvfb xauth
  sigrok-cli dpkg-dev time
  g++-mingw-w64-x86-64 wine64 fonts-wine nsis
  clang libclang-rt-dev
"

missing=""
for package in $PACKAGES; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $package"
  fi
done

[ -z "$missing" ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps: missing packages:$missing (run as root, or install them with apt-get)" >&2
  exit 1
fi
echo "install-deps: installing$missing"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
# shellcheck disable=SC2086
apt-get install -y -qq --no-install-recommends $missing >/dev/null
