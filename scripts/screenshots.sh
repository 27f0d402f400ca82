#!/usr/bin/env bash
# Pictures the calculator for docs/screenshots, each with a worked example
# typed in: 1800 frames at 29.97 frames per second, which is 0:01:00:01.
#   docs/screenshots/kadenzo-linux.png    the Linux program (preset linux)
#   docs/screenshots/kadenzo-windows.png  KADENZO.EXE under Wine, when the
#                                         Windows build is there
# Both run on a virtual display of their own, so this works without a
# desktop session and leaves a running one alone.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh desktop screenshot
cmake --preset linux >/dev/null
cmake --build --preset linux --target kadenzo
out=docs/screenshots
mkdir -p "$out"

# The calculator's client area in dialog units, and the places clicked in it.
# Dialog units become pixels in proportion to the window's size, whatever
# font each platform lays the dialog out with.
dialog_width=158 dialog_height=194
rate_29_97=(80 20 36 10)   # the "29.97" rate button
first_count=(4 81 40 13)   # the first operand's frame count

# A display of our own, where no other program maps windows.
. scripts/lib/virtual-display.sh
start_virtual_display

# Waits up to $2 seconds for the window titled $1 and prints its id; stops
# waiting, with the program's log $4, when process $3 has ended.
find_window() {
  local id
  for _ in $(seq $(($2 * 10))); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1) || true
    [ -n "$id" ] && { echo "$id"; return 0; }
    kill -0 "$3" 2>/dev/null || { cat "$4" >&2; echo "the program ended before its window appeared" >&2; return 1; }
    sleep 0.1
  done
  echo "no window titled '$1' appeared" >&2
  return 1
}

# Clicks the centre of a dialog-unit rectangle (x y w h) of the client area
# at X,Y of WIDTH × HEIGHT pixels.
click_dialog_rect() {
  local x=$1 y=$2 w=$3 h=$4
  xdotool mousemove $((X + (2 * x + w) * WIDTH / (2 * dialog_width))) \
                    $((Y + (2 * y + h) * HEIGHT / (2 * dialog_height))) click 1
  sleep 0.3
}

# Types the worked example into the client area at X,Y (WIDTH × HEIGHT),
# gives the program $2 seconds to show it, and saves that area as $1.
picture_example() {
  click_dialog_rect "${rate_29_97[@]}"
  click_dialog_rect "${first_count[@]}"
  # Home, then Shift+End: selects the field's text in a Qt line edit and in
  # a Windows edit control alike (the latter has no Ctrl+A).
  xdotool key --clearmodifiers Home shift+End
  xdotool type --delay 60 1800
  sleep "$2"
  import -window root "$workdir/screen.png"
  convert "$workdir/screen.png" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage -strip "$1"
  echo "wrote $1 (${WIDTH}x${HEIGHT})"
}

# --- Linux
build/linux/app/kadenzo >"$workdir/linux.log" 2>&1 &
pids+=($!)
window=$(find_window Kadenzo 15 "${pids[-1]}" "$workdir/linux.log")
eval "$(xdotool getwindowgeometry --shell "$window")"
sleep 0.3
picture_example "$out/kadenzo-linux.png" 0.7
kill "${pids[-1]}" 2>/dev/null || true

# --- Windows, under Wine
if ! cmake --list-presets 2>/dev/null | grep -q '"windows"'; then
  echo "No windows preset: no Windows picture."
  exit 0
fi
scripts/install-deps.sh windows
cmake --preset windows >/dev/null
cmake --build --preset windows --target kadenzo_win32
program=build/windows/app/KADENZO.EXE
[ -f "$program" ] || program=$(find build/windows -name KADENZO.EXE -type f | head -n 1)
[ -n "$program" ] || { echo "the windows build made no KADENZO.EXE" >&2; exit 1; }

# A Wine prefix of its own, kept between runs (making one takes minutes).
# In it Wine leaves window frames to an X window manager, and the virtual
# display has none; so, unlike in the prefix the tests use, the X window is
# just the dialog's client area, which the clicks are measured in.
export KADENZO_WINEPREFIX=$PWD/build/wine-screenshots
own_wineprefix=$KADENZO_WINEPREFIX
export WINEPREFIX=$KADENZO_WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# scripts/wine-run.sh, when there, also starts Wine faster under emulation.
wine=(wine)
[ -x scripts/wine-run.sh ] && wine=(scripts/wine-run.sh)
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "Making the Wine prefix $WINEPREFIX (once; this takes a while)"
  "${wine[@]}" wineboot --init >"$workdir/wineboot.log" 2>&1
  wineserver -k 2>/dev/null || true  # ending the server writes the registry back
fi
"${wine[@]}" "$program" >"$workdir/windows.log" 2>&1 &
pids+=($!)
window=$(find_window Kadenzo 600 "${pids[-1]}" "$workdir/windows.log")
eval "$(xdotool getwindowgeometry --shell "$window")"
# Wine can be slow here (32-bit Windows code may run under emulation).
sleep 2
picture_example "$out/kadenzo-windows.png" 5
