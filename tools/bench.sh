#!/bin/sh
# Times the removal primitives on large loads in a fresh 64-bit Wine machine,
# each against the plainest in-process loop and against what an
# administrator would use instead (rd /s /q, reg delete, a bare enumeration),
# as ratios measured in the same run; then times a whole silent run of the
# sample installation, stage by stage, in a fresh 64-bit and a fresh 32-bit
# Wine machine. Arguments pick sections: files registry installer run
# (default: all).
set -eu
cd "$(dirname "$0")/.."
. tools/lib.sh
morv_set_up_and_build quiet
# The whole run starts the program, whose hidden dialog still needs a display.
if [ -z "${BENCH_INNER:-}" ]; then
  export BENCH_INNER=1
  morv_exec_in_virtual_display tools/bench.sh "$@"
fi
sections=${*:-files registry installer run}
status=0
for arch in win64 win32; do
  # The primitives are timed once, where both registry views exist.
  wanted=$sections
  [ "$arch" = win32 ] && wanted=$(echo " $sections " | grep -o ' run ' || true)
  [ -n "$(echo $wanted)" ] || continue
  echo "=== $arch"
  morv_fresh_prefix "$BUILD_DIR/bench/$arch" "$arch"
  # shellcheck disable=SC2086 # one word per section
  wine "$BUILD_DIR/tools/bench.exe" $wanted || status=1
  morv_end_prefix
done
exit $status
