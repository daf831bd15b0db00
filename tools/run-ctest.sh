#!/bin/sh
# Runs the test suite of a build ($BUILD_DIR) in a fresh 32-bit and a fresh
# 64-bit Wine machine (ARCHES picks them), on a virtual display unless there is
# a display already. CTEST_ARGS go to ctest. On a slow machine MORV_TIME_SCALE
# stretches each case's time limit (and reaches the tests, for their own waits).
set -u
cd "$(dirname "$0")/.." || exit 2
. tools/lib.sh
[ -n "${DISPLAY:-}" ] || morv_exec_in_virtual_display tools/run-ctest.sh
morv_require_wine32
scale=$(morv_time_scale) || exit 2
export MORV_TIME_SCALE="$scale"
# The build's own limit (tests/CMakeLists.txt writes it), stretched.
base=$(sed -n 's/^TimeOut: *//p' "$BUILD_DIR/DartConfiguration.tcl" 2>/dev/null)
if [ -z "$base" ]; then
  echo "No test build in $BUILD_DIR; tools/build.sh makes one." >&2
  exit 2
fi
limit=$(awk -v b="$base" -v s="$scale" 'BEGIN { t = b * s; printf "%d", (t == int(t)) ? t : int(t) + 1 }')

status=0
for arch in ${ARCHES:-win32 win64}; do
  echo "=== $arch: making a fresh Wine machine"
  morv_fresh_prefix "$BUILD_DIR/wine/$arch" "$arch"
  echo "=== $arch: running the tests (at most ${limit} s a case)"
  # A failed case runs once more: Wine 8 now and then crashes a test
  # program's Unix process as it exits, after every case in it passed or
  # skipped (seen about once in five whole runs, in the 64-bit machine). A
  # case that really fails fails twice.
  # shellcheck disable=SC2086
  ctest --test-dir "$BUILD_DIR" --output-on-failure --timeout "$limit" --repeat until-pass:2 ${CTEST_ARGS:-} ||
    status=1
  morv_end_prefix
done
exit $status
