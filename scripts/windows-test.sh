#!/bin/sh
# Cross-builds the Windows programs (torvane.exe, torvane-cli.exe, the stand-in ftd2xx.dll,
# the tests) with MinGW-w64, warnings as errors, and runs every test under Wine with no X
# server. The CLI suite is a host program that runs torvane-cli.exe through Wine: it is
# built in a small host build (HOST_BUILD_DIR, BUILD_DIR/host by default).
# Skips, saying why, when the Debian packages it needs are missing.
#   scripts/windows-test.sh        (BUILD_DIR=build-win by default)
set -eu
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build-win}
WINE=${TORVANE_WINE:-/usr/lib/wine/wine64}

missing=""
command -v x86_64-w64-mingw32-g++-posix >/dev/null 2>&1 || missing="$missing g++-mingw-w64-x86-64"
[ -x "$WINE" ] || missing="$missing wine64"
[ -f /usr/src/googletest/CMakeLists.txt ] || missing="$missing googletest"
if [ -n "$missing" ]; then
  echo "windows-test: skipped: the Windows build and its tests need the Debian packages:$missing"
  echo "windows-test: install them with: apt-get install$missing"
  exit 0
fi

cmake -S . -B "$BUILD_DIR" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTORVANE_WERROR=ON >/dev/null
cmake --build "$BUILD_DIR" -j"$(nproc)"

# One Wine server for the whole run: each test would otherwise pay for starting one.
WINEPREFIX="$(cd "$BUILD_DIR" && pwd)/wineprefix"
export WINEPREFIX
# Prepares the prefix (null graphics driver) first: that restarts the server.
cmake/wine-run.sh "$WINEPREFIX" cmd.exe /c exit 0
wineserver="$(dirname "$WINE")/wineserver"
"$wineserver" -w  # the server of that run lingers a moment; a second cannot start
"$wineserver" -p
trap '"$wineserver" -k 2>/dev/null || true' EXIT
# The first program on a new server waits for Wine's own services to start; listing the
# tests has only a few seconds, so that wait is taken here.
cmake/wine-run.sh "$WINEPREFIX" cmd.exe /c exit 0

cd "$BUILD_DIR"
ctest --output-on-failure -j"$(nproc)" --timeout 300
cd - >/dev/null

# The CLI suite against torvane-cli.exe beside the stand-in driver library.
HOST_BUILD_DIR=${HOST_BUILD_DIR:-$BUILD_DIR/host}
cmake -S . -B "$HOST_BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTORVANE_WERROR=ON \
  -DTORVANE_QT_UI=OFF -DTORVANE_BENCH=OFF >/dev/null
cmake --build "$HOST_BUILD_DIR" -j"$(nproc)" --target cli_tests
TORVANE_CLI_UNDER_TEST="$(cd "$BUILD_DIR" && pwd)/cli-wine/torvane-cli.exe" \
TORVANE_CLI_RUNNER="$(pwd)/cmake/wine-run.sh $WINEPREFIX" \
  "$HOST_BUILD_DIR/cli/cli_tests"
