#!/bin/sh
# make-prefix.sh DIR win32|win64 — a fresh Wine machine in DIR, with a
# persistent wineserver so that many short programs start quickly.
set -eu
dir=$1
arch=$2
export WINEPREFIX="$dir" WINEARCH="$arch" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ -d "$dir" ]; then
  wineserver -k 2>/dev/null || true
  rm -rf "$dir"
fi
mkdir -p "$dir"
wineboot -i >/dev/null 2>&1
# Without a window manager (Xvfb) Wine would wait for one on every window it
# maps and unmaps; unmanaged windows appear at once.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
# A persistent server, started once the machine is made: started earlier, it
# ends up running two service managers that each know only some services.
wineserver -k
wineserver -w
wineserver -p
# Start the machine's own processes (service manager, desktop) now, detached
# from any caller's output: started by a test whose output is captured, they
# would hold the capture open for as long as they run.
wine cmd /c exit </dev/null >/dev/null 2>&1
