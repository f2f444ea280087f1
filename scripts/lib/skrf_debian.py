# SPDX-License-Identifier: MIT
"""scikit-rf and NumPy as Debian 12 ships them, for the cross-checks and the benchmarks:
scikit-rf 0.15 still uses the NumPy aliases (np.complex, np.float, np.int) that NumPy 1.24
dropped, so they are put back before it is imported."""
import numpy as np

for alias, builtin in (("complex", complex), ("float", float), ("int", int)):
    if not hasattr(np, alias):
        setattr(np, alias, builtin)
import skrf  # noqa: E402


def on_load_grid(source, load):
    """The load's frequencies inside the source's range, and each one-port's reflection there: the
    source interpolated linearly in real and imaginary parts, as Corvalen's sweep does."""
    inside = (load.f >= source.f[0]) & (load.f <= source.f[-1])
    grid = load.f[inside]
    gs = source.interpolate(skrf.Frequency.from_f(grid, unit="hz"), kind="linear", coords="cart").s[:, 0, 0]
    return grid, gs, load.s[inside, 0, 0]


__all__ = ["np", "skrf", "on_load_grid"]
