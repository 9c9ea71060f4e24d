#!/usr/bin/env bash
# Builds and runs the benchmarks (Release) and prints each speed goal as a
# figure: the median of the repetitions with their range, and the ratio to the
# raw SQLite path where the benchmark runs one beside it.
#
#   scripts/bench.sh            all benchmarks, 3 repetitions (REPS=n to change)
#   scripts/bench.sh --build    also time a clean default build (no compiler
#                               cache) in a scratch folder; takes minutes
#   scripts/bench.sh -- ARGS    passes ARGS to the benchmark binary instead
#                               (for example --benchmark_filter=BM_Dictionary)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset bench >/dev/null
cmake --build --preset bench --target orb_bench

if [ "${1:-}" = "--" ]; then
  shift
  exec ./build-bench/bench/orb_bench "$@"
fi

reports=$(mktemp -d)
trap 'rm -rf "$reports"' EXIT
echo "Running the benchmarks ($(nproc) CPUs, load average: $(cut -d' ' -f1-3 /proc/loadavg))..."
# Each family in a process of its own: the large databases one family keeps
# for its repetitions would otherwise slow the allocations of the next.
families=$(./build-bench/bench/orb_bench --benchmark_list_tests | sed 's|/.*||' | sort -u)
for family in $families; do
  ./build-bench/bench/orb_bench --benchmark_filter="^${family}(/|\$)" \
    --benchmark_repetitions="${REPS:-3}" --benchmark_out="$reports/${family##*:}.json" \
    --benchmark_out_format=json >/dev/null
done
echo
python3 bench/summary.py "$reports"/*.json

if [ "${1:-}" = "--build" ]; then
  scratch=$(mktemp -d)
  trap 'rm -rf "$reports" "$scratch"' EXIT
  echo
  echo "Clean default build in $scratch (load average before: $(cut -d' ' -f1-3 /proc/loadavg))..."
  cmake -S . -B "$scratch" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  TIMEFORMAT='%R %U %S'
  { time CCACHE_DISABLE=1 cmake --build "$scratch" -j2 >/dev/null; } 2>"$scratch/time.txt"
  read -r wall user sys <"$scratch/time.txt"
  python3 -c "import sys; w, u, s = map(float, sys.argv[1:]); print(f'   wall {w:.0f} s, compiler CPU {u + s:.0f} s = {(u + s) / 2:.0f} s on two idle cores (goal: under 240 s)')" \
    "$wall" "$user" "$sys"
fi
