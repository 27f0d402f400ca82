#!/usr/bin/env bash
# Runs a Windows program under Wine for the build, its tests and a person
# trying it: quiet, in the project's own Wine prefix (build/wine-prefix, or
# KADENZO_WINEPREFIX), so that nothing in ~/.wine is read or changed.
#   wine-run.sh PROGRAM.EXE [ARGUMENTS...]
#   wine-run.sh --init      makes the prefix if it is not there yet
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

export WINEPREFIX=${KADENZO_WINEPREFIX:-$root/build/wine-prefix}
export WINEDEBUG=${KADENZO_WINEDEBUG:--all}
# A 32-bit prefix for a 32-bit program, whether or not 64-bit Wine is there.
export WINEARCH=win32
# No offers to install Mono or Gecko: the programs need neither. No debugger
# either: a crash ends the program at once instead of leaving it waiting.
# And no menu entries on this machine's desktop for the shortcuts an
# installer makes inside the prefix.
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d;winemenubuilder.exe=d"
# Where 32-bit x86 code only runs emulated (see windows.sh), qemu gives the
# program 2 GiB and the page above, where Wine keeps its shared data. With
# the whole 4 GiB Wine spends a minute and more probing the upper half of the
# address space, which it cannot use, at every start. Natively it is ignored.
export QEMU_RESERVED_VA=${QEMU_RESERVED_VA:-0x81000000}

if [ "${1:-}" = "--init" ]; then
  [ -f "$WINEPREFIX/system.reg" ] && exit 0
  mkdir -p "$(dirname "$WINEPREFIX")"
  echo "Making the Wine prefix $WINEPREFIX"
  timeout 600 wine wineboot --init >/dev/null 2>&1 || true
  # Wine draws the windows' frames and captions itself and manages their
  # activation, as Windows does, rather than leaving them to an X window
  # manager (a virtual display has none).
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
  timeout 120 wineserver -w || true
  [ -f "$WINEPREFIX/system.reg" ] || { echo "wine-run: could not make $WINEPREFIX" >&2; exit 1; }
  exit 0
fi

exec wine "$@"
