#!/usr/bin/env bash
# Installs what is missing, builds the calculator and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh tests
cmake --preset linux
cmake --build --preset linux
echo "Only the time-code core is built so far; its tests run with scripts/test.sh."
