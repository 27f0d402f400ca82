#!/usr/bin/env bash
# Builds KADENZO.EXE, the 32-bit Windows program, with MinGW-w64 and runs the
# Windows build's tests under Wine on a virtual display. Works as root on a
# fresh Debian machine without a display; installs what is missing.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

scripts/install-deps.sh windows tests

scripts/i386-programs.sh

# A virtual display when there is none, stopped again at the end.
xvfb_pid=
cleanup() {
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
}
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
  number=90
  while [ -e "/tmp/.X$number-lock" ] || [ -e "/tmp/.X11-unix/X$number" ]; do number=$((number + 1)); done
  Xvfb ":$number" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [ -e "/tmp/.X11-unix/X$number" ] && break
    sleep 0.1
  done
  export DISPLAY=":$number"
fi

echo "== Windows build"
cmake --preset windows
cmake --build --preset windows

echo "== Wine prefix"
scripts/wine-run.sh --init
# Every test is a Wine process of its own: one Wine server, kept for a
# minute after the last of them, spares each the server's start.
WINEPREFIX=${KADENZO_WINEPREFIX:-$root/build/wine-prefix} wineserver -p60

echo "== Windows tests under Wine"
ctest --preset windows
