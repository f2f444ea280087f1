#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Whether each fast path of the Touchstone reader earns its place: runs the reader as it
ships and the builds without a fast path in turn (one of each per round, the order rotating),
over the same large files, and prints per file the median milliseconds by the clock of each build and the
median of the paired ratios (build / as shipped) with their quartiles. The shipped build is
also paired with itself: its quartiles are the machine's noise, which a gain must clear.
FIRST+SECOND reads two files at once, as a sweep does.
Usage: reader_fast_paths.py BUILD_DIR [ROUNDS] [FILE[:CHOICE|:two-port|:network][+FILE...]...]   (not a test)"""
import os, statistics, subprocess, sys

build = sys.argv[1]
rounds = int(sys.argv[2]) if len(sys.argv) > 2 else 15
files = sys.argv[3:] or ["/tmp/benchfiles/filter.s1p", "/tmp/benchfiles/amp.s2p:S22",
                         "/tmp/benchfiles/amp.s2p:two-port", "/tmp/benchfiles/cable.s2p:two-port",
                         "/tmp/benchfiles/amp.s2p:S22+/tmp/benchfiles/filter.s1p"]
shipped = os.path.join(build, "bench", "bench_reader")
others = sorted(name for name in os.listdir(os.path.join(build, "bench"))
                if name.startswith("bench_reader_") and os.access(os.path.join(build, "bench", name), os.X_OK))
variants = ["bench_reader", "bench_reader (again)"] + others


def run(variant):
    program = shipped if variant.startswith("bench_reader ") else os.path.join(build, "bench", variant)
    lines = subprocess.run([program, "5"] + files, check=True, capture_output=True, text=True).stdout.splitlines()
    return [(float(line.split("\t")[0]), line.split("\t")[1]) for line in lines]


times = {variant: [] for variant in variants}
digests = {}
for r in range(rounds):
    for k in range(len(variants)):
        variant = variants[(r + k) % len(variants)]
        result = run(variant)
        times[variant].append([ms for ms, _ in result])
        digests[variant] = [digest for _, digest in result]


def quartiles(values):
    q = statistics.quantiles(values, n=4)
    return q[0], statistics.median(values), q[2]


print(f"{rounds} rounds; median ms, and build / as shipped per round: median [quartiles]")
for i, name in enumerate(files):
    print(name)
    for variant in variants:
        own = [run_times[i] for run_times in times[variant]]
        ratios = [a[i] / b[i] for a, b in zip(times[variant], times["bench_reader"])]
        low, middle, high = quartiles(ratios)
        same = "same values" if digests[variant][i] == digests["bench_reader"][i] else "OTHER VALUES"
        print(f"  {variant:28} {statistics.median(own):9.1f} ms  {middle:5.3f} [{low:5.3f} {high:5.3f}]  {same}")
