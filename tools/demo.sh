#!/bin/sh
# The main job, shown end to end in a throw-away 64-bit Wine machine: builds
# the program, makes the machine, lays a sample installation of the product
# (and of other software beside it) into it, runs the uninstaller, and prints
# what was there before and what is left after, item by item, with the exit
# status a deployment tool would read.
#
# With a display you work the dialog yourself; without one (or with
# DEMO_HEADLESS=1) it runs under Xvfb, a picture of the dialog is saved to
# $BUILD_DIR/demo/dialog.png, and OK is pressed for you. Arguments go to the
# program (e.g. /debug, or /s for a silent run); it always writes its record
# to $BUILD_DIR/demo/record.log (/log), whose summary is printed at the end.
set -eu
cd "$(dirname "$0")/.."
. tools/lib.sh
morv_set_up_and_build quiet

demo="$BUILD_DIR/demo"
mkdir -p "$demo"

if [ -z "${DEMO_INNER:-}" ] && { [ -z "${DISPLAY:-}" ] || [ -n "${DEMO_HEADLESS:-}" ]; }; then
  export DEMO_INNER=headless
  morv_exec_in_virtual_display tools/demo.sh "$@"
fi

prefix="$demo/wine64"
echo "=== Making a fresh 64-bit Wine machine in $prefix"
morv_fresh_prefix "$prefix" win64
program=$(winepath -w "$BUILD_DIR/MorvUninst.exe")
sample="$BUILD_DIR/tests/sample.exe"
driver="$BUILD_DIR/tools/demo-driver.exe"

echo "=== Laying a sample installation of Morvane (and of others beside it) into the machine"
wine "$sample" plant
echo "=== Before the run: each item, and what a completed run must leave of it"
wine "$sample" report | tee "$demo/before.txt" | cut -c1-150

record="$demo/record.log"
rm -f "$record"
set -- "$@" "/log:$(winepath -w "$record")"
printf "=== Running MorvUninst.exe %s\n" "$*"
set +e
if [ "${DEMO_INNER:-}" = headless ]; then
  wine "$driver" --auto "$(winepath -w "$demo/dialog.bmp")" "$program" "$@"
  convert "$demo/dialog.bmp" "$demo/dialog.png" && rm -f "$demo/dialog.bmp" &&
    echo "=== Picture of the dialog: $demo/dialog.png"
else
  echo "    (press OK in the dialog to uninstall)"
  wine "$driver" "$program" "$@"
fi

echo "=== After the run: each item, and whether that is what a completed run must leave"
wine "$sample" report | tee "$demo/after.txt" | cut -c1-150
echo "=== The program's own record ($record): its summary"
grep -E '^(summary|residue|exit)' "$record" | tr -d '\r'
set -e
wine "$sample" remove >/dev/null 2>&1 || true
morv_end_prefix
