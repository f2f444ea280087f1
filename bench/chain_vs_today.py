#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Times sweeps of 100,001-point files through a chain of two-ports against the sweeps an earlier
build (one two-port at most, the first-order standard uncertainty) makes of the same files: the
two builds run in turn, each case RUNS times, medians of the wall-clock time compared, and of the
processor time (user and system), which a machine busy with other work moves less. Rows go to
/dev/null.
Targets: a chain of two measured two-ports within 2x of the earlier sweep through one, and a sweep
with a fixed side (its standard uncertainty now exact) within 1.5x of the earlier one.
Usage: chain_vs_today.py EARLIER_CLI CLI [RUNS]   (not a test; RUNS 11 by default)"""
import os, shutil, statistics, subprocess, sys, tempfile, time

from noisy_files import NoisyFiles

EARLIER, CLI = sys.argv[1], sys.argv[2]
RUNS = int(sys.argv[3]) if len(sys.argv) > 3 else 11
work = tempfile.mkdtemp()
files = NoisyFiles(work, 19)
gamma, touchstone = files.gamma, files.touchstone


amp = touchstone("amp.s2p", [gamma(0.6) for _ in range(4)]) + ":S22"
sensor = touchstone("sensor.s1p", [gamma(0.6)])
cable = touchstone("cable.s2p", [gamma(0.2), gamma(0.9), gamma(0.9), gamma(0.3)])
adapter = touchstone("adapter.s2p", [gamma(0.1), gamma(0.95), gamma(0.95), gamma(0.1)])
CASES = [  # name, the earlier build's arguments, this build's arguments, target ratio
    ("two measured two-ports against one, sides measured", [amp, sensor, "--through", cable],
     [amp, sensor, "--through", cable, "--through", adapter], 2.0),
    ("a fixed source, through a two-port", ["1.5", sensor, "--through", cable], None, 1.5),
    ("a fixed load, through a two-port", [amp, "1.5", "--through", cable], None, 1.5),
    ("a fixed source, directly", ["1.5", sensor], None, 1.5),
    ("two fixed sides, through a two-port", ["1.5", "2", "--through", cable], None, None),
    ("a pad between measured sides", [amp, sensor, "--through", "loss=10,vswr=1.1"], None, None),
    ("a fixed source, two measured two-ports against one", ["1.5", sensor, "--through", cable],
     ["1.5", sensor, "--through", cable, "--through", adapter], None),
]


def milliseconds(cli, arguments):
    """Wall-clock and processor time of one run."""
    start = time.perf_counter()
    with open(os.devnull, "w") as nowhere:
        child = subprocess.Popen([cli, "sweep", *arguments], stdout=nowhere, stderr=nowhere)
        _, status, usage = os.wait4(child.pid, 0)
    if status != 0:
        sys.exit(f"{cli} sweep {' '.join(arguments)} failed")
    return 1000 * (time.perf_counter() - start), 1000 * (usage.ru_utime + usage.ru_stime)


print(f"earlier = {EARLIER}\nthis    = {CLI}\n{RUNS} turns of each in turn, 100,001 rows; medians in ms")
for name, earlier_arguments, arguments, target in CASES:
    runs = {"earlier": [], "this": []}
    for _ in range(RUNS):
        runs["earlier"].append(milliseconds(EARLIER, earlier_arguments))
        runs["this"].append(milliseconds(CLI, arguments or earlier_arguments))
    (wall0, cpu0), (wall, cpu) = ([statistics.median(t[i] for t in runs[b]) for i in (0, 1)] for b in ("earlier", "this"))
    verdict = "" if target is None else f"; target <= {target}x: {'met' if wall / wall0 <= target else 'NOT MET'}"
    print(f"{name}: wall {wall0:.1f} -> {wall:.1f} ({wall / wall0:.2f}x), processor {cpu0:.1f} -> {cpu:.1f} "
          f"({cpu / cpu0:.2f}x){verdict}")
shutil.rmtree(work)
