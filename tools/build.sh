#!/bin/sh
# Configures and builds everything into build/ (the program is build/MorvUninst.exe).
set -eu
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$(nproc)"
