#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Times `corvalen-cli sweep` of 100,001-point files with a two-port between source and load
(a Touchstone two-port, and a pad given as loss=,vswr=) against the same sweep without one, and
against scikit-rf doing the same through-sweep work: read the three files, refer them to 50 ohms,
put the source and the two-port on the load's grid, compute the sixteen columns, write them out.
Usage: through_vs_skrf.py CORVALEN_CLI   (not a test)
       through_vs_skrf.py --skrf-only SOURCE.s2p LOAD.s1p TWO.s2p OUT (one timed scikit-rf run)"""
import os, shutil, subprocess, sys, tempfile, time
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "scripts", "lib"))
from skrf_debian import np, skrf  # noqa: E402

CLI = sys.argv[1]
RUNS = 5
U_SHAPE_DB = 20 / np.log(10) / np.sqrt(2)


def skrf_sweep(source_path, load_path, two_path, out_path):
    amp, load, two = skrf.Network(source_path), skrf.Network(load_path), skrf.Network(two_path)
    source = skrf.Network(frequency=amp.frequency, s=amp.s[:, 1, 1], z0=amp.z0[:, 1])
    for ntwk in (source, load, two):
        ntwk.renormalize(50)
    inside = (load.f >= max(source.f[0], two.f[0])) & (load.f <= min(source.f[-1], two.f[-1]))
    grid = skrf.Frequency.from_f(load.f[inside], unit="hz")
    gs = source.interpolate(grid, kind="linear", coords="cart").s[:, 0, 0]
    s = two.interpolate(grid, kind="linear", coords="cart").s
    gl = load.s[inside, 0, 0]
    ms, ml = np.abs(gs), np.abs(gl)
    vs, vl = (1 + ms) / (1 - ms), (1 + ml) / (1 - ml)
    product = vs * vl
    a, b, c = np.abs(gs * s[:, 0, 0]), np.abs(s[:, 1, 1] * gl), np.abs(s[:, 1, 0] * s[:, 0, 1] * gs * gl)
    d = (1 - gs * s[:, 0, 0]) * (1 - s[:, 1, 1] * gl) - s[:, 1, 0] * s[:, 0, 1] * gs * gl
    with np.errstate(divide="ignore", invalid="ignore"):
        columns = [grid.f, vs, -20 * np.log10(ms), vl, -20 * np.log10(ml), -10 * np.log10(1 - ml**2), product,
                   -20 * np.log10((product - 1) / (product + 1)), 20 * np.log10(1 + ms * ml),
                   20 * np.log10(1 - ms * ml), 20 * np.log10(np.abs(1 - gs * gl)), U_SHAPE_DB * ms * ml,
                   20 * np.log10((1 + a) * (1 + b) + c), 20 * np.log10((1 - a) * (1 - b) - c),
                   20 * np.log10(np.abs(d)), U_SHAPE_DB * np.sqrt(a**2 + b**2 + c**2)]
    np.savetxt(out_path, np.column_stack(columns), fmt=["%d"] + ["%.4f"] * 15, delimiter="\t")


if sys.argv[1] == "--skrf-only":  # SOURCE LOAD TWO OUT: one scikit-rf run, timed from outside
    skrf_sweep(*sys.argv[2:6])
    sys.exit()


def best_in_turn(actions, runs):
    """The best time of each action, the actions run in turn `runs` times."""
    best = [float("inf")] * len(actions)
    for _ in range(runs):
        for i, action in enumerate(actions):
            start = time.perf_counter()
            action()
            best[i] = min(best[i], time.perf_counter() - start)
    return best


def best_of(action):
    return best_in_turn([action], RUNS)[0]


def cli_run(*arguments):
    subprocess.run([CLI, "sweep", *arguments], stdout=subprocess.DEVNULL, check=True)


def write_touchstone(path, option, freqs, gammas):
    cells = [c for g in gammas for c in (np.abs(g), np.degrees(np.angle(g)))]
    np.savetxt(path, np.column_stack([freqs] + cells), fmt="%.12g", header=option, comments="")


def random_gamma(count, largest=0.6):
    return largest * np.sqrt(rng.uniform(0, 1, count)) * np.exp(1j * rng.uniform(-np.pi, np.pi, count))


work = tempfile.mkdtemp()
rng = np.random.default_rng(1)
points = 100_001
f = np.linspace(10e6, 6e9, points).round()
amp, load, cable = (os.path.join(work, name) for name in ("amp.s2p", "filter.s1p", "cable.s2p"))
write_touchstone(amp, "# Hz S MA R 50", f, [random_gamma(points) for _ in range(4)])
write_touchstone(load, "# Hz S MA R 50", f, [random_gamma(points)])
write_touchstone(cable, "# Hz S MA R 75", f, [random_gamma(points, 0.2), random_gamma(points, 0.9),
                                                   random_gamma(points, 0.9), random_gamma(points, 0.3)])

# The three runs take turns, so that a busy moment of the machine falls on all of them alike.
direct, through_file, through_pad = best_in_turn([
    lambda: cli_run(amp + ":S22", load),
    lambda: cli_run(amp + ":S22", load, "--through", cable),
    lambda: cli_run(amp + ":S22", load, "--through", "loss=10,vswr=1.1")], runs=3 * RUNS)
out = os.path.join(work, "skrf.tsv")
python = best_of(lambda: skrf_sweep(amp, load, cable, out))
# The same as a script in a fresh interpreter, as a user runs it: start, imports and all.
python_process = best_of(lambda: subprocess.run(
    [sys.executable, __file__, "--skrf-only", amp, load, cable, out], check=True, stderr=subprocess.DEVNULL))
print(f"sweep of {points:,}-point two-port, one-port and two-port files, end to end, best of {3 * RUNS} in turn:")
print(f"  corvalen-cli sweep without --through:     {direct * 1000:8.1f} ms")
print(f"  with --through cable.s2p:                 {through_file * 1000:8.1f} ms (ratio {through_file / direct:.2f})")
print(f"  with --through loss=10,vswr=1.1:          {through_pad * 1000:8.1f} ms (ratio {through_pad / direct:.2f})")
print("  target: with --through at most 1.5 times the time without it")
print(f"  scikit-rf {skrf.__version__}, script end to end:   {python_process * 1000:8.1f} ms "
      f"(ratio {python_process / through_file:.1f} against --through cable.s2p)")
print(f"  scikit-rf {skrf.__version__}, work only:           {python * 1000:8.1f} ms (ratio {python / through_file:.1f}; "
      "interpreter start and imports not counted)")
print("  target: corvalen-cli at least 20 times faster")
shutil.rmtree(work)
