#!/usr/bin/env bash
# Sets up, builds and starts Quorvane under Wine, inside a Wine virtual desktop.
# Without a display it runs on a virtual one, saves a screenshot after a few seconds and ends.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin="$root/build/win64/bin"
screenshot="$root/build/quorvane-screenshot.png"
export WINEPREFIX="$root/build/win64/wineprefix-run"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
settle_seconds=8

# Debian's Wine does not look into the fonts-wine folder, so without this the caption buttons
# (Marlett) and the dialog font (Tahoma) fall back to plain letters.
prepare_prefix() {
  wineboot -i >/dev/null 2>&1
  cp -n /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
}

start_program() {
  cd "$bin"
  wine explorer /desktop=Quorvane,1280x800 Quorvane.exe
}

if [ "${1:-}" = "--screenshot" ]; then
  # Inside xvfb-run: start, wait, photograph the whole virtual screen, end.
  prepare_prefix
  start_program &
  sleep "$settle_seconds"
  xwd -root -silent | convert xwd:- "$screenshot"
  wineserver -k || true
  wait || true
  exit 0
fi

"$root/tools/setup.sh"
"$root/tools/build.sh" win64

if [ -n "${DISPLAY:-}" ]; then
  prepare_prefix
  start_program
else
  echo "No display: starting Quorvane on a virtual display for ${settle_seconds} s."
  xvfb-run -a -s "-screen 0 1280x800x24" "$0" --screenshot
  echo "Screenshot of the virtual display saved to $screenshot"
fi
