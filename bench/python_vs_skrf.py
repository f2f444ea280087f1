#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Times `import corvalen` against scikit-rf and corvalen-cli on the sweep
benchmark's two noisy 100,001-point files: reading each file, the sweep to
numpy arrays in this process against the scikit-rf script of
sweep_vs_skrf.py (its work in this process, and the script end to end) and against `corvalen-cli sweep` writing its table, two
files read on two threads against one after the other, and the import.
Each comparison alternates its two sides, round after round, and reports the
median of each round's ratio, so that a busy moment weighs on both alike.
Usage: python_vs_skrf.py BUILD_DIR   (not a test; scripts/bench runs it)"""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import threading
import time

BUILD = os.path.abspath(sys.argv[1])
sys.path.insert(0, os.path.join(BUILD, "python"))
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import corvalen  # noqa: E402
from sweep_workload import skrf, skrf_sweep, write_noisy_files  # noqa: E402

ROUNDS = 7
CLI = os.path.join(BUILD, "cli", "corvalen-cli")


def processor_seconds():
    """This process's processor time and its finished children's."""
    times = os.times()
    return time.process_time() + times.children_user + times.children_system


def seconds(action):
    """(wall clock, processor time) of one run."""
    start, start_cpu = time.perf_counter(), processor_seconds()
    action()
    return time.perf_counter() - start, processor_seconds() - start_cpu


def alternated(ours, theirs):
    """Best wall clock of ours and theirs, and the medians of theirs / ours within
    each round by the clock and in processor time (steadier on a busy machine)."""
    pairs = [(seconds(ours), seconds(theirs)) for _ in range(ROUNDS)]
    return (min(o[0] for o, _ in pairs), min(t[0] for _, t in pairs),
            statistics.median(t[0] / o[0] for o, t in pairs), statistics.median(t[1] / o[1] for o, t in pairs))


def report(what, ours_name, theirs_name, timings, target):
    ours, theirs, ratio, cpu_ratio = timings
    print(f"  {what}: {ours_name} {ours * 1000:.1f} ms, {theirs_name} {theirs * 1000:.1f} ms, "
          f"ratio {ratio:.1f} by the clock, {cpu_ratio:.1f} in processor time (target {target})")


def import_ms():
    """The import in a fresh interpreter, as -X importtime counts it (cumulative)."""
    run = subprocess.run([sys.executable, "-X", "importtime", "-c", "import corvalen"], capture_output=True,
                         text=True, check=True, env={**os.environ, "PYTHONPATH": os.path.join(BUILD, "python")})
    line = [line for line in run.stderr.splitlines() if line.rstrip().endswith("| corvalen")][-1]
    return int(line.split("|")[1]) / 1000


work = tempfile.mkdtemp()
points = 100_001
s2p, s1p, _, _ = write_noisy_files(work, points)

print(f"import corvalen on two noisy {points:,}-point files, {ROUNDS} alternating rounds:")
for path in (s2p, s1p):
    report(f"read {os.path.basename(path)}", "corvalen.read", "skrf.Network",
           alternated(lambda: corvalen.read(path), lambda: skrf.Network(path)), "at least 20")
sweep = lambda: corvalen.sweep(s2p + ":S22", s1p)  # noqa: E731
report("sweep to arrays", "corvalen.sweep", f"scikit-rf {skrf.__version__}'s work",
       alternated(sweep, lambda: skrf_sweep(s2p, s1p, os.path.join(work, "skrf.tsv"))), "at least 30")
# The script as sweep_vs_skrf.py times it: a fresh interpreter, its imports and its work.
script = [sys.executable, os.path.join(os.path.dirname(os.path.abspath(__file__)), "sweep_vs_skrf.py"), "--skrf-only",
          s2p, s1p, os.path.join(work, "skrf.tsv")]
report("sweep to arrays", "corvalen.sweep", "the same script end to end",
       alternated(sweep, lambda: subprocess.run(script, check=True, stderr=subprocess.DEVNULL)), "at least 30")


def cli_sweep():
    with open(os.path.join(work, "cli.tsv"), "w") as table:
        subprocess.run([CLI, "sweep", s2p + ":S22", s1p], stdout=table, stderr=subprocess.DEVNULL, check=True)


report("sweep", "corvalen.sweep", "corvalen-cli sweep > table", alternated(sweep, cli_sweep), "at least 1")


def on_two_threads():
    threads = [threading.Thread(target=corvalen.read, args=(path,)) for path in (s2p, s1p)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()


report("two reads", "on two threads", "one after the other",
       alternated(on_two_threads, lambda: (corvalen.read(s2p), corvalen.read(s1p))),
       "above 1 where two cores are free: the lock is released while reading")
imports = [import_ms() for _ in range(ROUNDS)]
print(f"  import corvalen in a fresh interpreter: median {statistics.median(imports):.1f} ms, "
      f"best {min(imports):.1f} ms (target under 50; numpy is imported at the first array)")
shutil.rmtree(work)
