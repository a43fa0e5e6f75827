#!/bin/sh
# Makes or updates the tests' Wine prefix ($WINEPREFIX) and starts its persistent wineserver.
# Wine's helper processes outlive this script, so none may inherit the caller's output pipes.
set -e
mkdir -p "$WINEPREFIX"
wineserver -p </dev/null >/dev/null 2>&1
wineboot -i </dev/null >/dev/null 2>&1
# Wine links the user's shell folders (Documents among them) to $HOME; the tests' programs must
# keep their files inside the prefix, so each link becomes a folder of its own.
for link in "$WINEPREFIX"/drive_c/users/*/*; do
  if [ -L "$link" ]; then rm "$link" && mkdir "$link"; fi
done
# Without a window manager on the virtual display, Wine waits two seconds for each shown window
# it hides or destroys to be withdrawn, unless it leaves its windows unmanaged.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
