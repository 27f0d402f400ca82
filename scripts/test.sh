#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the Linux
# program and its tests, the exhaustive conversion check, the fuzzer for a
# bounded time, the sanitizer build of the tests, and the Windows program.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh desktop tests packaging

echo "== Linux build and tests"
cmake --preset ci
cmake --build --preset ci
ctest --preset ci

echo "== Proofs"
scripts/proof.sh

# The Windows program is built and checked as a Windows loader sees it. Its
# tests under Wine take a quarter of an hour where 32-bit code is emulated,
# so they have a command of their own: scripts/windows.sh.
echo "== Windows program"
scripts/install-deps.sh windows-build
cmake --preset windows >/dev/null
cmake --build --preset windows --target kadenzo_win32
tests/framework/win32/check_program_file.sh i686-w64-mingw32-objdump build/windows/app/KADENZO.EXE
