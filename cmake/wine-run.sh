#!/bin/sh
# Runs a cross-built Windows program under Wine, in a prefix of its own, with no X server
# (Wine's null graphics driver) and no debug chatter. Prepares the prefix on first use.
#   cmake/wine-run.sh PREFIX PROGRAM [ARGUMENTS...]
set -eu

if [ $# -lt 2 ]; then
  echo "usage: wine-run.sh PREFIX PROGRAM [ARGUMENTS...]" >&2
  exit 2
fi
prefix=$1
shift
wine=${TORVANE_WINE:-/usr/lib/wine/wine64}

if [ ! -x "$wine" ]; then
  echo "wine-run.sh: $wine not found: install the Debian package wine64" >&2
  exit 127
fi

export WINEPREFIX="$prefix"
export WINEDEBUG=-all
# No Mono or Gecko: nothing here needs them, and Wine would offer to fetch them.
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64

if [ ! -f "$prefix/.torvane-ready" ]; then
  mkdir -p "$prefix"
  (
    # Tests may start side by side: one of them prepares the prefix, the others wait.
    flock 9
    if [ ! -f "$prefix/.torvane-ready" ]; then
      "$wine" wineboot.exe --init >/dev/null 2>&1 || true
      "$wine" reg.exe add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
      # The desktop process wineboot started chose its driver before the setting existed:
      # a new server, with the registry saved, starts the next one with no graphics.
      "$(dirname "$wine")/wineserver" -k >/dev/null 2>&1 || true
      "$(dirname "$wine")/wineserver" -w >/dev/null 2>&1 || true
      touch "$prefix/.torvane-ready"
    fi
  ) 9>"$prefix.lock"
fi

exec "$wine" "$@"
