#!/usr/bin/env bash
# Installs a build into a fresh prefix and checks what a Linux desktop will
# look for there: the program, its desktop entry, its AppStream metainfo and
# its icon at every theme size. Both files must pass their validators. And
# the command line, kadenzo-tc: that it runs from there, needs no library
# beyond the C and C++ runtimes, and that man reads its manual page.
# Usage: check_install.sh CMAKE BUILD_DIR VERSION SOURCE_DIR
set -uo pipefail

cmake=$1 build=$2 version=$3 source=$4
id=io.github.kadenzo.Kadenzo
sizes=(16 32 48 64 128 256)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

if ! DESTDIR= "$cmake" --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1; then
  cat "$work/install.log" >&2
  echo "FAIL: cmake --install" >&2
  exit 1
fi

program=$prefix/bin/kadenzo
desktop=$prefix/share/applications/$id.desktop
metainfo=$prefix/share/metainfo/$id.metainfo.xml

[ -x "$program" ] || fail "no program at bin/kadenzo"
[ -f "$prefix/share/doc/kadenzo/copyright" ] || fail "no licence at share/doc/kadenzo/copyright"

# The command line is for scripts and servers too, where the desktop's
# libraries need not be: it links the C and C++ runtimes alone.
command_line=$prefix/bin/kadenzo-tc
if [ -x "$command_line" ]; then
  converted=$("$command_line" --rate 29.97 --df 1800 2>&1)
  [ "$converted" = "00:01:00;02" ] || fail "installed kadenzo-tc made '$converted' of 1800 frames at 29.97 DF"
  libraries=$(readelf -d "$command_line" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
  [ -n "$libraries" ] || fail "readelf finds no libraries kadenzo-tc needs"
  for library in $libraries; do
    case "$library" in
      libstdc++.so.* | libm.so.* | libgcc_s.so.* | libc.so.*) ;;
      # A sanitizer build's own runtimes, which no package ships.
      libasan.so.* | libubsan.so.* | liblsan.so.* | libtsan.so.*) ;;
      *) fail "kadenzo-tc needs $library, beyond the C and C++ runtimes" ;;
    esac
  done
else
  fail "no command line at bin/kadenzo-tc"
fi
# Compressed, as Debian keeps manual pages; man must read it without a
# warning, and find the command's name in it.
page=$prefix/share/man/man1/kadenzo-tc.1.gz
if [ -f "$page" ]; then
  gzip -t "$page" 2>/dev/null || fail "share/man/man1/kadenzo-tc.1.gz is not gzip data"
  warnings=$(MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "man warns about kadenzo-tc.1: $warnings"
  shown=$(MANWIDTH=80 man -l "$page" 2>/dev/null)
  grep -qx 'NAME' <<<"$shown" || fail "man shows no NAME section in kadenzo-tc.1"
  grep -q '^ *kadenzo-tc - ' <<<"$shown" || fail "the NAME section of kadenzo-tc.1 does not name kadenzo-tc"
else
  fail "no manual page at share/man/man1/kadenzo-tc.1.gz"
fi

# The desktop entry must start the installed program and name the themed icon.
if [ -f "$desktop" ]; then
  exec_line=$(sed -n 's/^Exec=//p' "$desktop")
  [ -x "$prefix/bin/${exec_line%% *}" ] || fail "Exec=$exec_line does not name the installed program"
  icon_line=$(sed -n 's/^Icon=//p' "$desktop")
  [ "$icon_line" = "$id" ] || fail "Icon=$icon_line, not the themed icon $id"
  # SingleMainWindow came with version 1.5 of the desktop entry format; a
  # validator of an older version (Debian 12's knows 1.4) takes it for an
  # unknown key even in an entry with nothing else to fault. That one
  # complaint is forgiven such a validator, no other.
  validation=$(desktop-file-validate "$desktop" 2>&1)
  probe=$(mktemp --suffix=.desktop)
  printf '[Desktop Entry]\nType=Application\nName=Probe\nExec=true\nSingleMainWindow=true\n' >"$probe"
  if grep -qF SingleMainWindow <<<"$(desktop-file-validate "$probe" 2>&1)"; then
    validation=$(grep -vF 'key "SingleMainWindow" in group "Desktop Entry", but keys extending the format should start with "X-"' <<<"$validation")
  fi
  rm -f "$probe"
  [ -z "$validation" ] || echo "$validation"
  if grep -q ': error:' <<<"$validation"; then fail "desktop-file-validate rejects $id.desktop"; fi
else
  fail "no desktop entry at share/applications/$id.desktop"
fi

# The metainfo must point at that entry and that program, carry a release
# for this version, and show screenshots that the project has.
if [ -f "$metainfo" ]; then
  tag() { sed -n "s|.*<$1>\\(.*\\)</${1%% *}>.*|\\1|p" "$metainfo"; }
  [ "$(tag id)" = "$id" ] || fail "metainfo <id> is '$(tag id)', not $id"
  [ "$(tag 'launchable type="desktop-id"')" = "$id.desktop" ] || fail "metainfo does not launch $id.desktop"
  [ "$(tag binary)" = kadenzo ] || fail "metainfo does not provide the binary kadenzo"
  newest=$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' "$metainfo" | head -n 1)
  [ "$newest" = "$version" ] || fail "newest release in the metainfo is '$newest', the project is $version"
  screenshots=$(sed -n 's|.*<image[^>]*>[^<]*/\([^/<]*\)</image>.*|\1|p' "$metainfo")
  [ -n "$screenshots" ] || fail "metainfo shows no screenshots"
  for picture in $screenshots; do
    [ -f "$source/docs/screenshots/$picture" ] || fail "screenshot $picture is not in docs/screenshots"
  done
  appstreamcli validate --no-net "$metainfo" || fail "appstreamcli rejects $id.metainfo.xml"
  # The tree check also finds the desktop entry the metainfo launches.
  appstreamcli validate-tree --no-net "$prefix" >/dev/null || {
    appstreamcli validate-tree --no-net "$prefix" >&2
    fail "appstreamcli rejects the installed tree"
  }
else
  fail "no metainfo at share/metainfo/$id.metainfo.xml"
fi

for size in "${sizes[@]}"; do
  icon=$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png
  if [ -f "$icon" ]; then
    file -b "$icon" | grep -q "^PNG image data, $size x $size," || fail "$icon is $(file -b "$icon")"
  else
    fail "no ${size}x$size icon"
  fi
done

[ "$failures" -eq 0 ] || exit 1
echo "install layout in order: program, command line and its manual page, desktop entry, metainfo, icons at ${sizes[*]}"
