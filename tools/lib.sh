# Sourced by the scripts in tools/ and by .ci/run, from the checkout's top
# folder: the build folder, the Wine environment, the set-up-then-build step,
# the virtual display and the life cycle of throw-away Wine machines.

# One build folder for every script: BUILD_DIR, default build (from the top
# folder, so that each script works it out the same); made absolute, for the
# Wine machines made inside it.
BUILD_DIR=${BUILD_DIR:-build}
case $BUILD_DIR in
  /*) ;;
  *) BUILD_DIR=$PWD/$BUILD_DIR ;;
esac

# Quiet Wine that does not offer to install Mono or Gecko; a caller's own
# WINEDEBUG (say +relay) is kept.
morv_quiet_wine() {
  : "${WINEDEBUG:=-all}"
  : "${WINEDLLOVERRIDES:=mscoree,mshtml=}"
  export WINEDEBUG WINEDLLOVERRIDES
}

# Stops with one sentence when Wine cannot run the 32-bit program here. On a
# kernel that refuses 32-bit x86 programs every Wine start fails with "Exec
# format error", which would otherwise surface deep inside a CMake error from
# CTest's test discovery.
morv_require_wine32() {
  if output=$(wine --version 2>&1); then
    return 0
  fi
  case $output in
    *"Exec format error"*)
      echo "This machine cannot run 32-bit x86 programs (its kernel refuses them), so Wine cannot run" \
        "MorvUninst.exe here; .ci/run can still test it, in a VM." >&2 ;;
    *)
      echo "Wine does not start on this machine: $(printf '%s\n' "$output" | tail -n 1)" >&2 ;;
  esac
  exit 1
}

# Installs what is missing, checks that Wine can run the program, builds.
# With "quiet", the build's output is left out.
morv_set_up_and_build() {
  tools/setup-machine.sh
  morv_require_wine32
  if [ "${1:-}" = quiet ]; then
    tools/build.sh >/dev/null
  else
    tools/build.sh
  fi
}

# Runs the command under a fresh virtual display (Xvfb); exec, so that it
# replaces the calling script.
morv_exec_in_virtual_display() {
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$@"
}

# The factor by which slow machines stretch time limits: MORV_TIME_SCALE, a
# positive number, default 1.
morv_time_scale() {
  scale=${MORV_TIME_SCALE:-1}
  case $scale in
    '' | . | *[!0-9.]* | *.*.*) ;;
    *) if awk -v s="$scale" 'BEGIN { exit !(s > 0) }'; then echo "$scale"; return 0; fi ;;
  esac
  echo "MORV_TIME_SCALE must be a positive number, not '$scale'." >&2
  exit 2
}

# Wine's server holds several descriptors for every process it runs, and the
# tests run a few hundred processes at once: more than a default limit of 1024
# open files allows (the test VM has that default; CreateProcess then fails
# with ERROR_TOO_MANY_OPEN_FILES). Raised for the server started after it.
# shellcheck disable=SC3045 # dash and bash both know ulimit -n and -H
morv_allow_many_open_files() {
  current=$(ulimit -n)
  if [ "$current" != unlimited ] && [ "$current" -lt 65536 ]; then
    ulimit -n 65536 2>/dev/null || ulimit -n "$(ulimit -H -n)" 2>/dev/null || true
  fi
}

# A fresh Wine machine of ARCH (win32 or win64) in DIR, in use by the Wine
# calls that follow, with a persistent wineserver so that many short programs
# start quickly. End it with morv_end_prefix.
morv_fresh_prefix() {
  export WINEPREFIX="$1"
  morv_quiet_wine
  morv_allow_many_open_files
  if [ -d "$WINEPREFIX" ]; then
    wineserver -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
  fi
  mkdir -p "$WINEPREFIX"
  WINEARCH="$2" wineboot -i >/dev/null 2>&1
  # Without a window manager (Xvfb) Wine would wait for one on every window it
  # maps and unmaps; unmanaged windows appear at once.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  # A persistent server, started once the machine is made: started earlier, it
  # ends up running two service managers that each know only some services.
  wineserver -k
  wineserver -w
  wineserver -p
  # Start the machine's own processes (service manager, desktop) now, detached
  # from any caller's output: started by a test whose output is captured, they
  # would hold the capture open for as long as they run.
  wine cmd /c exit </dev/null >/dev/null 2>&1
}

# Ends the current Wine machine's server and every program still running in it.
morv_end_prefix() {
  wineserver -k 2>/dev/null || true
}
