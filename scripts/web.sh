#!/usr/bin/env bash
# Installs what is missing, builds Kadenzo's browser program and its static
# site into build/web/site, and serves the site on this machine, printing its
# address; Ctrl+C stops the server. Without a display it first saves a
# picture of the page as headless Chromium shows it.
# Usage: web.sh [--build-only] [--port N]   (port 8080 unless told)
set -euo pipefail
cd "$(dirname "$0")/.."

serve=true
port=8080
while [ $# -gt 0 ]; do
  case "$1" in
    --build-only) serve=false; shift ;;
    --port) port=$2; shift 2 ;;
    *) sed -n '2,/^set -euo/p' "$0" | sed '$d' | sed 's/^# \{0,1\}//' >&2; exit 2 ;;
  esac
done

scripts/install-deps.sh web
scripts/lib/node-modules.sh
cmake --preset web >/dev/null
cmake --build --preset web
site=build/web/site
echo "The site is in $site: serve that folder with any static server."
$serve || exit 0

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  picture="$PWD/build/kadenzo-web.png"
  node tools/web/screenshot.mjs "$site" "$picture"
  echo "No display here: headless Chromium showed the page; its picture is in"
  echo "  $picture"
fi
echo "Serving $site (Ctrl+C stops):"
exec node tools/web/serve.mjs "$site" "$port"
