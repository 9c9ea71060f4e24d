#!/usr/bin/env bash
# Builds and runs the benchmarks (Release).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset bench >/dev/null
cmake --build --preset bench --target orb_bench
./build-bench/bench/orb_bench "$@"
