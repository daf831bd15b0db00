#!/bin/sh
# Times the removal primitives on large loads in a fresh 64-bit Wine machine
# and prints each against what an administrator would use instead (rd /s /q,
# reg delete, a bare enumeration), as a ratio measured in the same run.
# Arguments pick sections: files registry installer (default: all).
set -eu
cd "$(dirname "$0")/.."
. tools/lib.sh
morv_set_up_and_build quiet
morv_fresh_prefix "$BUILD_DIR/bench/wine64" win64
set +e
wine "$BUILD_DIR/tools/bench.exe" "$@"
status=$?
set -e
morv_end_prefix
exit $status
