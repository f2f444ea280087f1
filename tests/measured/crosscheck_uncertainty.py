#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""The chain's limits, standard uncertainty and coverage interval against a brute force over every
unknown phase, on a grid per phase (coprime sizes, so that the sums of phases fill the circle):
the wave reaching GL from a generator behind Gs, through each two-port's chain-scattering matrix,
against the elements' own transmissions (a run of measured ones as a whole).
Usage: crosscheck_uncertainty.py UNCERTAINTY_PROBE"""
import functools, os, subprocess, sys
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "lib"))
from skrf_debian import np, skrf  # noqa: E402

PROBE = sys.argv[1]
failures = []


def chain_matrix(s11, s21, s12, s22):
    """[b1, a1] = T [a2, b2]: port 2 of one element feeds port 1 of the next, so T's multiply."""
    s11, s21, s12, s22 = np.broadcast_arrays(s11, s21, s12, s22)
    return np.array([[(s12 * s21 - s11 * s22) / s21, s11 / s21], [-s22 / s21, 1 / s21]])


def through(*elements):
    total = chain_matrix(*elements[0])
    for e in elements[1:]:
        total = np.einsum("ij...,jk...->ik...", total, chain_matrix(*e))
    return 1 / total[1, 1]


def errors_db(gs, gl, chain, sizes):
    """20 log10 |D| at every grid point; a side or S-parameter given as a float has an unknown phase."""
    blocks = np.array_split(np.arange(sizes[0]), max(1, int(np.prod(sizes)) >> 20))
    return np.concatenate([errors_at(gs, gl, chain, np.meshgrid(2 * np.pi * block / sizes[0], *[
        2 * np.pi * np.arange(n) / n for n in sizes[1:]], indexing="ij", sparse=True)) for block in blocks])


def errors_at(gs, gl, chain, axes):
    turns = iter(axes)
    rot = lambda v: v * np.exp(1j * next(turns)) if isinstance(v, float) else v  # noqa: E731
    gs, gl = rot(gs), rot(gl)
    runs, elements = [[]], []
    for e in chain:
        if e[0] == "pad":
            s, t = (e[2] - 1) / (e[2] + 1), 10 ** (-e[1] / 20)  # a reciprocal pad: S21 = S12
            s11, t, s22 = rot(s), rot(t), rot(s)
            elements.append((s11, t, t, s22))
            runs += [[elements[-1]], []]
        else:
            elements.append(e)
            runs[-1].append(e)
    own = functools.reduce(np.multiply, [np.abs(through(*run)) for run in runs if run], 1.0)
    reached = through((0, 1, 1, gs), *elements, (gl, 1, 1, 0))
    return np.broadcast_to(20 * np.log10(own / np.abs(reached)), np.broadcast_shapes(*[np.shape(a) for a in axes])).ravel()


def gamma(vswr):
    return (vswr - 1) / (vswr + 1)


def side(g):
    return f"{g}" if isinstance(g, float) else f"{g.real!r},{g.imag!r}"


def element(e):
    return f"pad:{e[1]},{e[2]}" if e[0] == "pad" else ",".join(f"{v.real!r},{v.imag!r}" for v in e)


def check(name, gs, gl, chain, sizes, u_tolerance_db=1e-6):
    """The limits hold every value of the grid, u is its standard deviation and the 95 % interval
    leaves 2.5 % of its values on each side (to 1e-4: a quantile in dB moves by that over the density)."""
    words = subprocess.run([PROBE, "0.95", side(gs), side(gl)] + [element(e) for e in chain],
                           capture_output=True, text=True, check=True).stdout.split()
    plus, minus, error_db, u, low, high = [float(w) if w != "none" else None for w in words]
    error = errors_db(gs, gl, chain, sizes)
    print(f"{name}: limits {plus:+.4f}/{minus:+.4f} against {error.max():+.4f}/{error.min():+.4f}", end="")
    if error.max() > plus + 1e-9 or error.min() < minus - 1e-9:
        failures.append(f"{name}: the limits are narrower than the grid's extremes")
    if u is None:
        print(f", error {error_db:+.6f} against {error[0]:+.6f}")
        if error.size > 1 or abs(error_db - error[0]) > 1e-9:
            failures.append(f"{name}: the measured error is not the chain's")
        return
    below = [np.mean(error < low), np.mean(error <= high)]
    print(f", u {u:.6f} against {error.std():.6f}, 95 % {low:+.5f}/{high:+.5f} holding {below[0]:.5f}/{below[1]:.5f}")
    if abs(u - error.std()) > u_tolerance_db or abs(below[0] - 0.025) > 1e-4 or abs(below[1] - 0.975) > 1e-4:
        failures.append(f"{name}: u or the 95 % interval is not the grid's")


def check_sampled(name, gs, gl, chain, batches=8, draws=1 << 20):
    """A chain with too many phases for a grid, against a Monte Carlo over every phase: u within
    five standard errors of the draws' standard deviation, and each side of the 95 % interval within
    five standard errors of 2.5 % of the draws (2^23 draws: about 4e-4 dB in u and, where the density
    is as low as in these tails, about 1.5e-3 dB in a quantile)."""
    words = subprocess.run([PROBE, "0.95", side(gs), side(gl)] + [element(e) for e in chain],
                           capture_output=True, text=True, check=True).stdout.split()
    plus, minus, _, u, low, high = [float(w) if w != "none" else None for w in words]
    unknown = sum(isinstance(g, float) for g in (gs, gl)) + 3 * sum(e[0] == "pad" for e in chain)
    sampler = np.random.default_rng(len(name))
    stats = []
    for _ in range(batches):
        error = errors_at(gs, gl, chain, [2 * np.pi * sampler.random(draws) for _ in range(unknown)])
        stats.append((error.std(), np.mean(error < low), np.mean(error <= high), error.min(), error.max()))
    stats = np.array(stats)
    mean, sem = stats.mean(0), stats.std(0, ddof=1) / np.sqrt(batches)
    print(f"{name}: u {u:.6f} against {mean[0]:.6f} +- {sem[0]:.6f}, 95 % {low:+.5f}/{high:+.5f} holding "
          f"{mean[1]:.6f}/{mean[2]:.6f} +- {sem[1]:.6f}")
    if stats[:, 4].max() > plus + 1e-9 or stats[:, 3].min() < minus - 1e-9:
        failures.append(f"{name}: the limits are narrower than the draws' extremes")
    if abs(u - mean[0]) > 5 * sem[0] or abs(mean[1] - 0.025) > 5 * sem[1] or abs(mean[2] - 0.975) > 5 * sem[2]:
        failures.append(f"{name}: u or the 95 % interval is not the draws'")


rng = np.random.default_rng(19)
cable = tuple(rng.uniform(-0.1, 0.1, 4) + 1j * rng.uniform(-0.1, 0.1, 4) + np.array([0, 0.7j, 0.7j, 0]))
amplifier = (0.3 - 0.2j, 2.5 + 1.5j, 0.05 + 0.02j, -0.25 + 0.3j)
pad = ("pad", 3.0, 1.3)
networks = [skrf.Network(frequency=skrf.Frequency(1, 1, 1, unit="ghz"), s=np.array([[[e[0], e[2]], [e[1], e[3]]]]))
            for e in (cable, amplifier)]
if abs((networks[0] ** networks[1]).s[0, 1, 0] - through(cable, amplifier)) > 1e-12:
    failures.append("the chain-scattering product is not scikit-rf's cascade")
for vs, vl in ((1.05, 1.05), (1.5, 2.0), (2.0, 3.0), (5.0, 5.0), (10.0, 10.0)):
    check(f"{vs} with {vl}", gamma(vs), gamma(vl), [], (2003, 1999))
check("1.5 with 2.0, the source's phase measured", 0.1 - 0.17j, gamma(2.0), [], (20011,))
check("an amplifier between 1.5 and 2.0", gamma(1.5), gamma(2.0), [amplifier], (2003, 1999))
check("an amplifier between 3 and 4, the source measured", 0.4j, gamma(4.0), [amplifier], (20011,))
check("an amplifier between 3 and 4, the load measured", gamma(3.0), -0.5 + 0.2j, [amplifier], (20011,))
check("a pad between 1.5 and 2.0", gamma(1.5), gamma(2.0), [pad], (61, 59, 13, 11, 7), 1e-5)
check("a pad between measured sides", 0.15 + 0.1j, -0.3j, [pad], (211, 199, 97), 1e-5)
check("two pads between 1.5 and 2.0", gamma(1.5), gamma(2.0), [pad, pad], (37, 31, 7, 5, 3, 11, 2, 13), 1e-5)
check("a pad and a cable between 1.5 and 2.0", gamma(1.5), gamma(2.0), [pad, cable], (61, 59, 13, 11, 7), 1e-5)
check("the cable and the amplifier between measured sides", 0.1j, 0.3 + 0j, [cable, amplifier], (1,))
check("the cable and the amplifier between 1.5 and 2.0", gamma(1.5), gamma(2.0), [cable, amplifier], (2003, 1999))
check("a cable, a pad and the amplifier, sides measured", 0.1j, 0.3 + 0j, [cable, pad, amplifier], (101, 97, 89), 1e-5)
check_sampled("three pads between 1.5 and 2.0", gamma(1.5), gamma(2.0), [pad] * 3)
check_sampled("four pads between 1.5 and 2.0", gamma(1.5), gamma(2.0), [pad] * 4)
check_sampled("a pad, the cable, a pad and the amplifier between 1.5 and 2.0", gamma(1.5), gamma(2.0),
              [pad, cable, ("pad", 6.0, 1.2), amplifier])
check_sampled("two pads and the amplifier, sides measured", 0.1j, 0.3 + 0j, [pad, amplifier, ("pad", 1.0, 1.5)])

if failures:
    sys.exit("\n".join(failures))
