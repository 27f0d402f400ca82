#!/usr/bin/env bash
# Installs a build into a fresh prefix and checks what a Linux desktop will
# look for there: the program, its desktop entry, its AppStream metainfo and
# its icon at every theme size. Both files must pass their validators.
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
echo "install layout in order: program, desktop entry, metainfo, icons at ${sizes[*]}"
