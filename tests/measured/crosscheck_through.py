#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""corvalen-cli with two-ports between source and load: the sweep against scikit-rf cascading
source, two-ports and load (also over more than 4,096 rows), a chain against the file of its
cascade, `mismatch` against worked values and through a two-port file at its worst frequency, the
standard uncertainty against the spread of the error over a grid of the unknown phases.
Usage: crosscheck_through.py CORVALEN_CLI"""
import functools, json, os, shutil, subprocess, sys, tempfile
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "lib"))
from skrf_debian import np, skrf  # noqa: E402
from crosscheck_files import compare_table, finish, random_s as random_values, write_touchstone  # noqa: E402

CLI = sys.argv[1]
WORK = tempfile.mkdtemp()
rng = np.random.default_rng(13)
failures = []
OPTIONAL = ["mismatch_error_db", "standard_uncertainty_db", "through_mismatch_error_db", "through_standard_uncertainty_db"]
THROUGH = ["standard_uncertainty_db", "through_plus_uncertainty_db", "through_minus_uncertainty_db",
           "through_mismatch_error_db", "through_standard_uncertainty_db"]


def random_s(count, largest=0.6):
    return random_values(rng, count, largest)


def touchstone(name, option, hz_per_unit, freqs, columns, fmt, head="", tail=""):
    return write_touchstone(os.path.join(WORK, name), option, hz_per_unit, freqs, columns, fmt, head, tail)


def network(path, z0):
    """The file through skrf's reader with each port's own reference, renormalised by skrf."""
    read = skrf.Network(path)  # Network 0.15 keeps R for every port; its Touchstone has [Reference]
    reference = [float(r) for r in skrf.io.touchstone.Touchstone(path).reference]
    ntwk = skrf.Network(frequency=read.frequency, s=read.s, z0=np.array(reference))
    ntwk.renormalize(z0)
    return ntwk


def errors_db(values, phases):
    """The error over a grid of `phases` turns of each of Gs, S11, S21, S12, S22, GL given as a
    magnitude (a float): 20 log10 |S21 / b2|, b2 the wave into GL per wave from a generator behind
    Gs, from the two-port's equations (unknowns a1 b1 a2 b2: b1 = S11 a1 + S12 a2,
    b2 = S21 a1 + S22 a2, a1 = 1 + Gs b1, a2 = GL b2)."""
    unknown = [i for i, v in enumerate(values) if isinstance(v, float)]
    turns = np.meshgrid(*[np.exp(2j * np.pi * np.arange(phases) / phases)] * len(unknown), indexing="ij")
    gs, s11, s21, s12, s22, gl = [np.ravel(v * turns[unknown.index(i)] if i in unknown else np.full(phases ** len(unknown), v))
                                  for i, v in enumerate(values)]
    one, zero = np.ones_like(gs), np.zeros_like(gs)
    system = np.stack([[s11, -one, s12, zero], [s21, zero, s22, -one], [one, -gs, zero, zero], [zero, zero, one, -gl]])
    b2 = np.linalg.solve(system.transpose(2, 0, 1), np.stack([zero, zero, one, zero], axis=1)[..., None])[:, 3, 0]
    return 20 * np.log10(np.abs(s21 / b2))


def spread_db(values, limits=None, phases=None):
    """The standard deviation of the error over the unknown phases; the limits must hold the grid."""
    error = errors_db(values, phases or {1: 512, 2: 64, 3: 32}.get(sum(isinstance(v, float) for v in values), 12))
    if limits and not (error.max() <= limits[0] + 1e-9 and error.min() >= limits[1] - 1e-9):
        failures.append(f"limits {limits} narrower than the extremes over the phases of {values}")
    return error.std()


def expected(source, load, two, z0, spread=True):
    """Rows and columns; a fixed side is its |G|, a pad is (|S11| = |S22|, |S21 S12|), a chain a list."""
    chain = two if isinstance(two, list) else [two]
    measured = [n for n in [load, source] + chain if isinstance(n, skrf.Network)]
    grid = measured[0].f
    for other in measured[1:]:
        grid = grid[(grid >= other.f[0]) & (grid <= other.f[-1])]
    frequency = skrf.Frequency.from_f(grid, unit="hz")
    on_grid = [n.interpolate(frequency, kind="linear", coords="cart")
               if isinstance(n, skrf.Network) else n for n in [source] + chain + [load]]
    cascade = on_grid[1] if len(chain) == 1 else functools.reduce(lambda a, b: a ** b, on_grid[1:-1])
    gs, s, gl = [n.s if isinstance(n, skrf.Network) else None for n in (on_grid[0], cascade, on_grid[-1])]
    ms, ml = [np.abs(g[:, 0, 0]) if g is not None else np.full(len(grid), n) for g, n in ((gs, source), (gl, load))]
    m11, m22, m21 = (np.abs(s[:, 0, 0]), np.abs(s[:, 1, 1]), np.abs(s[:, 1, 0] * s[:, 0, 1])) if s is not None \
        else (two[0], two[0], two[1])
    a, b, c = ms * m11, m22 * ml, m21 * ms * ml
    with np.errstate(divide="ignore", invalid="ignore"):
        low = (1 - a) * (1 - b) - c
        columns = {"through_plus_uncertainty_db": 20 * np.log10((1 + a) * (1 + b) + c),
                   "through_minus_uncertainty_db": np.where(low > 0, 20 * np.log10(low), -np.inf)}
    side = lambda g, n, row: complex(g[row, 0, 0]) if g is not None else float(n)  # noqa: E731
    pad = lambda row: (float(two[0]), float(np.sqrt(two[1])), complex(np.sqrt(two[1])), float(two[0])) if s is None \
        else tuple(complex(v) for v in s[row].T.ravel())  # noqa: E731
    if (gs is None or gl is None) and spread:
        columns["standard_uncertainty_db"] = [spread_db((side(gs, source, r), 0j, 1 + 0j, 1 + 0j, 0j, side(gl, load, r)))
                                              for r in range(len(grid))]
    if (gs is None or gl is None or s is None) and spread:
        columns["through_standard_uncertainty_db"] = [spread_db(
            (side(gs, source, r),) + pad(r) + (side(gl, load, r),), (columns["through_plus_uncertainty_db"][r],
            columns["through_minus_uncertainty_db"][r])) for r in range(len(grid))]
    if gs is not None and gl is not None:
        # An ideal generator behind Gs and a matched receiver behind GL: the chain's S21 is the
        # wave into the load per wave from the generator, S21 / D through the two-port.
        one, zero = np.ones(len(grid)), np.zeros(len(grid))
        def ends(s11, s22):
            return skrf.Network(frequency=frequency, s=np.stack([[s11, one], [one, s22]]).transpose(2, 0, 1), z0=z0)
        generator, receiver = ends(zero, gs[:, 0, 0]), ends(gl[:, 0, 0], zero)
        columns["mismatch_error_db"] = -20 * np.log10(np.abs((generator ** receiver).s[:, 1, 0]))
        if s is not None:
            total = functools.reduce(lambda a, b: a ** b, [generator] + on_grid[1:-1] + [receiver]).s[:, 1, 0]
            columns["through_mismatch_error_db"] = 20 * np.log10(np.abs(s[:, 1, 0] / total))
    return grid, columns


def sweep(case, source_arg, load_arg, through_arg, source, load, two, z0="50", csv=False, stderr_has=""):
    chain = [a for t in (through_arg if isinstance(through_arg, list) else [through_arg]) for a in ("--through", t)]
    run = subprocess.run([CLI, "sweep", source_arg, load_arg, *chain, "--z0", z0]
                         + (["--format", "csv"] if csv else []), capture_output=True, text=True)
    if run.returncode != 0:
        return failures.append(f"{case}: status {run.returncode}: {run.stderr}")
    header, *rows = [line.split("," if csv else "\t") for line in run.stdout.splitlines()]
    grid, columns = expected(source, load, two, float(z0))
    if header[-5:] != THROUGH:
        return failures.append(f"{case}: header ends {header[-5:]}")
    compare_table(case, header, rows, grid, columns, failures)
    for row, cells in enumerate(rows):
        for name in OPTIONAL:  # an error only where every phase is measured, u only where one is not
            if name not in columns and cells[header.index(name)] != "":
                failures.append(f"{case}: row {row} has a {name}")
    if stderr_has not in run.stderr:
        failures.append(f"{case}: stderr lacks {stderr_has!r}: {run.stderr!r}")


def mismatch(*arguments, fmt="json"):
    run = subprocess.run([CLI, "mismatch", *arguments, "--format", fmt], capture_output=True, text=True)
    if run.returncode != 0 or run.stderr:
        failures.append(f"mismatch {' '.join(arguments)}: status {run.returncode}: {run.stderr}")
        return {} if fmt == "json" else ""
    return json.loads(run.stdout) if fmt == "json" else run.stdout


# Source and load one-ports on their own grids; a two-port at 75 ohms, S21 != S12, S11 != S22,
# whose band cuts off the top of the load's.
fs, fl, ft = np.linspace(100e6, 3e9, 59), np.linspace(50e6, 2.9e9, 58).round(), np.linspace(80e6, 2.2e9, 31)
source_path = touchstone("amp.s1p", "# Hz S RI R 50", 1, fs, [random_s(59)], "ri")
load_path = touchstone("sensor.s1p", "# kHz S DB R 50", 1e3, fl, [random_s(58)], "db")
two_s = [random_s(31), 0.3 * random_s(31, 1), 0.9 * random_s(31, 1), random_s(31, 0.3)]  # S11 S21 S12 S22
two_path = touchstone("cable.s2p", "# MHz S MA R 75", 1e6, ft, two_s, "ma")
source, load, two = network(source_path, 50), network(load_path, 50), network(two_path, 50)
sweep("measured through", source_path, load_path, two_path, source, load, two,
      stderr_has=os.path.basename(two_path))
sweep("fixed source rl=14", "rl=14", load_path, two_path, 10 ** (-14 / 20), load, two)
sweep("two fixed sides, the rows the two-port's", "1.5", "gamma=0.3", two_path, 0.2, 0.3, two)
sweep("pad loss=10,vswr=1.1", source_path, load_path, "loss=10,vswr=1.1", source, load, (0.1 / 2.1, 0.1))
# A chain of two-ports on grids of their own: the rows inside every range, each interpolated.
other_path = touchstone("adapter.s2p", "# GHz S RI R 50", 1e9, np.linspace(0.12e9, 2.5e9, 41), [
    random_s(41, 0.2), 0.9 * random_s(41, 1), 0.9 * random_s(41, 1), random_s(41, 0.2)], "ri")
other = network(other_path, 50)
sweep("a chain of two", source_path, load_path, [two_path, other_path], source, load, [two, other],
      stderr_has=f", {two_path} and {other_path} and are left out")
sweep("a chain of two from a fixed source", "rl=14", load_path, [two_path, other_path], 10 ** (-14 / 20), load, [two, other])
sweep("fixed load gamma=0.3 through a pad", source_path, "gamma=0.3", "loss=3,vswr=1.5", source, 0.3,
      (0.2, 10 ** -0.3))

# More rows than two of the sweep's blocks of 2,048, each file on a grid of its own.
long_paths = [touchstone("long-source.s1p", "# Hz S RI R 50", 1, np.linspace(100e6, 3e9, 4801), [random_s(4801)], "ri"),
              touchstone("long-load.s1p", "# Hz S MA R 50", 1, np.linspace(50e6, 2.9e9, 5001).round(),
                         [random_s(5001)], "ma"),
              touchstone("long-cable.s2p", "# MHz S MA R 75", 1e6, np.linspace(80e6, 2.8e9, 4001),
                         [random_s(4001), 0.3 * random_s(4001, 1), 0.9 * random_s(4001, 1), random_s(4001, 0.3)], "ma")]
long_source, long_load, long_two = (network(path, 50) for path in long_paths)
if len(expected(long_source, long_load, long_two, 50)[0]) <= 2 * 2048:
    failures.append("the long sweep has too few rows to cross the blocks' edges")
sweep("measured through, more than 4,096 rows", *long_paths, long_source, long_load, long_two)
# A fixed source: the blocks of rows filled on two threads.
sweep("fixed source through, more than 4,096 rows", "rl=14", *long_paths[1:], 10 ** (-14 / 20), long_load, long_two)

# A chain of two-ports on the load's own grid prints what the file of their cascade prints.
pair = [touchstone(f"adapter-{k}.s2p", "# Hz S RI R 50", 1, fl, [random_s(58), random_s(58, 1), random_s(58, 1),
                                                                 random_s(58)], "ri") for k in (1, 2)]
whole = (network(pair[0], 50) ** network(pair[1], 50)).s
whole_path = touchstone("adapters.s2p", "# Hz S RI R 50", 1, fl, [whole[:, 0, 0], whole[:, 1, 0], whole[:, 0, 1],
                                                                   whole[:, 1, 1]], "ri")
for source_arg in (source_path, "1.5"):
    tables = [[line.split("\t")[-4:] for line in subprocess.run([CLI, "sweep", source_arg, load_path, *through],
                                                                  capture_output=True, text=True).stdout.splitlines()[1:]]
              for through in (["--through", pair[0], "--through", pair[1]], ["--through", whole_path])]
    cells = [(a, b) for rows in zip(*tables) for a, b in zip(*rows)]
    if not len(tables[0]) == len(tables[1]) > 50 or any(
            (a == "") != (b == "") or (a and abs(float(a) - float(b)) > 1e-4) for a, b in cells):
        failures.append(f"the chain from {source_arg} is not its cascade's file: {tables}")

# mismatch through a two-port file: the values through it at the first of its frequencies where
# the limits are widest, VSWR 1.5 being |G| 0.2 and 2.0 being 1/3.
grid, columns = expected(0.2, 1 / 3, long_two, 50, spread=False)
worst = int(np.argmax(columns["through_plus_uncertainty_db"] - columns["through_minus_uncertainty_db"]))
s_worst = long_two.interpolate(skrf.Frequency.from_f(grid[worst:worst + 1], unit="hz"), kind="linear", coords="cart").s[0]
columns["through_standard_uncertainty_db"] = {worst: spread_db((0.2,) + tuple(complex(v) for v in s_worst.T.ravel()) + (1 / 3,),
                                                               phases=64)}
got = mismatch("1.5", "2.0", "--through", long_paths[2])
if got.get("through_frequency_hz") != grid[worst]:
    failures.append(f"mismatch through a file: worst at {got.get('through_frequency_hz')} Hz, numpy {grid[worst]} Hz")
for key in ("through_plus_uncertainty_db", "through_minus_uncertainty_db", "through_standard_uncertainty_db"):
    if not abs(got.get(key, np.inf) - columns[key][worst]) <= (1e-6 if "standard" in key else 1e-9):
        failures.append(f"mismatch through a file: {key} {got.get(key)}, numpy {columns[key][worst]!r}")

# Version 2 with its own reference per port, S12 before S21; skrf 0.15 stops at the order
# keyword, so it reads the same values written in version 1's order.
v2 = "[Number of Ports] 2\n[Two-Port Data Order] 12_21\n[Number of Frequencies] 31\n[Reference]\n60 35\n[Network Data]"
two_v2 = touchstone("pad.s2p", "# GHz S RI R 50\n" + v2, 1e9, ft, [two_s[0], two_s[2], two_s[1], two_s[3]], "ri",
                    head="[Version] 2.0\n", tail="[End]\n")
for_skrf = touchstone("pad-for-skrf.s2p", "# GHz S RI R 50\n" + v2.replace("[Two-Port Data Order] 12_21\n", ""),
                      1e9, ft, two_s, "ri", head="[Version] 2.0\n", tail="[End]\n")
for z0 in ("75", "50"):
    sweep(f"version 2 two-port at {z0} ohms", source_path, load_path, two_v2, network(source_path, float(z0)),
          network(load_path, float(z0)), network(for_skrf, float(z0)), z0=z0, csv=True)

# The published and hand-worked values; JSON keys exactly, numbers as numbers, null for no value.
KEYS = {"source_vswr", "source_return_loss_db", "source_gamma", "load_vswr", "load_return_loss_db", "load_gamma",
        "load_mismatch_loss_db", "max_vswr", "combined_return_loss_db", "plus_uncertainty_db", "minus_uncertainty_db",
        "standard_uncertainty_db", "coverage_probability", "coverage_low_db", "coverage_high_db"}
THROUGH_KEYS = {"through_plus_uncertainty_db", "through_minus_uncertainty_db", "through_standard_uncertainty_db",
                "through_coverage_low_db", "through_coverage_high_db"}
WORKED = [  # arguments, decimals, values
    (["1.2", "1.5"], 3, {"plus_uncertainty_db": 0.157, "minus_uncertainty_db": -0.159}),
    (["1.5", "2.0"], 4, {"plus_uncertainty_db": 0.5606, "minus_uncertainty_db": -0.5993, "max_vswr": 3.0,
                         "combined_return_loss_db": 6.0206, "load_mismatch_loss_db": 0.5115, "load_gamma": 0.3333}),
    (["vswr=1.5", "2", "--through", "loss=10,vswr=1.1"], 4, {"through_plus_uncertainty_db": 0.2754,
                                                             "through_minus_uncertainty_db": -0.2817}),
    (["rl=20", "gamma=0.2"], 4, {"source_gamma": 0.1, "source_vswr": 1.2222, "load_vswr": 1.5,
                                 "load_return_loss_db": 13.9794}),
    (["1", "vswr=1"], 4, {"combined_return_loss_db": None, "source_return_loss_db": None, "max_vswr": 1.0,
                          "plus_uncertainty_db": 0.0, "standard_uncertainty_db": 0.0}),
    (["10", "10", "--through", "loss=0,vswr=10"], 4, {"through_minus_uncertainty_db": None}),
]
for arguments, decimals, values in WORKED:
    got = mismatch(*arguments)
    keys = KEYS | (THROUGH_KEYS if "--through" in arguments else set())
    if got and (set(got) != keys or not all(v is None or type(v) in (int, float) for v in got.values())):
        failures.append(f"mismatch {' '.join(arguments)}: keys or types {got}")
    for key, value in values.items():
        printed = got.get(key, "missing")
        if got and printed != value and (type(printed) not in (int, float) or round(printed, decimals) != value):
            failures.append(f"mismatch {' '.join(arguments)}: {key} is {printed}, expected {value}")
pad_text = mismatch("1.5", "2.0", "--through", "loss=10,vswr=1.1", fmt="text")
worse_text = mismatch("1", "1.5", "--through", "loss=1,vswr=1.5", fmt="text")
for text, wanted in ((pad_text, ["0.5606", "0.5993", "0.2754", "0.2817", "narrow"]), (worse_text, ["widen"])):
    if not all(w in text for w in wanted):
        failures.append(f"mismatch text lacks one of {wanted}:\n{text}")

# The exact standard uncertainty, directly and through a pad, against the grid's.
for name, arguments, key, values in (
        ("direct", ["gamma=0.1", "gamma=0.1"], "standard_uncertainty_db", (0.1, 0j, 1 + 0j, 1 + 0j, 0j, 0.1)),
        ("through", ["gamma=0.1", "gamma=0.1", "--through", "loss=3,vswr=1.2"], "through_standard_uncertainty_db",
         (0.1, 1 / 11, 10 ** -0.15, 10 ** -0.15 + 0j, 1 / 11, 0.1))):
    printed, value = mismatch(*arguments).get(key), spread_db(values)
    if printed is None or abs(printed - value) > 1e-6:
        failures.append(f"standard uncertainty {name}: printed {printed}, over the phases {value:.9f}")

shutil.rmtree(WORK)
finish(failures)
