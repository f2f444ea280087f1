#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Times two builds of corvalen-cli on the same sweeps, to decide whether a fast path earns its
place: A and B run in turn, with A run a second time in each turn, so that the A against A ratio
shows how much the machine's noise alone moves a median. Rows go to /dev/null; both builds'
output (stdout and stderr) must be the same.
Usage: sweep_ab.py CLI_A CLI_B [RUNS]   (not a test; RUNS at least 11, 15 by default)"""
import hashlib, os, shutil, statistics, subprocess, sys, tempfile, time
import numpy as np

CLI_A, CLI_B = sys.argv[1], sys.argv[2]
RUNS = int(sys.argv[3]) if len(sys.argv) > 3 else 15
work = tempfile.mkdtemp()
rng = np.random.default_rng(7)


def gamma(count, largest=0.6):
    return largest * np.sqrt(rng.uniform(0, 1, count)) * np.exp(1j * rng.uniform(-np.pi, np.pi, count))


def touchstone(name, points, columns, fmt="MA"):
    """A file of `columns` complex values a line, on a grid of `points` from 10 MHz to 6 GHz."""
    f = np.linspace(10e6, 6e9, points).round()
    cells = [c for g in columns for c in ((np.abs(g), np.degrees(np.angle(g))) if fmt == "MA" else (g.real, g.imag))]
    path = os.path.join(work, name)
    with open(path, "w") as out:
        out.write(f"# Hz S {fmt} R 50\n")
        np.savetxt(out, np.column_stack([f] + cells), fmt="%.12g")
    return path


def seconds(cli, arguments):
    start = time.perf_counter()
    subprocess.run([cli, "sweep", *arguments], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    return time.perf_counter() - start


def rows(cli, arguments):
    done = subprocess.run([cli, "sweep", *arguments], capture_output=True, check=True)
    return hashlib.sha256(done.stdout + done.stderr).hexdigest()


amp = touchstone("amp.s2p", 100_001, [gamma(100_001) for _ in range(4)])
filt = touchstone("filter.s1p", 100_001, [gamma(100_001)], "RI")
cable = touchstone("cable.s2p", 100_001, [gamma(100_001, 0.2), np.full(100_001, 0.9), np.full(100_001, 0.9),
                                          gamma(100_001, 0.2)])
source_m = touchstone("source-1m.s1p", 1_000_001, [gamma(1_000_001)], "RI")
load_m = touchstone("load-1m.s1p", 1_000_001, [gamma(1_000_001)], "RI")
CASES = [
    ("100,001 points, two files", [amp + ":S22", filt]),
    ("100,001 points, through a two-port file", [amp + ":S22", filt, "--through", cable]),
    ("100,001 points, fixed sides through a two-port file", ["1.5", "2", "--through", cable]),
    ("1,000,001 points, a fixed source", ["1.5", load_m]),
    ("1,000,001 points, two files", [source_m, load_m]),
]
print(f"A = {CLI_A}\nB = {CLI_B}\n{RUNS} turns of A, B, A; medians in ms (interquartile range)")
for name, arguments in CASES:
    times = {"A": [], "B": [], "A again": []}
    for _ in range(RUNS):
        for label, cli in (("A", CLI_A), ("B", CLI_B), ("A again", CLI_A)):
            times[label].append(seconds(cli, arguments) * 1000)
    median = {label: statistics.median(t) for label, t in times.items()}
    spread = {label: np.percentile(t, 75) - np.percentile(t, 25) for label, t in times.items()}
    print(f"{name}: A {median['A']:.1f} ({spread['A']:.1f}), B {median['B']:.1f} ({spread['B']:.1f}), "
          f"B / A {median['B'] / median['A']:.3f}, A again / A {median['A again'] / median['A']:.3f}; "
          f"same rows: {'yes' if rows(CLI_A, arguments) == rows(CLI_B, arguments) else 'NO'}")
shutil.rmtree(work)
