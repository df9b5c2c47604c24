#!/usr/bin/env python3
"""Checks the JSON reports of Google Benchmark programs (--benchmark_out=FILE
--benchmark_out_format=json): each must list at least one benchmark and none may report an
error (a benchmark that calls SkipWithError still exits 0). Prints every fault and exits 1.
A benchmark with an aim (its counter aim_ms) has its time printed beside the aim; a time above
it is reported, never a fault: a timing on a shared machine is no test.

    check-bench.py REPORT.json...
"""
import json
import sys


def faults(path):
    try:
        with open(path, encoding="utf-8") as f:
            report = json.load(f)
    except (OSError, ValueError) as e:
        return [f"{path}: cannot be read as a benchmark report: {e}"]
    benchmarks = report.get("benchmarks") if isinstance(report, dict) else None
    if not isinstance(benchmarks, list):
        return [f"{path}: the report has no list of benchmarks"]
    if not benchmarks:
        return [f"{path}: no benchmark ran"]
    found = []
    for b in benchmarks:
        if not isinstance(b, dict):
            found.append(f"{path}: an entry is not a benchmark: {b!r}")
        elif b.get("error_occurred"):
            found.append(f"{path}: {b.get('name', '?')} reported an error: "
                         f"{b.get('error_message', '(no message)')}")
    return found


UNIT_MS = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}


def aims(path):
    """A line for each run of a benchmark that states an aim: its time against the aim."""
    try:
        with open(path, encoding="utf-8") as f:
            benchmarks = json.load(f).get("benchmarks")
    except (OSError, ValueError, AttributeError):
        return []
    lines = []
    for b in benchmarks if isinstance(benchmarks, list) else []:
        if not isinstance(b, dict) or b.get("error_occurred") or b.get("run_type") == "aggregate":
            continue
        aim, time = b.get("aim_ms"), b.get("real_time")
        scale = UNIT_MS.get(b.get("time_unit", "ns"))
        if not isinstance(aim, (int, float)) or not isinstance(time, (int, float)) or not scale:
            continue
        ms = time * scale
        # The processor's time beside it: on a loaded machine the real time is mostly waiting.
        cpu = b.get("cpu_time")
        cpu = f" (processor {cpu * scale:.1f} ms)" if isinstance(cpu, (int, float)) else ""
        verdict = "within it" if ms < aim else "above it (reported, not enforced)"
        lines.append(f"{b.get('name', '?')}: {ms:.1f} ms{cpu}, aim under {aim:g} ms: {verdict}")
    return lines


def main(argv):
    if len(argv) < 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    found = [f for path in argv[1:] for f in faults(path)]
    for line in (line for path in argv[1:] for line in aims(path)):
        print(line)
    for f in found:
        print(f, file=sys.stderr)
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
