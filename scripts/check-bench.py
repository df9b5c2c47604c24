#!/usr/bin/env python3
"""Checks the JSON reports of Google Benchmark programs (--benchmark_out=FILE
--benchmark_out_format=json): each must list at least one benchmark and none may report an
error (a benchmark that calls SkipWithError still exits 0). Prints every fault and exits 1.

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


def main(argv):
    if len(argv) < 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    found = [f for path in argv[1:] for f in faults(path)]
    for f in found:
        print(f, file=sys.stderr)
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
