#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""corvalen-cli with a two-port between source and load: the sweep against scikit-rf cascading
source, two-port and load (also over more than 4,096 rows), `mismatch` against worked values and
through a two-port file at its worst frequency, the standard uncertainty against the spread over
random phases. Usage: crosscheck_through.py CORVALEN_CLI"""
import json, os, shutil, subprocess, sys, tempfile
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "lib"))
from skrf_debian import np, skrf  # noqa: E402

CLI = sys.argv[1]
WORK = tempfile.mkdtemp()
rng = np.random.default_rng(13)
failures = []
# A U-shaped error of half-width x dB has the standard deviation x / sqrt(2); |1 - G| in dB
# moves by (20 / ln 10) |G| dB to first order.
U_SHAPE_DB = 20 / np.log(10) / np.sqrt(2)
THROUGH = ["standard_uncertainty_db", "through_plus_uncertainty_db", "through_minus_uncertainty_db",
           "through_mismatch_error_db", "through_standard_uncertainty_db"]


def random_s(count, largest=0.6):
    return largest * np.sqrt(rng.uniform(0, 1, count)) * np.exp(1j * rng.uniform(-np.pi, np.pi, count))


def touchstone(name, option, hz_per_unit, freqs, columns, fmt, head="", tail=""):
    """One line per frequency: each complex column as an RI, MA or DB pair, in the order given."""
    cells = []
    for g in columns:
        first = g.real if fmt == "ri" else np.abs(g) if fmt == "ma" else 20 * np.log10(np.abs(g))
        cells += [first, g.imag if fmt == "ri" else np.degrees(np.angle(g))]
    path = os.path.join(WORK, name)
    with open(path, "w") as out:
        out.write(head + option + "\n")
        np.savetxt(out, np.column_stack([freqs / hz_per_unit] + cells), fmt="%.17g")
        out.write(tail)
    return path


def network(path, z0):
    """The file through skrf's reader with each port's own reference, renormalised by skrf."""
    read = skrf.Network(path)  # Network 0.15 keeps R for every port; its Touchstone has [Reference]
    reference = [float(r) for r in skrf.io.touchstone.Touchstone(path).reference]
    ntwk = skrf.Network(frequency=read.frequency, s=read.s, z0=np.array(reference))
    ntwk.renormalize(z0)
    return ntwk


def expected(source, load, two, z0):
    """Rows and columns; a fixed side is its |G|, a pad is (|S11| = |S22|, |S21 S12|)."""
    measured = [n for n in (load, source, two) if isinstance(n, skrf.Network)]
    grid = measured[0].f
    for other in measured[1:]:
        grid = grid[(grid >= other.f[0]) & (grid <= other.f[-1])]
    frequency = skrf.Frequency.from_f(grid, unit="hz")
    on_grid = [n.interpolate(frequency, kind="linear", coords="cart")
               if isinstance(n, skrf.Network) else n for n in (source, two, load)]
    gs, s, gl = [n.s if isinstance(n, skrf.Network) else None for n in on_grid]
    ms, ml = [np.abs(g[:, 0, 0]) if g is not None else np.full(len(grid), n) for g, n in ((gs, source), (gl, load))]
    m11, m22, m21 = (np.abs(s[:, 0, 0]), np.abs(s[:, 1, 1]), np.abs(s[:, 1, 0] * s[:, 0, 1])) if s is not None \
        else (two[0], two[0], two[1])
    a, b, c = ms * m11, m22 * ml, m21 * ms * ml
    with np.errstate(divide="ignore", invalid="ignore"):
        low = (1 - a) * (1 - b) - c
        columns = {"standard_uncertainty_db": U_SHAPE_DB * ms * ml,
                   "through_plus_uncertainty_db": 20 * np.log10((1 + a) * (1 + b) + c),
                   "through_minus_uncertainty_db": np.where(low > 0, 20 * np.log10(low), -np.inf),
                   "through_standard_uncertainty_db": U_SHAPE_DB * np.sqrt(a**2 + b**2 + c**2)}
    if gs is not None and gl is not None:
        # An ideal generator behind Gs and a matched receiver behind GL: the chain's S21 is the
        # wave into the load per wave from the generator, S21 / D through the two-port.
        one, zero = np.ones(len(grid)), np.zeros(len(grid))
        def ends(s11, s22):
            return skrf.Network(frequency=frequency, s=np.stack([[s11, one], [one, s22]]).transpose(2, 0, 1), z0=z0)
        generator, receiver = ends(zero, gs[:, 0, 0]), ends(gl[:, 0, 0], zero)
        columns["mismatch_error_db"] = -20 * np.log10(np.abs((generator ** receiver).s[:, 1, 0]))
        if s is not None:
            chain = (generator ** on_grid[1] ** receiver).s[:, 1, 0]
            columns["through_mismatch_error_db"] = 20 * np.log10(np.abs(s[:, 1, 0] / chain))
    return grid, columns


def sweep(case, source_arg, load_arg, through_arg, source, load, two, z0="50", csv=False, stderr_has=""):
    run = subprocess.run([CLI, "sweep", source_arg, load_arg, "--through", through_arg, "--z0", z0]
                         + (["--format", "csv"] if csv else []), capture_output=True, text=True)
    if run.returncode != 0:
        return failures.append(f"{case}: status {run.returncode}: {run.stderr}")
    lines = [line.split("," if csv else "\t") for line in run.stdout.splitlines()]
    grid, columns = expected(source, load, two, float(z0))
    if not lines or lines[0][-5:] != THROUGH or len(lines) != len(grid) + 1:
        return failures.append(f"{case}: header ends {lines[:1]}, {len(lines) - 1} rows for {len(grid)}")
    for row, cells in enumerate(lines[1:]):
        if abs(float(cells[0]) - grid[row]) > 0.5:
            failures.append(f"{case}: row {row} at {cells[0]} Hz, expected {grid[row]!r}")
        for name in ("mismatch_error_db", "through_mismatch_error_db"):
            if name not in columns and cells[lines[0].index(name)] != "":
                failures.append(f"{case}: row {row} has a {name} with a phase unknown")
        for name, values in columns.items():
            text, value = cells[lines[0].index(name)], values[row]
            if text == "" or not (float(text) == value if np.isinf(value) else abs(float(text) - value) <= 1e-4):
                failures.append(f"{case}: row {row} {name} printed {text!r}, scikit-rf gives {value!r}")
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
sweep("pad loss=10,vswr=1.1", source_path, load_path, "loss=10,vswr=1.1", source, load, (0.1 / 2.1, 0.1))
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

# mismatch through a two-port file: the values through it at the first of its frequencies where
# the limits are widest, VSWR 1.5 being |G| 0.2 and 2.0 being 1/3.
grid, columns = expected(0.2, 1 / 3, long_two, 50)
worst = int(np.argmax(columns["through_plus_uncertainty_db"] - columns["through_minus_uncertainty_db"]))
got = mismatch("1.5", "2.0", "--through", long_paths[2])
if got.get("through_frequency_hz") != grid[worst]:
    failures.append(f"mismatch through a file: worst at {got.get('through_frequency_hz')} Hz, numpy {grid[worst]} Hz")
for key in ("through_plus_uncertainty_db", "through_minus_uncertainty_db", "through_standard_uncertainty_db"):
    if not abs(got.get(key, np.inf) - columns[key][worst]) <= 1e-9:
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
        "standard_uncertainty_db"}
THROUGH_KEYS = {"through_plus_uncertainty_db", "through_minus_uncertainty_db", "through_standard_uncertainty_db"}
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

# The standard uncertainty against the spread of the error over a million uniform random phases:
# the waves solved from the two-port's equations, with Gs and GL terminating it.
phase = lambda: np.exp(1j * rng.uniform(-np.pi, np.pi, 10**6))  # noqa: E731
gs, gl, s11, s22, s21 = 0.1 * phase(), 0.1 * phase(), phase() / 11, phase() / 11, 10 ** -0.15 * phase()
spread = np.std(20 * np.log10(np.abs(1 - gs * gl)))
one, zero = np.ones_like(gs), np.zeros_like(gs)
# Unknowns a1 b1 a2 b2: b1 = S11 a1 + S12 a2, b2 = S21 a1 + S22 a2, a1 = 1 + Gs b1, a2 = GL b2.
system = np.stack([[s11, -one, s21, zero], [s21, zero, s22, -one], [one, -gs, zero, zero], [zero, zero, one, -gl]])
b2 = np.linalg.solve(system.transpose(2, 0, 1), np.stack([zero, zero, one, zero], axis=1))[:, 3]
through_spread = np.std(20 * np.log10(np.abs(s21 / b2)))
for name, arguments, key, value in (
        ("direct", ["gamma=0.1", "gamma=0.1"], "standard_uncertainty_db", spread),
        ("through", ["gamma=0.1", "gamma=0.1", "--through", "loss=3,vswr=1.2"], "through_standard_uncertainty_db",
         through_spread)):
    printed = mismatch(*arguments).get(key)
    if printed is None or abs(printed / value - 1) > 0.03:
        failures.append(f"standard uncertainty {name}: printed {printed}, spread over random phases {value:.6f}")

shutil.rmtree(WORK)
print("".join(f"FAIL: {failure}\n" for failure in failures[:40]), end="")
print(f"{0 if failures else 1} passed, {1 if failures else 0} failed")
sys.exit(1 if failures else 0)
