#!/bin/sh
# Runs the test suite of a build ($BUILD_DIR) in a fresh 32-bit and a fresh
# 64-bit Wine machine (ARCHES picks them), on a virtual display unless there is
# a display already. CTEST_ARGS go to ctest.
set -u
cd "$(dirname "$0")/.." || exit 2
. tools/lib.sh
[ -n "${DISPLAY:-}" ] || morv_exec_in_virtual_display tools/run-ctest.sh
morv_require_wine32

status=0
for arch in ${ARCHES:-win32 win64}; do
  echo "=== $arch: making a fresh Wine machine"
  morv_fresh_prefix "$BUILD_DIR/wine/$arch" "$arch"
  echo "=== $arch: running the tests"
  # shellcheck disable=SC2086
  ctest --test-dir "$BUILD_DIR" --output-on-failure ${CTEST_ARGS:-} || status=1
  morv_end_prefix
done
exit $status
