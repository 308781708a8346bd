#!/bin/sh
# Takes a picture of the Win32 configuration dialog under Wine, on the simulated board
# (the stand-in ftd2xx.dll in the cross-build's demo/ folder), inside Wine's own desktop
# so the caption shows, on a virtual X server. Writes docs/win32-dialog.png.
#   tools/screenshots/win32_dialog.sh [BUILD_DIR] [OUTPUT_PNG]    (BOARD=xc3s400 to change)
set -eu

root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build-win}
out=${2:-$root/docs/win32-dialog.png}
board=${BOARD:-prom}
wine=${TORVANE_WINE:-/usr/lib/wine/wine64}
demo=$build/demo

if [ ! -f "$demo/torvane.exe" ] || [ ! -f "$demo/ftd2xx.dll" ]; then
  echo "win32_dialog.sh: $demo/torvane.exe not found; build it first:" >&2
  echo "  scripts/windows-test.sh   (or cmake --build $build --target torvane_demo)" >&2
  exit 1
fi
for tool in xvfb-run import; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "win32_dialog.sh: $tool not found (apt-get install xvfb imagemagick)" >&2
    exit 1
  fi
done
[ -x "$wine" ] || { echo "win32_dialog.sh: $wine not found (apt-get install wine64)" >&2; exit 1; }
mkdir -p "$(dirname "$out")"
out=$(cd "$(dirname "$out")" && pwd)/$(basename "$out")
echo "$board" > "$demo/ftd2xx-board.txt"

# A prefix of its own: the tests' prefix has no graphics driver.
export WINEPREFIX="$build/wineprefix-x11"
# The caption buttons are glyphs of the Marlett font (Debian package fonts-wine); without
# it Wine draws them as letters. The prefix's font folder is where Wine surely looks.
marlett=/usr/share/wine/fonts/marlett.ttf
if [ -f "$marlett" ]; then
  mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
  cp "$marlett" "$WINEPREFIX/drive_c/windows/Fonts/"
else
  echo "win32_dialog.sh: $marlett not found: the caption buttons will show as letters" \
       "(apt-get install fonts-wine)" >&2
fi
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
export TORVANE_WINE="$wine" TORVANE_OUT="$out" TORVANE_DEMO="$demo"

xvfb-run -a -s "-screen 0 800x600x24 -dpi 96" sh -c '
  set -eu
  wineserver=$(dirname "$TORVANE_WINE")/wineserver
  [ -f "$WINEPREFIX/system.reg" ] || "$TORVANE_WINE" wineboot.exe --init >/dev/null 2>&1 || true
  cd "$TORVANE_DEMO"
  "$TORVANE_WINE" explorer.exe /desktop=shot,800x600 torvane.exe >/dev/null 2>&1 &
  # Identification and the first paint take a moment; there is no window to wait on
  # from outside Wine desktop.
  sleep 8
  import -window root "$TORVANE_OUT"
  "$wineserver" -k || true
'
# Down to the dialog with a margin of Wine's desktop around it.
if command -v convert >/dev/null 2>&1; then
  convert "$out" -fuzz 1% -trim +repage -bordercolor "#236C94" -border 12 "$out" || true
fi
echo "wrote $out"
