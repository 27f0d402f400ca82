#!/usr/bin/env bash
# Installs the Debian or Ubuntu packages the build and the tests need, and
# only those that are missing.
# Usage: install-deps.sh [desktop] [screenshot] [tests] [windows] [windows-build] [packaging] [i386-emulation] [web]
#                        [cli-bench]
set -euo pipefail

packages=(cmake ninja-build g++ pkg-config file zlib1g-dev)
for group in "$@"; do
  case "$group" in
    desktop) packages+=(qt6-base-dev libgl-dev libcli11-dev) ;;
    screenshot) packages+=(xvfb xauth x11-utils xdotool imagemagick) ;;
    tests) packages+=(libgtest-dev libgmock-dev googletest libbenchmark-dev clang libclang-rt-dev xdotool xclip
                       desktop-file-utils appstream nlohmann-json3-dev) ;;
    windows) packages+=(g++-mingw-w64-i686 binutils-mingw-w64-i686 wine wine32:i386 xvfb xauth wixl libcli11-dev) ;;
    windows-build) packages+=(g++-mingw-w64-i686 binutils-mingw-w64-i686 googletest file wixl libcli11-dev) ;;
    packaging) packages+=(dpkg-dev desktop-file-utils appstream zip man-db) ;;
    # For kernels that cannot run 32-bit x86 programs themselves (see
    # i386-programs.sh): qemu runs them, and 64-bit Wine brings a Wine server
    # that runs natively, so that only the programs themselves are emulated.
    i386-emulation) packages+=(qemu-user-static wine64) ;;
    # kadenzo-tc's benchmark: GNU time for peak memory, and its two
    # yardsticks' awk (Debian's own, mawk) and Node.
    cli-bench)
      packages+=(time mawk)
      command -v node >/dev/null || packages+=(nodejs)
      command -v npm >/dev/null || packages+=(npm)
      ;;
    # The browser program and its tests: Emscripten, the three engines the
    # tests run it in (headless Chromium and Firefox; WebKit's MiniBrowser,
    # driven by WebKitWebDriver, on an Xvfb display since it has no headless
    # mode, and xclip for that display's clipboard) with the font their
    # pages fall back to (the tests read painted pixels), and Node for all
    # (a Node that did not come from Debian is kept, with its own npm).
    web)
      packages+=(emscripten chromium firefox-esr webkit2gtk-driver libwebkit2gtk-4.1-0 xvfb xauth xclip fonts-dejavu-core)
      command -v node >/dev/null || packages+=(nodejs)
      command -v npm >/dev/null || packages+=(npm)
      ;;
    *) echo "install-deps: unknown group '$group'" >&2; exit 2 ;;
  esac
done

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
if printf '%s\n' "${missing[@]}" | grep -q ':i386$' && ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo[@]}" dpkg --add-architecture i386
fi
echo "Installing: ${missing[*]}"
# A mirror in the middle of a sync can fail one index of many: it is asked
# again a little later, and then the others are used as they are; the
# install below says so if what it needs is not there.
for attempt in 1 2 3; do
  "${sudo[@]}" apt-get update -qq && break
  if [ "$attempt" -eq 3 ]; then
    echo "install-deps: some package lists could not be updated; going on" >&2
  else
    sleep 20
  fi
done
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
