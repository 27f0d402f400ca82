#!/usr/bin/env bash
# Runs a Windows test program under Wine with the desktop at another DPI.
# Wine takes the DPI from the registry (HKCU\Control Panel\Desktop,
# LogPixels), so the run has a Wine prefix of its own, made once beside the
# tests' usual one and kept; KADENZO_TEST_DPI tells the program what DPI to
# expect, so that a prefix left at another one fails the run instead of
# passing it at the wrong size.
# Usage: at_dpi.sh DPI WINE_RUN PROGRAM.EXE [ARGUMENTS...]
#   WINE_RUN is scripts/wine-run.sh, which makes the prefixes and runs Wine.
set -euo pipefail
dpi=$1
wine_run=$2
shift 2
root=$(cd "$(dirname "$wine_run")/.." && pwd)

export KADENZO_WINEPREFIX=${KADENZO_WINEPREFIX:-$root/build/wine-prefix}-${dpi}dpi
"$wine_run" --init
# Wine writes the registry back to user.reg when its server ends: set the
# value only where it is not there yet, and end the server (this prefix's
# tests run one at a time) so that it is kept.
if ! grep -qi "^\"LogPixels\"=dword:$(printf '%08x' "$dpi")\$" "$KADENZO_WINEPREFIX/user.reg"; then
  "$wine_run" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null
  WINEPREFIX=$KADENZO_WINEPREFIX wineserver -k 2>/dev/null || true
fi

export KADENZO_TEST_DPI=$dpi
exec "$wine_run" "$@"
