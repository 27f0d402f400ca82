#!/usr/bin/env bash
# Installs the Node packages of package-lock.json (puppeteer-core, which
# drives Chromium for the web tests, benchmarks and screenshots) when
# node_modules is missing or older than the lock file.
set -euo pipefail
cd "$(dirname "$0")/../.."
if [ ! -f node_modules/.package-lock.json ] || [ package-lock.json -nt node_modules/.package-lock.json ]; then
  echo "Installing the Node packages of package-lock.json"
  npm ci --no-audit --no-fund --loglevel=error
fi
