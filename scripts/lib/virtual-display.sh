# Sourced by the scripts that show programs on a display of their own.
# start_virtual_display DIR starts Xvfb with no window manager (a window is
# mapped the moment its program asks), lets it pick a free display number,
# appends its pid to the caller's pids array and exports DISPLAY. DIR holds
# its log and the number it reports.
start_virtual_display() {
  local dir=$1
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$dir/display" >"$dir/xvfb.log" 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do [ -s "$dir/display" ] && break; sleep 0.1; done
  [ -s "$dir/display" ] || { cat "$dir/xvfb.log" >&2; echo "Xvfb did not start" >&2; return 1; }
  export DISPLAY=":$(head -n 1 "$dir/display")"
}
