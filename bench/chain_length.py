#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Times corvalen-cli on chains of every length and on sweeps through pads: each case run RUNS
times, the cases in turn within each turn so that the machine's load falls on all of them alike;
medians of the wall-clock time and the largest peak memory (resident set) of any run.
Targets: mismatch 1.5 2 through 6 pads of 3 dB, VSWR 1.3 within 50 ms and 30 MiB, through 16
within 1 s; a sweep of two measured 100,001-point files through a pad within 1.5x the same through
a measured two-port; two fixed sides through a measured file within 1.5x the direct sweep, which is
the sweep of the two measured files with nothing between them (amp.s2p:S22 into sensor.s1p). A fixed
source swept directly into sensor.s1p is printed beside them for reference, with no target.
Usage: chain_length.py CLI [RUNS]   (not a test; RUNS 11 by default)"""
import os, shutil, statistics, subprocess, sys, tempfile, time

from noisy_files import NoisyFiles

CLI = sys.argv[1]
RUNS = int(sys.argv[2]) if len(sys.argv) > 2 else 11
work = tempfile.mkdtemp()
files = NoisyFiles(work, 23)
gamma, touchstone = files.gamma, files.touchstone


def run(arguments):
    """Wall-clock milliseconds and peak resident memory in MiB of one run, the memory through
    /usr/bin/time (a child forked from this Python would count Python's own pages)."""
    peak = os.path.join(work, "peak")
    start = time.perf_counter()
    with open(os.devnull, "w") as nowhere:
        done = subprocess.run(["/usr/bin/time", "-f", "%M", "-o", peak, CLI, *arguments], stdout=nowhere, stderr=nowhere)
    elapsed = 1000 * (time.perf_counter() - start)
    if done.returncode != 0:
        sys.exit(f"{CLI} {' '.join(arguments)} failed")
    with open(peak) as kib:
        return elapsed, int(kib.read().split()[-1]) / 1024


def measure(cases):
    """{name: (median ms, largest MiB)}, the cases run in turn RUNS times."""
    times = {name: [] for name, _ in cases}
    for _ in range(RUNS):
        for name, arguments in cases:
            times[name].append(run(arguments))
    return {name: (statistics.median(t for t, _ in runs), max(m for _, m in runs)) for name, runs in times.items()}


print(f"{CLI}: {RUNS} turns, cases in turn; median wall-clock ms, largest peak MiB")
pads = [1, 2, 3, 4, 6, 8, 12, 16]
chains = measure([(n, ["mismatch", "1.5", "2"] + ["--through", "loss=3,vswr=1.3"] * n) for n in pads])
print("| pads | wall | peak memory |\n| --- | --- | --- |")
for n in pads:
    print(f"| {n} | {chains[n][0]:.0f} ms | {chains[n][1]:.1f} MiB |")
for n, most_ms, most_mib in ((6, 50, 30), (16, 1000, None)):
    met = chains[n][0] <= most_ms and (most_mib is None or chains[n][1] <= most_mib)
    print(f"{n} pads: target <= {most_ms} ms" + (f" and {most_mib} MiB" if most_mib else "") +
          f": {'met' if met else 'NOT MET'}")

amp = touchstone("amp.s2p", [gamma(0.6) for _ in range(4)]) + ":S22"
sensor = touchstone("sensor.s1p", [gamma(0.6)])
cable = touchstone("cable.s2p", [gamma(0.2), gamma(0.9), gamma(0.9), gamma(0.3)])
sweeps = measure([
    ("through a pad", ["sweep", amp, sensor, "--through", "loss=10,vswr=1.1"]),
    ("through a measured two-port", ["sweep", amp, sensor, "--through", cable]),
    ("fixed sides through a measured two-port", ["sweep", "1.5", "2", "--through", cable]),
    ("two measured files, directly", ["sweep", amp, sensor]),
    ("a fixed source, directly", ["sweep", "1.5", sensor]),
])
for name, (ms, mib) in sweeps.items():
    print(f"sweep {name}: {ms:.0f} ms, {mib:.1f} MiB")
for slow, fast in (("through a pad", "through a measured two-port"),
                   ("fixed sides through a measured two-port", "two measured files, directly")):
    ratio = sweeps[slow][0] / sweeps[fast][0]
    print(f"{slow} against {fast}: {ratio:.2f}x; target <= 1.5x: {'met' if ratio <= 1.5 else 'NOT MET'}")
shutil.rmtree(work)
