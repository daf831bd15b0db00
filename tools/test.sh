#!/bin/sh
# Everything from a fresh Debian machine to a test report: installs what is
# missing, builds, and runs every test in a 32-bit and a 64-bit Wine machine
# under a virtual display. Extra arguments go to ctest (e.g. -R Locations).
set -eu
cd "$(dirname "$0")/.."
tools/setup-machine.sh
tools/build.sh
CTEST_ARGS="$*" exec xvfb-run -a -s "-screen 0 1024x768x24" tools/run-ctest.sh
