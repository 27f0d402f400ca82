#!/usr/bin/env bash
# Builds KADENZO.EXE and starts it under Wine, for a person to try. Needs a
# display.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh windows
scripts/i386-programs.sh
if [ -z "${DISPLAY:-}" ]; then
  echo "run-windows.sh: no display to show the program on (DISPLAY is not set)" >&2
  exit 1
fi
cmake --preset windows >/dev/null
cmake --build --preset windows --target kadenzo_win32
scripts/wine-run.sh --init
exec scripts/wine-run.sh build/windows/app/KADENZO.EXE
