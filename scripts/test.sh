#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the Linux
# program and its tests, the browser program's site with the same dialog
# tests in headless Chromium, the exhaustive conversion check, the fuzzer for
# a bounded time, the sanitizer build of the tests, and the Windows program
# with its tests under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh desktop tests packaging web
scripts/lib/node-modules.sh

# The browser program's site, which the Linux build's web tests load in
# headless Chromium.
echo "== Web build"
cmake --preset web
cmake --build --preset web

echo "== Linux build and tests"
cmake --preset ci
cmake --build --preset ci
ctest --preset ci

echo "== Proofs"
scripts/proof.sh

# KADENZO.EXE, checked as a Windows loader sees it, and the Windows build's
# tests under Wine.
scripts/windows.sh
