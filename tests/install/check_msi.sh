#!/usr/bin/env bash
# Installs KADENZO.EXE's MSI under Wine as a new user would, in a Wine
# prefix of its own (built once beside the tests' usual one and kept):
#   1. an earlier version is installed, then this one over it, which must
#      replace it in place: one entry in the list of installed programs,
#      with this version, its name, publisher and icon;
#   2. the program is in Program Files\Kadenzo and the Start menu has a
#      Kadenzo shortcut to it with its icon;
#   3. the program, started from that shortcut, shows the calculator, and
#      the command line beside it converts a time code;
#   4. msiexec /x removes it, and nothing it put in the prefix is left.
# Needs a display (DISPLAY) and xdotool.
# Usage: check_msi.sh WINE_RUN PACKAGE VERSION PRODUCT_CODE EARLIER_PACKAGE EARLIER_PRODUCT_CODE ICON
#   WINE_RUN is scripts/wine-run.sh; the product codes are as the build
#   made them; ICON is the icon the package was built with.
set -uo pipefail

wine_run=$1 package=$2 version=$3 code=$4 earlier_package=$5 earlier_code=$6 icon=$7
root=$(cd "$(dirname "$wine_run")/.." && pwd)
export KADENZO_WINEPREFIX=${KADENZO_WINEPREFIX:-$root/build/wine-prefix}-installer
prefix=$KADENZO_WINEPREFIX
drive=$prefix/drive_c
folder="$drive/Program Files/Kadenzo"
uninstall='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
# No step waits for ever: a Wine program hung under emulation fails its
# step in minutes instead of the whole check at its time limit.
wine() { timeout -k 10 600 "$wine_run" "$@"; }
# A value from the registry, as text, without Windows line ends.
registry_value() { wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"; }
registered() { wine reg query "$uninstall\\{$1}" >/dev/null 2>&1; }
unix_path() { local p=${1#[Cc]:}; echo "$drive${p//\\//}"; }
shortcuts() { find "$drive" -path '*/Start Menu/Programs/Kadenzo.lnk' 2>/dev/null; }

# A prefix that a run stopped half-way left with Kadenzo in it is made anew,
# so that every run starts from a machine without it. Its wine server goes
# first: it would write the registry back into the folder being removed.
anew() {
  WINEPREFIX=$prefix wineserver -k 2>/dev/null
  rm -rf "$prefix"
  [ ! -e "$prefix" ] || { echo "cannot remove the used prefix $prefix" >&2; exit 1; }
}
if [ -e "$folder" ] || [ -n "$(shortcuts)" ]; then anew; fi
"$wine_run" --init || exit 1
if registered "$code" || registered "$earlier_code"; then
  anew
  "$wine_run" --init || exit 1
fi
before=$(mktemp)
after=$(mktemp)
trap 'rm -f "$before" "$after"' EXIT
find "$drive" | sort >"$before"

# --- An earlier version, then this one over it.
wine msiexec /i "$(wine winepath -w "$earlier_package" 2>/dev/null | tr -d '\r')" /qn ||
  fail "msiexec /i of the earlier package ended with status $?"
[ -f "$folder/KADENZO.EXE" ] || fail "the earlier package put no KADENZO.EXE in Program Files\\Kadenzo"
registered "$earlier_code" || fail "the earlier package is not in the list of installed programs"

wine msiexec /i "$(wine winepath -w "$package" 2>/dev/null | tr -d '\r')" /qn ||
  fail "msiexec /i ended with status $?"
for file in KADENZO.EXE kadenzo-tc.exe README.txt LICENSE.txt; do
  [ -f "$folder/$file" ] || fail "no $file in Program Files\\Kadenzo"
done
file -b "$folder/KADENZO.EXE" | grep -q '^PE32 executable (GUI) Intel 80386' ||
  fail "Program Files\\Kadenzo\\KADENZO.EXE is $(file -b "$folder/KADENZO.EXE")"
file -b "$folder/kadenzo-tc.exe" | grep -q '^PE32 executable (console) Intel 80386' ||
  fail "Program Files\\Kadenzo\\kadenzo-tc.exe is $(file -b "$folder/kadenzo-tc.exe")"
# The command line, run where it was installed, as a console runs it.
converted=$(wine 'C:\Program Files\Kadenzo\kadenzo-tc.exe' --rate 29.97 --df 1800)
[ "$converted" = $'00:01:00;02\r' ] ||
  fail "the installed kadenzo-tc.exe converted 1800 frames at 29.97 to '$converted', not 00:01:00;02"
if registered "$earlier_code"; then fail "the earlier version is still installed beside this one: no upgrade in place"; fi
if registered "$code"; then
  key="$uninstall\\{$code}"
  [ "$(registry_value "$key" DisplayName)" = Kadenzo ] || fail "listed as '$(registry_value "$key" DisplayName)'"
  [ "$(registry_value "$key" DisplayVersion)" = "$version" ] ||
    fail "listed at version '$(registry_value "$key" DisplayVersion)', not $version"
  [ "$(registry_value "$key" Publisher)" = "The Kadenzo developers" ] ||
    fail "listed with publisher '$(registry_value "$key" Publisher)'"
else
  fail "not in the list of installed programs"
fi
# The list's icon is the package's icon, which Windows Installer keeps in a
# folder of the product's own and names in the product's registration.
product_icon=$(wine reg query 'HKLM\Software\Classes\Installer\Products' /s /v ProductIcon 2>/dev/null | tr -d '\r' |
  sed -n "s/^ *ProductIcon *REG_SZ *\\(.*{$code}.*\\)/\\1/p")
if [ -z "$product_icon" ]; then
  fail "the installed product names no icon"
elif ! cmp -s "$(unix_path "$product_icon")" "$icon"; then
  fail "the installed product's icon $product_icon is not the program's icon"
fi

# --- The Start menu. Windows puts a per-machine shortcut in every user's
# menu; Wine's msiexec puts it in the installing user's (both are looked for).
mapfile -t links < <(shortcuts)
if [ ${#links[@]} -ne 1 ]; then
  fail "${#links[@]} Kadenzo shortcuts in the Start menu, not one"
else
  link_text=$(strings -a "${links[0]}"; strings -a -e l "${links[0]}")
  grep -qF 'C:\Program Files\Kadenzo\KADENZO.EXE' <<<"$link_text" ||
    fail "the shortcut does not start C:\\Program Files\\Kadenzo\\KADENZO.EXE"
  grep -qiF 'kadenzo.ico' <<<"$link_text" || fail "the shortcut does not show the program's icon"

  # --- Started as a person starts it: from the shortcut.
  wine start "$(wine winepath -w "${links[0]}" 2>/dev/null | tr -d '\r')" >/dev/null 2>&1 ||
    fail "the shortcut could not be started"
  window=""
  for _ in $(seq 600); do
    window=$(xdotool search --onlyvisible --name '^Kadenzo$' 2>/dev/null | head -n 1)
    [ -n "$window" ] && break
    sleep 0.1
  done
  if [ -n "$window" ]; then
    echo "the installed program shows the calculator: $(xdotool getwindowgeometry "$window" | sed -n 's/ *Geometry: //p')"
  else
    fail "the installed program showed no calculator"
  fi
  # Closed as its close box would: Escape and the close box both end it.
  ended() { ! pgrep -f 'Kadenzo.KADENZO.EXE' >/dev/null; }
  wait_for_end() {
    for _ in $(seq 300); do
      ended && return
      sleep 0.1
    done
  }
  wine taskkill /im KADENZO.EXE >/dev/null 2>&1
  wait_for_end
  # Where 32-bit code runs emulated, Wine cannot name its processes by
  # their programs, and taskkill finds no KADENZO.EXE: there it is closed
  # with Escape from the keyboard instead, as a person would.
  if ! ended && [ -n "$window" ]; then
    xdotool windowfocus --sync "$window" key Escape 2>/dev/null
    wait_for_end
  fi
  if pgrep -f 'Kadenzo.KADENZO.EXE' >/dev/null; then fail "the installed program did not end when closed"; fi
fi

# --- Removed, and nothing left.
wine msiexec /x "$(wine winepath -w "$package" 2>/dev/null | tr -d '\r')" /qn ||
  fail "msiexec /x ended with status $?"
[ ! -e "$folder" ] || fail "Program Files\\Kadenzo is still there: $(ls -A "$folder")"
[ -z "$(shortcuts)" ] || fail "the Start-menu shortcut is still there"
if registered "$code"; then fail "still in the list of installed programs"; fi
find "$drive" | sort >"$after"
left=$(comm -13 "$before" "$after" | grep -i 'kadenzo\|Program Files\|Start Menu\|{'"$code"'}')
[ -z "$left" ] || fail "left behind: $left"

[ "$failures" -eq 0 ] || exit 1
echo "installer: an earlier version upgraded in place to $version, Program Files\\Kadenzo, the Start-menu shortcut, the list of installed programs; the program started from the shortcut; all of it removed again"
