#!/usr/bin/env bash
# Runs the workbench's browser tests against the gmpbill given (default
# build/app/gmpbill). Exits 77 (skipped) when Chromium or Node is missing, or
# when playwright-core cannot be installed outside CI.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
gmpbill="$(realpath "${1:-$here/../../build/app/gmpbill}")"
chromium="${CHROMIUM:-/usr/bin/chromium}"
if [ ! -x "$chromium" ] || ! command -v node >/dev/null || ! command -v npm >/dev/null; then
  echo "browser tests skipped: needs $chromium, node and npm"
  exit 77
fi
cd "$here"
if [ ! -d node_modules/playwright-core ]; then
  # Playwright itself only: the browser is the system's, never a download.
  if ! PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --no-audit --no-fund >/dev/null; then
    [ "${CI:-}" = "true" ] && exit 1
    echo "browser tests skipped: npm ci failed"
    exit 77
  fi
fi
GMPBILL="$gmpbill" CHROMIUM="$chromium" exec timeout 240 node --test --test-concurrency=1 workbench.test.mjs
