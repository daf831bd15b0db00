#!/bin/sh
# Everything from a fresh Debian machine to a test report: installs what is
# missing, builds, and runs every test in a 32-bit and a 64-bit Wine machine
# under a virtual display. Extra arguments go to ctest (e.g. -R Locations).
set -eu
cd "$(dirname "$0")/.."
. tools/lib.sh
morv_set_up_and_build
export CTEST_ARGS="$*"
morv_exec_in_virtual_display tools/run-ctest.sh
