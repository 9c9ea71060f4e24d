#!/usr/bin/env bash
# Sets up, builds and plays the demo on the embedded SQLite database.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default
./build/app/gmpbill demo "$@"
