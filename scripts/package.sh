#!/usr/bin/env bash
# Builds the release packages into build/packages:
#   kadenzo_VERSION_ARCH.deb           the Linux program and kadenzo-tc with
#                                      its manual page, from preset linux by
#                                      cpack (packaging/cpack.cmake)
#   kadenzo-VERSION-windows-x86.zip    KADENZO.EXE and kadenzo-tc.exe with
#                                      README.txt and LICENSE.txt, from
#                                      preset windows, when the presets have
#                                      one
#   kadenzo-VERSION-windows-x86.msi    the Windows installer of the same four
#                                      files, made by wixl in the windows
#                                      build (packaging/windows); the Windows
#                                      tests install, start and remove it
#                                      under Wine
# Usage: package.sh [--check]
#   --check  also installs the .deb with apt-get, starts kadenzo from it,
#            converts a time code with its kadenzo-tc, asks man for its page,
#            and removes it again (changes this machine: needs root or sudo,
#            and refuses if a kadenzo package is installed already).
# The zip is a plain zip step rather than cpack: the programs and the two
# files beside them are all a Windows user needs.
set -euo pipefail
cd "$(dirname "$0")/.."

check=false
for argument in "$@"; do
  case "$argument" in
    --check) check=true ;;
    *) echo "usage: $0 [--check]" >&2; exit 2 ;;
  esac
done

out=$PWD/build/packages
mkdir -p "$out"

# --- Debian package
scripts/install-deps.sh desktop packaging
cmake --preset linux >/dev/null
cmake --build --preset linux --target kadenzo kadenzo-tc kadenzo_tc_man_page kadenzo_theme_icons
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/linux/CMakeCache.txt)
rm -f "$out"/kadenzo_*.deb
cpack --config build/linux/CPackConfig.cmake -B "$out" >"$out/cpack.log" 2>&1 || {
  cat "$out/cpack.log" >&2
  exit 1
}
rm -rf "$out/_CPack_Packages" "$out/cpack.log"
deb=$(ls "$out"/kadenzo_"$version"_*.deb)
echo "== $deb"
dpkg-deb --field "$deb" Package Version Architecture Depends
contents=$(dpkg-deb --contents "$deb")
for file in /usr/bin/kadenzo /usr/bin/kadenzo-tc /usr/share/man/man1/kadenzo-tc.1.gz; do
  grep -q " \.$file\$" <<<"$contents" || { echo "$deb has no $file" >&2; exit 1; }
done

if $check; then
  sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  if dpkg-query -W -f='${Status}' kadenzo 2>/dev/null | grep -q "install ok installed"; then
    echo "kadenzo is installed on this machine already; remove it to check the package" >&2
    exit 1
  fi
  echo "== installing, starting and removing $deb"
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq "$deb" >/dev/null
  status=0
  # A program that starts keeps running until the time-out stops it (124);
  # a missing library or a crash ends it sooner with another status.
  QT_QPA_PLATFORM=offscreen timeout 2 /usr/bin/kadenzo || status=$?
  converted=$(/usr/bin/kadenzo-tc --rate 29.97 --df 1800 2>&1) || true
  page=$(man -w kadenzo-tc 2>&1) || true
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get remove -y -qq kadenzo >/dev/null
  failed=false
  if [ "$status" -ne 124 ]; then
    echo "kadenzo from the package ended with status $status instead of running" >&2
    failed=true
  fi
  if [ "$converted" != "00:01:00;02" ]; then
    echo "kadenzo-tc from the package made '$converted' of 1800 frames at 29.97 drop-frame" >&2
    failed=true
  fi
  if [ "$page" != /usr/share/man/man1/kadenzo-tc.1.gz ]; then
    echo "man kadenzo-tc finds '$page', not the package's page" >&2
    failed=true
  fi
  if $failed; then exit 1; fi
  echo "kadenzo from the package started and ran until stopped; its kadenzo-tc converts, and man finds its page"
fi

# --- Windows zip
if ! cmake --list-presets 2>/dev/null | grep -q '"windows"'; then
  echo "No windows preset: no Windows zip."
  exit 0
fi
scripts/install-deps.sh windows packaging
cmake --preset windows >/dev/null
cmake --build --preset windows --target kadenzo_win32 kadenzo-tc kadenzo_msi
program=build/windows/app/KADENZO.EXE
[ -f "$program" ] || program=$(find build/windows -name KADENZO.EXE -type f | head -n 1)
[ -n "$program" ] || { echo "the windows build made no KADENZO.EXE" >&2; exit 1; }
command_line=build/windows/cli/kadenzo-tc.exe
[ -f "$command_line" ] || { echo "the windows build made no $command_line" >&2; exit 1; }
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/windows/CMakeCache.txt)

# The zip holds nothing but the programs, so they must not need the
# compiler's own DLLs at run time.
for exe in "$program" "$command_line"; do
  if i686-w64-mingw32-objdump -p "$exe" | grep -Ei 'DLL Name: *(libstdc\+\+|libgcc|libwinpthread)'; then
    echo "$exe needs the DLLs above, which the zip does not carry" >&2
    exit 1
  fi
done

zip=$out/kadenzo-$version-windows-x86.zip
staging=$(mktemp -d)
trap 'rm -rf "$staging"' EXIT
# The static runtime libraries bring debugging sections along; the programs
# do not need them (stripping keeps the relocations ASLR uses).
i686-w64-mingw32-strip -o "$staging/KADENZO.EXE" "$program"
i686-w64-mingw32-strip -o "$staging/kadenzo-tc.exe" "$command_line"
cp packaging/windows/README.txt "$staging/README.txt"
cp LICENSE "$staging/LICENSE.txt"
rm -f "$zip"
# -l gives the text files Windows line endings; -X leaves out Unix owners
# and times beyond the plain ones.
(cd "$staging" && zip -q -X "$zip" KADENZO.EXE kadenzo-tc.exe && zip -q -X -l "$zip" README.txt LICENSE.txt)
echo "== $zip"
unzip -l "$zip"

msi=build/windows/packaging/windows/kadenzo-$version-windows-x86.msi
[ -f "$msi" ] || { echo "the windows build made no $msi" >&2; exit 1; }
cp "$msi" "$out/"
echo "== $out/$(basename "$msi")"
file -b "$out/$(basename "$msi")"
