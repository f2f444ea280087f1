#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Times `corvalen-cli sweep` end to end against scikit-rf doing the same work on the
same two 100,001-point files (read both, take S22 and S11, refer them to 50 ohms, put
the source on the load's grid, compute the eleven columns, write them out), then runs
million-point files to show peak memory following the points, not the file's text.
Usage: sweep_vs_skrf.py CORVALEN_CLI   (not a test; scripts/bench runs it)
       sweep_vs_skrf.py --skrf-only SOURCE.s2p LOAD.s1p OUT (one timed scikit-rf run)"""
import os, shutil, subprocess, sys, tempfile, time
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "scripts", "lib"))
from skrf_debian import np, skrf  # noqa: E402
from sweep_workload import random_gamma, skrf_sweep, write_noisy_files, write_touchstone  # noqa: E402

CLI = sys.argv[1]
RUNS = 5
work = tempfile.mkdtemp()


if sys.argv[1] == "--skrf-only":  # SOURCE LOAD OUT: one scikit-rf run, timed from outside
    skrf_sweep(*sys.argv[2:5])
    sys.exit()


def best_of(action):
    best = float("inf")
    for _ in range(RUNS):
        start = time.perf_counter()
        action()
        best = min(best, time.perf_counter() - start)
    return best


def cli_run(*arguments, out=os.devnull):
    with open(out, "w") as sink:
        subprocess.run([CLI, "sweep", *arguments], stdout=sink, check=True)


def peak_rss_mib(*arguments):
    run = subprocess.run(["/usr/bin/time", "-f", "%M %e", CLI, "sweep", *arguments],
                         stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True, check=True)
    kib, seconds = run.stderr.split()[-2:]
    return int(kib) / 1024, float(seconds)


points = 100_001
s2p, s1p, f, s = write_noisy_files(work, points)

corvalen = best_of(lambda: cli_run(s2p + ":S22", s1p, out=os.path.join(work, "corvalen.tsv")))
python = best_of(lambda: skrf_sweep(s2p, s1p, os.path.join(work, "skrf.tsv")))
# The same as a script in a fresh interpreter, as a user runs it: start, imports and all.
python_process = best_of(lambda: subprocess.run(
    [sys.executable, __file__, "--skrf-only", s2p, s1p, os.path.join(work, "skrf.tsv")],
    check=True, stderr=subprocess.DEVNULL))
rows = sum(1 for _ in open(os.path.join(work, "corvalen.tsv"))) - 1
print(f"sweep of {points:,}-point two-port and one-port files ({rows:,} rows written), best of {RUNS}:")
print(f"  corvalen-cli sweep, end to end: {corvalen * 1000:8.1f} ms")
print(f"  scikit-rf {skrf.__version__}, script end to end: {python_process * 1000:8.1f} ms (ratio {python_process / corvalen:.1f})")
print(f"  scikit-rf {skrf.__version__}, work only:         {python * 1000:8.1f} ms (ratio {python / corvalen:.1f}; "
      "interpreter start and imports not counted)")
print("  target: corvalen-cli at least 20 times faster")

# The same two-port saved as Z-parameters: each frequency's matrix is read whole
# and converted to S, where an S file keeps only its one reflection.
s2p_z = os.path.join(work, "amp-z.s2p")
smatrix = np.stack([np.stack([s[0], s[2]], -1), np.stack([s[1], s[3]], -1)], -2)  # 11 21 12 22 in file order
z = skrf.network.s2z(smatrix, 50)
write_touchstone(s2p_z, "# Hz Z RI R 50", f, [c for i, j in ((0, 0), (1, 0), (0, 1), (1, 1))
                                               for c in ((z[:, i, j] / 50).real, (z[:, i, j] / 50).imag)])
s_only = best_of(lambda: cli_run(s2p + ":S22", s1p))
z_file = best_of(lambda: cli_run(s2p_z + ":S22", s1p, out=os.path.join(work, "corvalen-z.tsv")))
same = open(os.path.join(work, "corvalen.tsv")).read() == open(os.path.join(work, "corvalen-z.tsv")).read()
print(f"the source as a {points:,}-point Z file instead of S, end to end, best of {RUNS}:")
print(f"  S file {s_only * 1000:8.1f} ms, Z file {z_file * 1000:8.1f} ms (ratio {z_file / s_only:.2f}; target at most 2); "
      f"same rows: {'yes' if same else 'NO'}")

# Memory follows the points: the same million points with short and with long text.
million = 1_000_001
fm = np.arange(million) * 1e3 + 1e6
gm = random_gamma(million)
short, long = os.path.join(work, "short.s1p"), os.path.join(work, "long.s1p")
write_touchstone(short, "# Hz S RI R 50", fm, [gm.real.round(4), gm.imag.round(4)])
write_touchstone(long, "# Hz S RI R 50", fm, [gm.real, gm.imag], comment="   ! " + "measured on the bench " * 4)
print(f"{million:,}-point one-port files against themselves (both sides read, {million:,} rows to /dev/null):")
for name, path in (("short text", short), ("long text", long)):
    mib, seconds = peak_rss_mib(path, path)
    print(f"  {name}: file {os.path.getsize(path) / 2**20:6.1f} MiB, {seconds:.2f} s, peak memory {mib:.1f} MiB")
mib, seconds = peak_rss_mib(s1p, s1p)
print(f"  for scale, {points:,} points: {seconds:.2f} s, peak memory {mib:.1f} MiB")
shutil.rmtree(work)
