#!/bin/sh
# Configures and builds everything into $BUILD_DIR (default build/; the
# program is $BUILD_DIR/MorvUninst.exe, the tests and tools come from a second
# build in $BUILD_DIR/posix).
set -eu
cd "$(dirname "$0")/.."
. tools/lib.sh
cmake -S . -B "$BUILD_DIR" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$BUILD_DIR" -j "$(nproc)"
