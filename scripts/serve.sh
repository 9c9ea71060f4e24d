#!/usr/bin/env bash
# Sets up, builds and serves the bills in a web page on http://127.0.0.1:8080/
# (options as `gmpbill serve --help` lists them).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default
exec ./build/app/gmpbill serve "$@"
