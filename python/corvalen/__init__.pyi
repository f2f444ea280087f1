# SPDX-License-Identifier: MIT
import os
from collections.abc import Iterator, Mapping, Sequence
from typing import Any, Protocol, Union

import numpy as np
import numpy.typing as npt

__version__: str

class Error(ValueError):
    file: str | None
    line: int | None
    message: str

class _NetworkLike(Protocol):
    f: npt.ArrayLike
    s: npt.ArrayLike
    z0: npt.ArrayLike

Side = Union[str, os.PathLike[str], float, tuple[npt.ArrayLike, npt.ArrayLike], _NetworkLike]
TwoPort = Union[str, os.PathLike[str], tuple[npt.ArrayLike, npt.ArrayLike], _NetworkLike]

class Touchstone:
    path: str
    frequency_hz: npt.NDArray[np.float64]
    s: npt.NDArray[np.complex128]
    z0: npt.NDArray[np.float64]
    ports: int
    parameter: str
    format: str
    version: str
    mixed_mode: tuple[str, ...]
    warnings: tuple[str, ...]

class Values(Mapping[str, Any]):
    notes: tuple[str, ...]
    def __getitem__(self, key: str) -> Any: ...
    def __iter__(self) -> Iterator[str]: ...
    def __len__(self) -> int: ...
    def __getattr__(self, name: str) -> Any: ...

def read(path: str | os.PathLike[str]) -> Touchstone: ...
def sweep(
    source: Side,
    load: Side,
    through: TwoPort | Sequence[TwoPort] | None = (),
    z0: float = 50.0,
    band: tuple[float | None, float | None] | None = None,
) -> Values: ...
def mismatch(
    source: str | float,
    load: str | float,
    through: TwoPort | Sequence[TwoPort] | None = (),
    z0: float = 50.0,
    coverage: float = 95.0,
) -> Values: ...
