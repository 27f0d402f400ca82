#!/usr/bin/env bash
# Checks KADENZO.EXE as a Windows loader sees it.
# Usage: check_program_file.sh OBJDUMP KADENZO.EXE
set -euo pipefail
objdump=$1
program=$2
failed=0

description=$(file -b "$program")
case "$description" in
  "PE32 executable (GUI) Intel 80386"*) ;;
  *) echo "not a 32-bit GUI program: $description"; failed=1 ;;
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

[ "$failed" -eq 0 ] && echo "$program: PE32 GUI, ASLR and DEP, system DLLs only, no COM at start"
exit "$failed"
