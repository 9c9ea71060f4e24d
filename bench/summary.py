#!/usr/bin/env python3
"""Prints the speed goals from Google Benchmark JSON reports (with
repetitions; one report per benchmark family is fine): each figure as the median of the runs with their range, and,
where the benchmark ran the raw SQLite path beside it, the ratio to it."""
import json
import statistics
import sys
from collections import defaultdict


def load(paths):
    """The runs of every report, by benchmark; the context of the first."""
    runs = defaultdict(list)
    context = None
    for path in paths:
        with open(path) as f:
            report = json.load(f)
        context = context or report.get("context", {})
        for b in report["benchmarks"]:
            if b.get("run_type") == "aggregate" or b.get("error_occurred"):
                if b.get("error_occurred"):
                    print(f"!! {b['name']}: {b.get('error_message')}")
                continue
            runs[b["run_name"].replace("orb::bench::", "")].append(b)
    return context or {}, runs


def spread(values, scale=1.0, fmt="{:.3g}"):
    values = [v * scale for v in values]
    if not values:
        return "-"
    med = statistics.median(values)
    if len(values) == 1:
        return fmt.format(med)
    return f"{fmt.format(med)} ({fmt.format(min(values))}-{fmt.format(max(values))})"


def counter(runs, name, key):
    return [r[key] for r in runs.get(name, []) if key in r]


def time_ns(runs, name, kind="cpu_time"):
    """CPU time for the small benchmarks (steadier than wall time on a shared
    machine); real time where waiting for the disk is what is measured."""
    unit = {"ns": 1, "us": 1e3, "ms": 1e6, "s": 1e9}
    return [r[kind] * unit[r["time_unit"]] for r in runs.get(name, [])]


def main(paths):
    context, runs = load(paths)
    load_avg = context.get("load_avg", [])
    print(f"host: {context.get('num_cpus')} CPUs, load average {load_avg}, "
          f"{len(next(iter(runs.values()), []))} repetitions; median (min-max)\n")

    print("1. A statement through the connection component, read by field name (goal: ratio <= 1.05)")
    for n in ("10000", "1000000"):
        name = f"BM_StockCheckVsRawSqlite/{n}"
        print(f"   {int(n):>9,} lots: component {spread(counter(runs, name, 'orb_us'))} us, "
              f"raw SQLite {spread(counter(runs, name, 'raw_us'))} us, "
              f"ratio {spread(counter(runs, name, 'ratio'))}")
    for arg, label in (("0", "nothing to rewrite"), ("1", "two rewrites")):
        print(f"   TranslateTSql, {label}: {spread(time_ns(runs, f'BM_TranslateTSql/{arg}'))} ns")

    print("\n2. Bill load per line, looked-up item and unit (goal: ratio <= 3)")
    for n in ("100", "1000", "10000"):
        name = f"BM_BillLoadVsJoinedStatement/{n}"
        print(f"   {int(n):>6,} lines: load {spread(counter(runs, name, 'orb_us'))} us/line, "
              f"joined statement {spread(counter(runs, name, 'raw_us'))} us/line, "
              f"ratio {spread(counter(runs, name, 'ratio'))}")

    print("\n3. Linear growth (goal: the cost per key, cell or row stays flat)")
    for label, bench, key, args in (
        ("dictionary, per key", "BM_DictionaryBuild", "per_key", ("8", "64", "512", "4096")),
        ("RecordsetToVector, per cell", "BM_RecordsetToVector", "per_cell", ("10", "40", "160")),
        ("list marks, per row", "BM_ListMarkAll", "per_row", ("1000", "8000", "64000")),
    ):
        cells = [f"{a}: {spread(counter(runs, f'{bench}/{a}', key), 1e9)} ns" for a in args]
        print(f"   {label}: " + ", ".join(cells))

    print("\n4. gmpbill demo on its database file against in memory (goal: ratio <= 2)")
    name = "BM_DemoOnFileVsMemory/real_time"
    print(f"   per scenario: file {spread(counter(runs, name, 'orb_us'), 1e-3)} ms, "
          f"memory {spread(counter(runs, name, 'raw_us'), 1e-3)} ms, "
          f"ratio {spread(counter(runs, name, 'ratio'))}")

    print("\n5. Clean default build: see the build line below (scripts/bench.sh --build)")

    print("\n6. A non-database event through the reference host (goal: <= 1000 ns)")
    print(f"   {spread(time_ns(runs, 'BM_EventThroughHost'))} ns per event")

    print("\n7. BM_DemoScenario, real time: every demo scenario in memory, one after the other")
    print(f"   {spread(time_ns(runs, 'BM_DemoScenario/real_time', 'real_time'), 1e-6)} ms per run")

if __name__ == "__main__":
    main(sys.argv[1:])
