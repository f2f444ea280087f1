# SPDX-License-Identifier: MIT
# The module under test is found on PYTHONPATH (the build's python/ folder),
# corvalen-cli by CORVALEN_CLI; both set by CTest.
import os
import pathlib
import subprocess

import numpy as np
import pytest

TOUCHSTONE_DIR = pathlib.Path(__file__).resolve().parent.parent / "measured" / "touchstone"


@pytest.fixture(scope="session")
def cli():
    """Runs corvalen-cli; returns (stdout, stderr lines without the program's name)."""
    program = os.environ["CORVALEN_CLI"]

    def run(*arguments, status=0):
        done = subprocess.run([program, *map(str, arguments)], capture_output=True, text=True)
        assert done.returncode == status, done.stderr
        return done.stdout, [line.removeprefix("corvalen-cli: ") for line in done.stderr.splitlines()]

    return run


def write_touchstone(path, frequency_hz, s, header="# Hz S RI R 50"):
    """A version 1 file of any number of ports from an (n, p, p) array, RI, 17 digits."""
    ports = s.shape[1]
    # Version 1 writes a two-port column by column: 11 21 12 22.
    order = [(0, 0), (1, 0), (0, 1), (1, 1)] if ports == 2 else [(r, c) for r in range(ports) for c in range(ports)]
    lines = [f"{f!r} " + " ".join(f"{m[r, c].real!r} {m[r, c].imag!r}" for r, c in order) for f, m in zip(frequency_hz, s)]
    path.write_text("\n".join([header, *lines]) + "\n")
    return str(path)


def noisy_network(points, ports, stream, start_hz=1e9, stop_hz=2e9, scale=0.3):
    """Frequencies and an S array with reflections well inside the unit circle."""
    rng = np.random.default_rng(stream)
    frequency_hz = np.linspace(start_hz, stop_hz, points)
    s = scale * (rng.uniform(-1, 1, (points, ports, ports)) + 1j * rng.uniform(-1, 1, (points, ports, ports)))
    return frequency_hz, s
