#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Start-up of Corvalen Sweep against scikit-rf 0.15 with matplotlib, on two noisy 100,001-point
one-port files (bench/plot_vs_skrf.py's). Corvalen Sweep: a fresh process of the window built as
the program builds it (bench_sweep_first_frame), on a private Xvfb, from the moment before it is
started to its first complete frame, both charts painted with the sweep. scikit-rf: a fresh Python
reading the same files and drawing the dB plot and the Smith chart to PNG, to its exit. Alternating
runs, medians, and the ratio within this run (target: Corvalen Sweep at least 10 times faster). In
the same turns, the window built without platform::ReleaseUpperVectors, for that fast path's gain.
Usage: sweep_window_vs_skrf.py BUILD_DIR [RUNS]   (not a test; scripts/bench-gui runs it)"""
import os, shutil, statistics, subprocess, sys, tempfile, time

here = os.path.dirname(os.path.abspath(__file__))
build = sys.argv[1]
runs = int(sys.argv[2]) if len(sys.argv) > 2 else 7
first_frame = os.path.join(build, "bench", "gui", "bench_sweep_first_frame")
upper_vectors_kept = first_frame + "_upper_vectors_kept"
plot_vs_skrf = os.path.join(here, "plot_vs_skrf.py")


def start_xvfb(work):
    read, write = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x1024x24", "-noreset",
                               "-nolisten", "tcp"], pass_fds=[write], stderr=subprocess.DEVNULL)
    os.close(write)
    with os.fdopen(read) as display:
        number = display.readline().strip()
    runtime = os.path.join(work, "runtime")
    os.mkdir(runtime, 0o700)
    return server, {**os.environ, "DISPLAY": ":" + number, "QT_QPA_PLATFORM": "xcb", "LC_ALL": "C",
                    "XDG_RUNTIME_DIR": runtime, "XDG_CONFIG_HOME": work}


def corvalen_seconds(program, environment, source, load):
    start = time.monotonic()
    shown = subprocess.run([program, source, load], env=environment, check=True, capture_output=True, text=True)
    return int(shown.stdout.split()[-1]) / 1e6 - start


def skrf_seconds(source, load, work):
    start = time.monotonic()
    subprocess.run([sys.executable, plot_vs_skrf, "--skrf-only", source, load, os.path.join(work, "p.png"),
                    os.path.join(work, "s.png")], check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return time.monotonic() - start


def main():
    work = tempfile.mkdtemp()
    server = None
    try:
        source, load = os.path.join(work, "source.s1p"), os.path.join(work, "load.s1p")
        subprocess.run([sys.executable, plot_vs_skrf, "--write-files", source, load], check=True)
        server, environment = start_xvfb(work)
        corvalen, skrf, kept = [], [], []
        for _ in range(runs):
            corvalen.append(corvalen_seconds(first_frame, environment, source, load))
            skrf.append(skrf_seconds(source, load, work))
            kept.append(corvalen_seconds(upper_vectors_kept, environment, source, load))
        mine, theirs, without = statistics.median(corvalen), statistics.median(skrf), statistics.median(kept)
        print(f"two 100,001-point noisy one-port files, fresh processes, medians of {runs} alternating runs:")
        print(f"  Corvalen Sweep, start to first complete frame (Xvfb)   {mine * 1000:8.1f} ms")
        print(f"  scikit-rf + matplotlib, dB plot and Smith chart to PNG {theirs * 1000:8.1f} ms")
        print(f"  ratio {theirs / mine:.1f} (target: Corvalen Sweep at least 10 times faster)")
        print(f"  Corvalen Sweep without releasing the upper vector halves  {without * 1000:8.1f} ms"
              f" ({without / mine:.2f}x)")
    finally:
        if server:
            server.terminate()
            server.wait()
        shutil.rmtree(work)


main()
