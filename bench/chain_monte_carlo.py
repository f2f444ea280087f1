#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""The 95 % interval of 1.5 with 2.0 through n pads of 3 dB, VSWR 1.3, against a Monte Carlo of
REPS x 2^21 draws over every phase but the source's, whose junction is taken in closed form
(P(ln |1 - r e^(j theta)| <= y) = arccos((1 + r^2 - e^(2 y)) / 2 r) / pi): the probability the draws
leave below each end of the interval, with its standard error, and the quantile that moves it to
2.5 % exactly. Independent of the code: each pad's reflection passed on and its loop, drawn.
Usage: chain_monte_carlo.py UNCERTAINTY_PROBE [PADS [REPS]]   (not a test; 3 pads, 128 reps:
2^28 draws, some minutes)"""
import subprocess, sys
import numpy as np

PROBE = sys.argv[1]
PADS = int(sys.argv[2]) if len(sys.argv) > 2 else 3
REPS = int(sys.argv[3]) if len(sys.argv) > 3 else 128
GS, GL = 0.2, 1 / 3
S, T = 0.3 / 2.3, 10 ** (-3 / 10)  # |S11| = |S22| of VSWR 1.3, |S21 S12| of 3 dB
NEPERS = np.log(10) / 20

words = subprocess.run([PROBE, "0.95", str(GS), repr(GL)] + ["pad:3,1.3"] * PADS,
                       capture_output=True, text=True, check=True).stdout.split()
low, high = float(words[4]), float(words[5])
rng = np.random.default_rng(7)


def walk(draws):
    """The error accumulated from the load and |Gamma| at the source's junction."""
    r, e = np.full(draws, GL), np.zeros(draws)
    for _ in range(PADS):
        loop = 1 - S * r * np.exp(2j * np.pi * rng.random(draws))
        e += np.log(np.abs(loop))
        r = np.abs(S + T * r * np.exp(2j * np.pi * rng.random(draws)) / loop)
    return e, GS * r


def below(ydb, e, r):
    t = (1 + r * r - np.exp(2 * (ydb * NEPERS - e))) / (2 * r)
    return np.mean(np.arccos(np.clip(t, -1, 1))) / np.pi


shares = []
for _ in range(REPS):
    e, r = walk(1 << 21)
    shares.append([below(y, e, r) for y in (low, low + 1e-4, high, high + 1e-4)])
mean, sem = np.mean(shares, 0), np.std(shares, 0, ddof=1) / np.sqrt(REPS)
for name, y, at, slope, tail, error in (("low", low, mean[0], (mean[1] - mean[0]) / 1e-4, 0.025, sem[0]),
                                        ("high", high, mean[2], (mean[3] - mean[2]) / 1e-4, 0.975, sem[2])):
    print(f"{PADS} pads, {name} end {y:+.6f} dB: {at:.7f} +- {error:.7f} of the draws below; "
          f"the draws' quantile {y + (tail - at) / slope:+.6f} +- {error / slope:.6f} dB")
