# SPDX-License-Identifier: MIT
"""Noisy 100,001-point Touchstone files (magnitude and angle) for the chain benchmarks."""
import os

import numpy as np

POINTS = 100_001


class NoisyFiles:
    """Files written into `folder`, their reflections drawn from the random stream `stream`."""

    def __init__(self, folder, stream):
        self.folder, self.rng = folder, np.random.default_rng(stream)

    def gamma(self, largest):
        """Reflections spread evenly over the disc of radius `largest`."""
        rng = self.rng
        return largest * np.sqrt(rng.uniform(0, 1, POINTS)) * np.exp(1j * rng.uniform(-np.pi, np.pi, POINTS))

    def touchstone(self, name, columns):
        f = np.linspace(10e6, 6e9, POINTS).round()
        cells = [c for g in columns for c in (np.abs(g), np.degrees(np.angle(g)))]
        path = os.path.join(self.folder, name)
        np.savetxt(path, np.column_stack([f] + cells), fmt="%.12g", header="# Hz S MA R 50", comments="")
        return path
