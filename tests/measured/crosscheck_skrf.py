#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""corvalen-cli sweep against scikit-rf, which reads the same Touchstone files and
renormalises on its own: every printed value within one unit of its last decimal,
and the measured mismatch error between the two limits on every row.
Usage: crosscheck_skrf.py CORVALEN_CLI"""
import os, shutil, subprocess, sys, tempfile
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "lib"))
from skrf_debian import np, on_load_grid, skrf  # noqa: E402
from crosscheck_files import compare_table, finish, pair, random_s as random_values, write_touchstone  # noqa: E402

CLI = sys.argv[1]
WORK = tempfile.mkdtemp()
rng = np.random.default_rng(9)
failures = []
COLUMNS = ["source_vswr", "source_return_loss_db", "load_vswr", "load_return_loss_db", "load_mismatch_loss_db",
           "max_vswr", "combined_return_loss_db", "plus_uncertainty_db", "minus_uncertainty_db"]


def touchstone(name, option, hz_per_unit, freqs, s, fmt, head="", tail=""):
    """One line per frequency for one and two ports (S11 S21 S12 S22), one line a row above."""
    n = s.shape[1]
    cells = [s[:, 0, 0], s[:, 1, 0], s[:, 0, 1], s[:, 1, 1]] if n == 2 else [s[:, i, j] for i in range(n) for j in range(n)]
    return write_touchstone(os.path.join(WORK, name), option, hz_per_unit, freqs, cells, fmt, head, tail,
                            per_line=n if n > 2 else None)


def random_s(count, ports, largest=0.7):
    return random_values(rng, (count, ports, ports), largest)


def reflection(path, k, z0, skrf_path=None, reference=None):
    """Skk of the file through skrf, as a one-port renormalised by skrf to z0."""
    ntwk = skrf.Network(skrf_path or path)
    # Network 0.15 keeps R for every port; the reader has each port's [Reference].
    # It takes only the first R of a version 1 option line: `reference` gives port k's.
    if reference is None:
        reference = float(skrf.io.touchstone.Touchstone(skrf_path or path).reference[k - 1])
    one = skrf.Network(frequency=ntwk.frequency, s=ntwk.s[:, k - 1, k - 1], z0=reference)
    one.renormalize(z0)
    return one


def expected_rows(source, load, z0):
    """Columns from skrf's complex reflections; a fixed side is a float VSWR."""
    if isinstance(load, float):
        grid, gs, gl = source.f, source.s[:, 0, 0], None
    elif isinstance(source, float):
        grid, gs, gl = load.f, None, load.s[:, 0, 0]
    else:
        grid, gs, gl = on_load_grid(source, load)
    def side(g, fixed):
        if g is None:
            return np.full(len(grid), fixed), np.full(len(grid), (fixed - 1) / (fixed + 1))
        mag = np.abs(g)
        vswr = np.where(mag < 1, skrf.Network(s=g, f=grid, z0=z0).s_vswr[:, 0, 0], np.inf)
        return vswr, mag
    (vs, ms), (vl, ml) = side(gs, source), side(gl, load)
    with np.errstate(divide="ignore", invalid="ignore"):
        mismatch_loss = np.where(ml < 1, -10 * np.log10(1 - ml**2), np.inf)
        product = vs * vl
        combined = np.where(np.isinf(product), 0.0, -20 * np.log10((product - 1) / (product + 1)))
        minus = np.where(ms * ml < 1, 20 * np.log10(1 - ms * ml), -np.inf)
        error = None if gs is None or gl is None else 20 * np.log10(np.abs(1 - gs * gl))
    columns = dict(zip(COLUMNS, [vs, -20 * np.log10(ms), vl, -20 * np.log10(ml), mismatch_loss, product, combined,
                                 20 * np.log10(1 + ms * ml), minus]))
    if error is not None:
        columns["mismatch_error_db"] = error
    return grid, columns


def check(case, source_arg, load_arg, source, load, z0="50", extra=(), stderr_has=()):
    run = subprocess.run([CLI, "sweep", source_arg, load_arg, "--z0", z0, *extra], capture_output=True, text=True)
    if run.returncode != 0:
        failures.append(f"{case}: status {run.returncode}: {run.stderr}")
        return
    header, *rows = [line.split("," if "csv" in extra else "\t") for line in run.stdout.splitlines()]
    grid, columns = expected_rows(source, load, float(z0))
    compare_table(case, header, rows, grid, columns, failures)
    for row, cells in enumerate(rows):
        error, plus, minus = (cells[header.index(name)] for name in ("mismatch_error_db", "plus_uncertainty_db",
                                                                      "minus_uncertainty_db"))
        if "mismatch_error_db" not in columns and error != "":
            failures.append(f"{case}: row {row} has a mismatch error with a fixed side")
        if error and not float(minus) - 1e-4 <= float(error) <= float(plus) + 1e-4:
            failures.append(f"{case}: row {row} mismatch error {error} outside {minus}..{plus}")
    for text in stderr_has:
        if text not in run.stderr:
            failures.append(f"{case}: stderr lacks {text!r}: {run.stderr!r}")


# A one-port in RI and Hz, against an amplifier's output (S22) in MA and MHz
# with R 75 and a noise block; the load's grid is wider and coarser.
f1 = np.linspace(10e6, 1e9, 101)
p1 = touchstone("source.s1p", "# hz s ri r 50", 1, f1, random_s(101, 1), "ri")
f2 = np.linspace(5e6, 1.2e9, 37).round()
noise = "".join(f"{f / 1e6!r} 1.5 0.3 45 0.2\n" for f in (100e6, 500e6))
p2 = touchstone("amp.s2p", "# mHz S Ma R 75", 1e6, f2, random_s(37, 2), "ma", tail=noise)
check("one-port against two-port S22", p1, p2 + ":S22", reflection(p1, 1, 50), reflection(p2, 2, 50),
      stderr_has=[f"{p2}:S22: 8 of 37 frequencies lie outside the range of {p1}"])

# Version 2 with a reference per port, in DB and GHz, against a DB one-port in kHz, at 75 ohms.
f3 = np.linspace(0.5e9, 2.5e9, 21)
head = "[Version] 2.0\n"
body = "[Number of Ports] 2\n[Two-Port Data Order] 12_21\n[Number of Frequencies] 21\n[Reference]\n60 35\n[Network Data]\n"
p3 = touchstone("filter.s2p", "# GHZ s db R 50\n" + body, 1e9, f3, random_s(21, 2), "db", head=head, tail="[End]\n")
# scikit-rf 0.15 stops at [Two-Port Data Order]; the reflections sit in the same place in either order.
p3_skrf = os.path.join(WORK, "filter-for-skrf.s2p")
open(p3_skrf, "w").write(open(p3).read().replace("[Two-Port Data Order] 12_21\n", ""))
f4 = np.linspace(0.4e9, 2.6e9, 45)
p4 = touchstone("load.s1p", "# khz S DB R 50", 1e3, f4, random_s(45, 1), "db")
for z0 in ("75", "50"):
    check(f"version 2 S11 at {z0} ohms", p3 + ":S11", p4, reflection(p3, 1, float(z0), p3_skrf),
          reflection(p4, 1, float(z0)), z0=z0)
    check(f"version 2 S22 as load at {z0} ohms", p4, p3 + ":s22", reflection(p4, 1, float(z0)),
          reflection(p3, 2, float(z0), p3_skrf), z0=z0)

# A three-port, a row a line, against a fixed VSWR, as CSV.
f5 = np.linspace(1e9, 3e9, 11)
p5 = touchstone("coupler.s3p", "# GHz S MA R 50", 1e9, f5, random_s(11, 3), "ma")
check("three-port S33, fixed source", "1.5", p5 + ":S33", 1.5, reflection(p5, 3, 50), extra=("--format", "csv"))
check("three-port S22 as source, fixed load", p5 + ":S22", "2", reflection(p5, 2, 50), 2.0)

# Version 1 with one R per port on the option line (Version 1.1 syntax).
p5r = touchstone("coupler-r.s3p", "# GHz S RI R 50 75 25", 1e9, f5, random_s(11, 3), "ri")
for k, reference in ((2, 75.0), (3, 25.0)):
    check(f"version 1 with one R per port, S{k}{k}", "1.5", f"{p5r}:S{k}{k}", 1.5, reflection(p5r, k, 50, reference=reference))

# Measurement noise: |G| above 1 at two frequencies prints inf/-inf, never a negative VSWR.
s6 = random_s(9, 1, 0.9)
s6[3, 0, 0], s6[6, 0, 0] = 1.02, -1.01j
p6 = touchstone("short.s1p", "# MHz S RI R 50", 1e6, np.arange(1, 10) * 1e6, s6, "ri")
check("|G| above 1", p6, "1.9", reflection(p6, 1, 50), 1.9,
      stderr_has=[f"{p6}: |G| above 1 at 2 frequencies, the first at 4000000 Hz"])
check("|G| above 1 on both sides", p6, p6, reflection(p6, 1, 50), reflection(p6, 1, 50))

# Z, Y, H and G parameters, against scikit-rf's own conversions to S: version 1
# divides them by R, version 2 keeps them in ohms and siemens against each
# port's [Reference], whole or as the lower half of a symmetric matrix.
def to_s(kind, p, refs):
    refs = np.asarray(refs, dtype=float)
    if kind == "g":
        return skrf.network.h2s(np.linalg.inv(p), refs)
    return {"z": skrf.network.z2s, "y": skrf.network.y2s, "h": skrf.network.h2s}[kind](p, refs)


def normalised(kind, p, refs):
    if kind in "zy" and len(set(refs)) > 1:  # one R per port: z = Z / sqrt(Rj Rk), y = Y sqrt(Rj Rk)
        root = np.sqrt(np.outer(refs, refs))
        return p / root if kind == "z" else p * root
    r = refs[0]
    scale = {"z": [[1 / r, 1 / r], [1 / r, 1 / r]], "y": [[r, r], [r, r]], "h": [[1 / r, 1], [1, r]], "g": [[r, 1], [1, 1 / r]]}
    return p * np.array(scale[kind]) if kind in "hg" or p.shape[1] == 2 else p * (1 / r if kind == "z" else r)


def parameter_file(name, kind, ports, version, refs, lower=False):
    f = np.linspace(1e8, 2e9, 9)
    size = (len(f), ports, ports)
    base = {"z": 50.0, "y": 0.02, "h": 1.0, "g": 1.0}[kind]
    p = base * (rng.uniform(0.2, 2, size) * np.exp(1j * rng.uniform(-1.2, 1.2, size)))
    if kind in "zy":
        p += np.eye(ports) * base * 2  # passive enough to keep every |S| moderate
    if kind in "hg":
        p *= np.array([[50, 0.1], [3, 0.02]]) if kind == "h" else np.array([[0.02, 0.1], [3, 50]])
    if lower:
        p = (p + p.transpose(0, 2, 1)) / 2
    lines = []
    if version == 1:
        lines.append(f"# GHz {kind.upper()} RI R " + " ".join(map(repr, refs if len(set(refs)) > 1 else refs[:1])))
        values = [normalised(kind, m, refs) for m in p]
    else:
        lines += ["[Version] 2.0", f"# GHz {kind} MA", f"[Number of Ports] {ports}"]
        lines += ["[Two-Port Data Order] 12_21"] if ports == 2 else []
        lines += [f"[Number of Frequencies] {len(f)}", "[Reference] " + " ".join(map(repr, refs))]
        lines += ["[Matrix Format] Lower"] if lower else []
        lines.append("[Network Data]")
        values = list(p)
    for freq, m in zip(f, values):
        order = m.T.ravel() if version == 1 and ports == 2 else m.ravel()
        if lower:
            order = [m[i, j] for i in range(ports) for j in range(i + 1)]
        cells = " ".join(pair(v, "ri" if version == 1 else "ma") for v in order)
        lines.append(f"{freq / 1e9!r} {cells}")
    lines += ["[End]"] if version == 2 else []
    path = os.path.join(WORK, name)
    open(path, "w").write("\n".join(lines) + "\n")
    s = to_s(kind, p, refs)
    return path, f, s


source_f = np.linspace(5e7, 2.5e9, 31)
source = touchstone("near.s1p", "# Hz S RI R 50", 1, source_f, random_s(31, 1), "ri")
for name, kind, ports, version, refs, lower in (
        ("z1.s3p", "z", 3, 1, [50.0] * 3, False), ("z1r.s3p", "z", 3, 1, [50.0, 75.0, 30.0], False),
        ("y1r.s2p", "y", 2, 1, [40.0, 60.0], False), ("z2.ts", "z", 3, 2, [50.0, 75.0, 30.0], True),
        ("y1.s2p", "y", 2, 1, [75.0] * 2, False), ("y2.sp", "y", 2, 2, [40.0, 60.0], False),
        ("h1.s2p", "h", 2, 1, [50.0] * 2, False), ("h2.ts", "h", 2, 2, [50.0, 75.0], False),
        ("g1.s2p", "g", 2, 1, [50.0] * 2, False), ("g2.ts", "g", 2, 2, [30.0, 50.0], False)):
    path, f, s = parameter_file(name, kind, ports, version, refs, lower)
    for k in range(1, ports + 1):
        load = skrf.Network(frequency=skrf.Frequency.from_f(f, unit="hz"), s=s[:, k - 1, k - 1], z0=refs[k - 1])
        load.renormalize(50)
        check(f"{name} S{k}{k}", source, f"{path}:S{k}{k}", reflection(source, 1, 50), load)

shutil.rmtree(WORK)
finish(failures)
