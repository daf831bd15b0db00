#!/bin/sh
# Runs the test suite in a fresh 32-bit and a fresh 64-bit Wine machine.
# Expects a display (tools/test.sh provides one with Xvfb) and a build.
set -u
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
status=0
for arch in ${ARCHES:-win32 win64}; do
  prefix="$PWD/$build/wine/$arch"
  echo "=== $arch: making a fresh Wine machine"
  tools/make-prefix.sh "$prefix" "$arch"
  echo "=== $arch: running the tests"
  WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
    ctest --test-dir "$build" --output-on-failure ${CTEST_ARGS:-} || status=1
  WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
done
exit $status
