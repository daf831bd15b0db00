#!/bin/sh
# The main job, shown end to end in a throw-away 64-bit Wine machine: builds
# the program, makes the machine, and runs the uninstaller in it. With a
# display you work the dialog yourself; without one (or with DEMO_HEADLESS=1)
# it runs under Xvfb, a picture of the dialog is saved to
# build/demo/dialog.png, and OK is pressed for you. The exit status a
# deployment tool would read is printed at the end. Arguments go to the
# program (e.g. /debug).
set -eu
cd "$(dirname "$0")/.."
tools/setup-machine.sh
tools/build.sh >/dev/null

demo="$PWD/build/demo"
mkdir -p "$demo"

if [ -z "${DEMO_INNER:-}" ] && { [ -z "${DISPLAY:-}" ] || [ -n "${DEMO_HEADLESS:-}" ]; }; then
  DEMO_INNER=headless exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

prefix="$demo/wine64"
echo "=== Making a fresh 64-bit Wine machine in $prefix"
tools/make-prefix.sh "$prefix" win64
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
program=$(winepath -w build/MorvUninst.exe)

echo "=== Running MorvUninst.exe $*"
set +e
if [ "${DEMO_INNER:-}" = headless ]; then
  wine build/tools/demo-driver.exe --auto "$(winepath -w "$demo/dialog.bmp")" "$program" "$@"
  convert "$demo/dialog.bmp" "$demo/dialog.png" && rm -f "$demo/dialog.bmp" &&
    echo "=== Picture of the dialog: $demo/dialog.png"
else
  echo "    (press OK in the dialog to uninstall)"
  wine build/tools/demo-driver.exe "$program" "$@"
fi
set -e
wineserver -k
