#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Times `corvalen-cli sweep S L --plot p.png --smith s.png` on two 100,001-point one-port files
of realistic noise (|G| about 0.3 with 0.002 of noise, the phase turning a few times across the
band) against scikit-rf with matplotlib reading the same two files and drawing the same two
pictures to PNG (the limits, the measured error and the load's mismatch loss in dB across
frequency; the load and the conjugate of the source on a Smith chart). Both run as a user runs
them, a fresh process each time, in alternating turns; then the peak memory of each.
Usage: plot_vs_skrf.py CORVALEN_CLI [--keep DIR]   (not a test; scripts/bench runs it)
       plot_vs_skrf.py --skrf-only SOURCE LOAD PLOT.png SMITH.png (one scikit-rf run)
       plot_vs_skrf.py --write-files SOURCE LOAD [POINTS]        (the two files alone, for other benchmarks)"""
import os, resource, shutil, statistics, subprocess, sys, tempfile, time
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "scripts", "lib"))

RUNS = 7
POINTS = 100_001


def skrf_pictures(source_path, load_path, plot_path, smith_path):
    import matplotlib
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt
    from skrf_debian import np, on_load_grid, skrf
    source, load = skrf.Network(source_path), skrf.Network(load_path)
    source.renormalize(50)
    load.renormalize(50)
    grid, gs, gl = on_load_grid(source, load)
    ms, ml = np.abs(gs), np.abs(gl)
    with np.errstate(divide="ignore", invalid="ignore"):
        series = {"plus limit": 20 * np.log10(1 + ms * ml), "minus limit": 20 * np.log10(1 - ms * ml),
                  "load mismatch loss": -10 * np.log10(1 - ml**2),
                  "mismatch error (measured phases)": 20 * np.log10(np.abs(1 - gs * gl))}
    figure, axes = plt.subplots(figsize=(11, 6.4), dpi=100)
    for (name, values), style in zip(series.items(), ("--", "--", ":", "-")):
        axes.plot(grid / 1e9, values, style, label=name)
    axes.set_xlabel("Frequency (GHz)")
    axes.set_ylabel("dB")
    axes.grid(True)
    axes.legend(loc="upper center", bbox_to_anchor=(0.5, -0.1), ncol=4)
    figure.subplots_adjust(bottom=0.22)
    figure.savefig(plot_path)
    plt.close(figure)
    figure = plt.figure(figsize=(9.4, 10), dpi=100)
    skrf.plotting.smith(draw_labels=True)
    plt.plot(gl.real, gl.imag, label="load")
    plt.plot(gs.real, -gs.imag, label="source, conjugated")
    plt.legend(loc="lower center")
    figure.savefig(smith_path)
    plt.close(figure)


if len(sys.argv) > 1 and sys.argv[1] == "--skrf-only":
    skrf_pictures(*sys.argv[2:6])
    sys.exit()

from skrf_debian import np  # noqa: E402


def write_one_port(path, frequency_hz, gamma):
    with open(path, "w") as out:
        out.write("# Hz S RI R 50\n")
        np.savetxt(out, np.column_stack([frequency_hz, gamma.real, gamma.imag]), fmt="%.12g")


def noisy_reflection(rng, frequency_hz, magnitude, turns):
    progress = (frequency_hz - frequency_hz[0]) / (frequency_hz[-1] - frequency_hz[0])
    noise = rng.normal(0, 0.002, frequency_hz.size) + 1j * rng.normal(0, 0.002, frequency_hz.size)
    return magnitude * np.exp(-2j * np.pi * turns * progress) + noise


def timed(command):
    """Seconds on the clock and of processor time (user and system) of one run."""
    before, start = resource.getrusage(resource.RUSAGE_CHILDREN), time.perf_counter()
    subprocess.run(command, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = after.ru_utime + after.ru_stime - before.ru_utime - before.ru_stime
    return time.perf_counter() - start, cpu


def peak_mib(command):
    run = subprocess.run(["/usr/bin/time", "-v", *command], check=True, stdout=subprocess.DEVNULL,
                         stderr=subprocess.PIPE, text=True)
    line = next(line for line in run.stderr.splitlines() if "Maximum resident set size" in line)
    return int(line.split()[-1]) / 1024


def write_files(source, load, points=POINTS):
    rng = np.random.default_rng(7)
    frequency_hz = np.linspace(10e6, 6e9, points).round()
    write_one_port(source, frequency_hz, noisy_reflection(rng, frequency_hz, 0.3, 3))
    write_one_port(load, frequency_hz, noisy_reflection(rng, frequency_hz, 0.28, 4.5))


def main():
    cli = sys.argv[1]
    keep = sys.argv[sys.argv.index("--keep") + 1] if "--keep" in sys.argv else None
    work = tempfile.mkdtemp()
    source, load = os.path.join(work, "source.s1p"), os.path.join(work, "load.s1p")
    write_files(source, load)
    out = lambda name: os.path.join(work, name)  # noqa: E731
    commands = {
        "corvalen-cli sweep, no pictures": [cli, "sweep", source, load],
        "corvalen-cli sweep --plot --smith": [cli, "sweep", source, load, "--plot", out("p.png"),
                                              "--smith", out("s.png")],
        "scikit-rf + matplotlib": [sys.executable, os.path.abspath(__file__), "--skrf-only", source, load,
                                   out("skrf-plot.png"), out("skrf-smith.png")],
    }
    times = {name: [] for name in commands}
    for _ in range(RUNS):
        for name, command in commands.items():
            times[name].append(timed(command))
    median = {name: [statistics.median(run[i] for run in runs) for i in (0, 1)] for name, runs in times.items()}
    pictures, yardstick = median["corvalen-cli sweep --plot --smith"], median["scikit-rf + matplotlib"]
    print(f"two {POINTS:,}-point noisy one-port files, both pictures to PNG; medians of {RUNS} alternating runs:")
    for name, (seconds, cpu) in median.items():
        print(f"  {name:36} {seconds * 1000:8.1f} ms (processor {cpu * 1000:7.1f} ms)  "
              f"peak memory {peak_mib(commands[name]):6.1f} MiB")
    print(f"  ratio {yardstick[0] / pictures[0]:.1f}, in processor time {yardstick[1] / pictures[1]:.1f} "
          "(target: corvalen-cli at least 10 times faster)")
    if keep:
        os.makedirs(keep, exist_ok=True)
        for name in ("source.s1p", "load.s1p", "p.png", "s.png", "skrf-plot.png", "skrf-smith.png"):
            shutil.copy(out(name), keep)
    shutil.rmtree(work)


if sys.argv[1:2] == ["--write-files"]:
    write_files(sys.argv[2], sys.argv[3], int(sys.argv[4]) if len(sys.argv) > 4 else POINTS)
else:
    main()
