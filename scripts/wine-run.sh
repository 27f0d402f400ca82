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

# The Wine server a program starts ends the moment the last program leaves
# (Debian starts it so), and the next program starts a new one, which boots
# the prefix's services all over again: a second natively, most of a minute
# where 32-bit code runs emulated. A program that arrives while a server
# shuts its services down can also wait for it for ever. The server started
# here instead stays half a minute after the last program, so programs run
# one after another share it. One already running is kept as it is.
linger() { wineserver -p30 2>/dev/null || true; }

# A prefix is ready once Wine has made it and the settings below are in.
made=$WINEPREFIX/.kadenzo-prefix
if [ "${1:-}" = "--init" ]; then
  [ -f "$made" ] && exit 0
  # A prefix beside the usual one (the tests' at another DPI, the
  # installer's) starts as a copy of it, taken in seconds, where making one
  # takes Wine a couple of minutes under emulation. Only once the settings
  # below are on disk in it (Wine writes its registry out within half a
  # minute of a change), and never over a folder that is already there.
  # The copy leaves out the file naming the usual prefix's server folder:
  # its own server makes its own.
  usual=$root/build/wine-prefix
  if [ "$WINEPREFIX" != "$usual" ] && [ ! -e "$WINEPREFIX" ] && [ -f "$usual/.kadenzo-prefix" ] &&
    grep -q '^"Decorated"="N"' "$usual/user.reg" 2>/dev/null; then
    echo "Making the Wine prefix $WINEPREFIX from $usual"
    rm -rf "$WINEPREFIX.part"
    if cp -a "$usual" "$WINEPREFIX.part" && rm -f "$WINEPREFIX.part/wineserver" &&
      mv -T "$WINEPREFIX.part" "$WINEPREFIX"; then
      exit 0
    fi
    rm -rf "$WINEPREFIX.part"
  fi
  mkdir -p "$WINEPREFIX"
  echo "Making the Wine prefix $WINEPREFIX"
  linger
  timeout 600 wine wineboot --init >/dev/null 2>&1 || true
  # Wine draws the windows' frames and captions itself and manages their
  # activation, as Windows does, rather than leaving them to an X window
  # manager (a virtual display has none).
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 &&
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1 ||
    { echo "wine-run: could not make $WINEPREFIX" >&2; exit 1; }
  touch "$made"
  exit 0
fi

[ ! -d "$WINEPREFIX" ] || linger
exec wine "$@"
