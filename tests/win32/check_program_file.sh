#!/usr/bin/env bash
# Checks a Windows program of ours as a Windows loader sees it: KADENZO.EXE
# a window program, kadenzo-tc.exe one for the console, where a GUI program
# would neither read nor write the console it was started from.
# Usage: check_program_file.sh OBJDUMP PROGRAM.EXE [GUI|console]
set -euo pipefail
objdump=$1
program=$2
subsystem=${3:-GUI}
failed=0

description=$(file -b "$program")
case "$description" in
  "PE32 executable ($subsystem) Intel 80386"*) ;;
  *) echo "not a 32-bit $subsystem program: $description"; failed=1 ;;
esac

headers=$("$objdump" -p "$program")
characteristics=$(awk '/^DllCharacteristics/ {print $2; exit}' <<<"$headers")
# IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE (ASLR) and _NX_COMPAT (DEP).
(( (0x$characteristics & 0x40) != 0 )) || { echo "no ASLR: DllCharacteristics $characteristics"; failed=1; }
(( (0x$characteristics & 0x100) != 0 )) || { echo "no DEP: DllCharacteristics $characteristics"; failed=1; }

# Statically linked: only DLLs that every Windows has.
system_dlls='^(kernel32|user32|gdi32|comctl32|msvcrt|advapi32|shell32|ole32|oleaut32|version|comdlg32)\.dll$'
while read -r dll; do
  if ! grep -qiE "$system_dlls" <<<"$dll"; then
    echo "needs a DLL that is not the system's: $dll"
    failed=1
  fi
done < <(awk '/DLL Name:/ {print $3}' <<<"$headers")

# Nor COM, which is loaded only when a screen reader asks for the fields'
# names: imported, it would be loaded at every start, costing megabytes and
# milliseconds before the window shows.
while read -r dll; do
  if grep -qiE '^(ole32|oleaut32|oleacc)\.dll$' <<<"$dll"; then
    echo "loads $dll at every start"
    failed=1
  fi
done < <(awk '/DLL Name:/ {print $3}' <<<"$headers")

[ "$failed" -eq 0 ] && echo "$program: PE32 $subsystem, ASLR and DEP, system DLLs only, no COM at start"
exit "$failed"
