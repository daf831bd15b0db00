#!/bin/sh
# Installs, on Debian, what building and testing the program need: the
# mingw-w64 cross compiler, Wine (32- and 64-bit), Xvfb, wixl, CMake and the
# GoogleTest sources. Does nothing when everything is already there.
set -eu

missing=""
have() { command -v "$1" >/dev/null 2>&1; }
have i686-w64-mingw32-g++-posix && have i686-w64-mingw32-g++-win32 || missing="$missing g++-mingw-w64-i686"
have wine || missing="$missing wine"
have wine64 || [ -x /usr/lib/wine/wine64 ] || missing="$missing wine64"
dpkg -s wine32:i386 >/dev/null 2>&1 || missing="$missing wine32:i386"
have Xvfb || missing="$missing xvfb"
have xauth || missing="$missing xauth"
have wixl || missing="$missing wixl"
have cmake || missing="$missing cmake"
have make || missing="$missing make"
have import || missing="$missing imagemagick"
[ -f /usr/src/googletest/CMakeLists.txt ] || missing="$missing googletest"

[ -z "$missing" ] && exit 0

echo "Installing:$missing"
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
case " $(dpkg --print-foreign-architectures | tr '\n' ' ') " in
  *" i386 "*) ;;
  *) $SUDO dpkg --add-architecture i386 ;;
esac
# A mirror that is being synchronised fails one index now and then (often
# one the install does not need): the update's status is not the verdict,
# the install's is. A second try gives the mirror a moment.
$SUDO apt-get update -q || { sleep 20; $SUDO apt-get update -q; } ||
  echo "apt-get update reported a failure; installing from the indexes it has" >&2
# shellcheck disable=SC2086
$SUDO apt-get install -y -q --no-install-recommends $missing
