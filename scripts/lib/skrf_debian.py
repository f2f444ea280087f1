# SPDX-License-Identifier: MIT
"""scikit-rf and NumPy as Debian 12 ships them, for the cross-checks and the benchmarks:
scikit-rf 0.15 still uses the NumPy aliases (np.complex, np.float, np.int) that NumPy 1.24
dropped, so they are put back before it is imported."""
import numpy as np

for alias, builtin in (("complex", complex), ("float", float), ("int", int)):
    if not hasattr(np, alias):
        setattr(np, alias, builtin)
import skrf  # noqa: E402

__all__ = ["np", "skrf"]
