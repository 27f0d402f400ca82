#!/usr/bin/env bash
# Builds KADENZO.EXE, the 32-bit Windows program, with MinGW-w64 and runs the
# Windows build's tests under Wine on a virtual display. Works as root on a
# fresh Debian machine without a display; installs what is missing.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh windows tests

scripts/i386-programs.sh

# The GUI tests need a display; with none, a virtual one of their own,
# stopped again at the end.
if [ -z "${DISPLAY:-}" ]; then
  . scripts/lib/virtual-display.sh
  start_virtual_display
fi

echo "== Windows build"
cmake --preset windows
cmake --build --preset windows

echo "== Wine prefix"
# Each test executable is a Wine process of its own; they share one Wine
# server, which wine-run.sh keeps up between them.
scripts/wine-run.sh --init

# Where 32-bit x86 code runs emulated, Wine's own explorer.exe, which holds
# the desktop window every program's windows belong to, crashes soon after
# each start (qemu reports no trap number with a fault, and Wine takes every
# fault for an illegal instruction). Now and then a test program cannot make
# its windows while that happens. A test executable that fails there runs
# once more; a fault of ours fails both runs.
repeat=()
[ ! -e /proc/sys/fs/binfmt_misc/qemu-i386 ] || repeat=(--repeat until-pass:2)

echo "== Windows tests under Wine"
ctest --preset windows "${repeat[@]}"
