#!/bin/sh
# Times the removal primitives on large loads in a fresh 64-bit Wine machine
# and prints each against what an administrator would use instead (rd /s /q,
# reg delete, a bare enumeration), as a ratio measured in the same run.
# Arguments pick sections: files registry installer (default: all).
set -eu
cd "$(dirname "$0")/.."
tools/setup-machine.sh
tools/build.sh >/dev/null
prefix="$PWD/build/bench/wine64"
tools/make-prefix.sh "$prefix" win64
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
set +e
wine build/tools/bench.exe "$@"
status=$?
set -e
wineserver -k
exit $status
