# Sourced by the scripts that show programs on a display of their own.
# start_virtual_display starts Xvfb with no window manager (a window is
# mapped the moment its program asks), lets it pick a free display number
# and exports DISPLAY. It makes the scratch folder $workdir and an empty
# pids array; at exit the display stops, and with it every process whose pid
# the caller appended to pids and the Wine server of $own_wineprefix, if the
# caller set one, and $workdir goes.
start_virtual_display() {
  workdir=$(mktemp -d)
  pids=()
  trap stop_virtual_display EXIT
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$workdir/display" >"$workdir/xvfb.log" 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do [ -s "$workdir/display" ] && break; sleep 0.1; done
  [ -s "$workdir/display" ] || { cat "$workdir/xvfb.log" >&2; echo "Xvfb did not start" >&2; return 1; }
  export DISPLAY=":$(head -n 1 "$workdir/display")"
}

stop_virtual_display() {
  local pid
  [ -z "${own_wineprefix:-}" ] || WINEPREFIX=$own_wineprefix wineserver -k 2>/dev/null || true
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$workdir"
}
