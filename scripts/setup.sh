#!/usr/bin/env bash
# Installs the Debian packages the build needs, when any is missing.
set -euo pipefail
packages=(g++ cmake ninja-build pkg-config libsqlite3-dev nlohmann-json3-dev libgtest-dev libgmock-dev
          libbenchmark-dev python3)
# The Debian package check: dpkg-shlibdeps and file find the package's dependencies.
packages+=(dpkg-dev file)
# The command-line shell the demo's summary names for looking at its databases.
packages+=(sqlite3)
packages+=(libcpp-httplib-dev)
# The browser tests of `gmpbill serve` need Chromium and Node: installed on CI
# (CI=true) or when asked (`scripts/setup.sh --browser`), skipped otherwise.
browser=false
if [ "${CI:-}" = "true" ] || [ "${1:-}" = "--browser" ]; then
  browser=true
  packages+=(chromium)
  command -v node >/dev/null || packages+=(nodejs)
  command -v npm >/dev/null || packages+=(npm)
fi
# The ODBC connection component and its test run on the SQLite ODBC driver.
packages+=(unixodbc unixodbc-dev libsqliteodbc)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -q
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q "${missing[@]}"
fi
if [ "$browser" = true ]; then
  # playwright-core only; it drives the system's Chromium and downloads no browser.
  (cd "$(dirname "$0")/../tests/browser" && PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --no-audit --no-fund)
fi
