# SPDX-License-Identifier: MIT
"""The sweep benchmarks' shared workload: noisy Touchstone files and the scikit-rf
script that does corvalen-cli sweep's work on them (read both, take S22 and S11,
refer them to 50 ohms, put the source on the load's grid, compute the eleven
columns, write them out)."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "scripts", "lib"))
from skrf_debian import np, on_load_grid, skrf  # noqa: E402

rng = np.random.default_rng(1)


def write_touchstone(path, option, freqs, columns, comment=""):
    table = np.column_stack([freqs] + columns)
    with open(path, "w") as out:
        out.write(option + "\n")
        np.savetxt(out, table, fmt="%.12g", delimiter=" ", footer="", comments="", newline=comment + "\n")


def random_gamma(count, largest=0.6):
    return largest * np.sqrt(rng.uniform(0, 1, count)) * np.exp(1j * rng.uniform(-np.pi, np.pi, count))


def write_noisy_files(folder, points):
    """A noisy two-port in magnitude and angle and a noisy one-port in real and imaginary parts: their
    paths, the frequencies and the two-port's S columns in file order (11, 21, 12, 22)."""
    f = np.linspace(10e6, 6e9, points).round()
    s2p, s1p = os.path.join(folder, "amp.s2p"), os.path.join(folder, "filter.s1p")
    s = [random_gamma(points) for _ in range(4)]
    write_touchstone(s2p, "# Hz S MA R 50", f, [c for g in s for c in (np.abs(g), np.degrees(np.angle(g)))])
    g = random_gamma(points)
    write_touchstone(s1p, "# Hz S RI R 50", f, [g.real, g.imag])
    return s2p, s1p, f, s


def skrf_sweep(source_path, load_path, out_path):
    amp, load = skrf.Network(source_path), skrf.Network(load_path)
    source = skrf.Network(frequency=amp.frequency, s=amp.s[:, 1, 1], z0=amp.z0[:, 1])
    source.renormalize(50)
    load.renormalize(50)
    grid, gs, gl = on_load_grid(source, load)
    ms, ml = np.abs(gs), np.abs(gl)
    vs, vl = (1 + ms) / (1 - ms), (1 + ml) / (1 - ml)
    product = vs * vl
    columns = [grid, vs, -20 * np.log10(ms), vl, -20 * np.log10(ml), -10 * np.log10(1 - ml**2), product,
               -20 * np.log10((product - 1) / (product + 1)), 20 * np.log10(1 + ms * ml),
               20 * np.log10(1 - ms * ml), 20 * np.log10(np.abs(1 - gs * gl))]
    np.savetxt(out_path, np.column_stack(columns), fmt=["%d"] + ["%.4f"] * 10, delimiter="\t")
