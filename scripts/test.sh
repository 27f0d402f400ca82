#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh desktop tests

echo "== Linux build and tests"
cmake --preset ci
cmake --build --preset ci
ctest --preset ci
