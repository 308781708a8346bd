#!/bin/sh
# Takes a picture of the Qt configuration dialog on a simulated board, under a virtual
# X server, and writes it to docs/qt-dialog.png. The dialog grabs its own window.
#   tools/screenshots/qt_dialog.sh [BUILD_DIR] [OUTPUT_PNG]    (BOARD=xc3s400 to change)
set -eu

root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build}
out=${2:-$root/docs/qt-dialog.png}
board=${BOARD:-prom}
demo=$build/ui/qt/torvane-demo

if [ ! -x "$demo" ]; then
  echo "qt_dialog.sh: $demo not found; build it first:" >&2
  echo "  cmake --build $build --target torvane-demo" >&2
  exit 1
fi
mkdir -p "$(dirname "$out")"

if command -v xvfb-run >/dev/null 2>&1; then
  # 96 dpi: the dialog's pixel geometry is laid out for it.
  xvfb-run -a -s "-screen 0 800x600x24 -dpi 96" \
    env QT_QPA_PLATFORM=xcb "$demo" --board "$board" --screenshot "$out"
else
  echo "qt_dialog.sh: xvfb-run not found; drawing offscreen instead" >&2
  QT_QPA_PLATFORM=offscreen "$demo" --board "$board" --screenshot "$out"
fi
echo "wrote $out"
