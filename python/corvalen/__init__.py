# SPDX-License-Identifier: MIT
"""Corvalen's Touchstone reader and RF mismatch engine, numpy in and out.

    >>> import corvalen
    >>> net = corvalen.read("amp.s2p")            # frequency_hz, s, z0, ...
    >>> sw = corvalen.sweep("amp.s2p:S22", "filter.s1p", through=["cable.s2p"])
    >>> sw.plus_uncertainty_db.max()               # every column of corvalen-cli sweep
    >>> corvalen.mismatch(1.5, "rl=23", through="loss=6,vswr=1.2").through_plus_uncertainty_db

The values are corvalen-cli's, computed by the same library: each the same
double that corvalen-cli prints. Anything that cannot be used raises
corvalen.Error, a ValueError with the file, line and message corvalen-cli prints.
numpy is imported only when a function first makes an array.
"""

import os as _os
from collections.abc import Mapping as _Mapping
from numbers import Real as _Real

from . import _corvalen
from ._corvalen import Error, __version__

__all__ = ["Error", "Touchstone", "Values", "read", "sweep", "mismatch", "__version__"]


class Touchstone:
    """A Touchstone file read whole (corvalen.read).

    frequency_hz  numpy.float64 array (n,), Hz, strictly ascending
    s             numpy.complex128 array (n, ports, ports): S-parameters, converted
                  from Z, Y, H or G where the file holds those, against z0
    z0            numpy.float64 array (ports,): each port's reference impedance in
                  ohms (a mixed-mode pair's differential or common one)
    ports         number of ports of the matrix
    parameter     what the file holds: 'S', 'Y', 'Z', 'H' or 'G'
    format        how it wrote the values: 'RI', 'MA' or 'DB'
    version       '1', '2.0' or '2.1'
    mixed_mode    the labels of [Mixed-Mode Order] ('D1,2', 'C1,2', 'S3'), else ()
    warnings      what the file lacks that it was read without, one line each
    path          the file's name as given
    """

    __slots__ = ("path", "frequency_hz", "s", "z0", "ports", "parameter", "format", "version", "mixed_mode",
                 "warnings")

    def __init__(self, path, fields):
        self.path = path
        for name, value in fields.items():
            setattr(self, name, value)

    def __repr__(self):
        return (f"<corvalen.Touchstone {self.path!r}: {self.ports} ports, {len(self.frequency_hz)} frequencies, "
                f"{self.parameter} {self.format}, version {self.version}>")


class Values(_Mapping):
    """Results under corvalen-cli's names, as a mapping and as attributes.

    sweep() gives every column of `corvalen-cli sweep` as a numpy array;
    mismatch() the keys of `corvalen-cli mismatch --format json`. `notes` holds
    the lines corvalen-cli would write on stderr (warnings and remarks), without
    its name.
    """

    __slots__ = ("_values", "notes")

    def __init__(self, values, notes):
        object.__setattr__(self, "_values", values)
        object.__setattr__(self, "notes", notes)

    def __getitem__(self, key):
        return self._values[key]

    def __iter__(self):
        return iter(self._values)

    def __len__(self):
        return len(self._values)

    def __getattr__(self, name):
        try:
            return self._values[name]
        except KeyError:
            raise AttributeError(f"no value named {name!r}; the names are {', '.join(self._values)}") from None

    def __setattr__(self, name, value):
        raise AttributeError("corvalen.Values are read-only")

    def __dir__(self):
        return [*self._values, "notes", "keys", "items", "values", "get"]

    def __repr__(self):
        return f"corvalen.Values({', '.join(self._values)})"


def _error(message):
    error = Error(message)
    error.file, error.line, error.message = None, None, message
    return error


def _number(name, value, absent_ok=False):
    """A real number as a float, else corvalen.Error naming the argument."""
    if value is None and absent_ok:
        return None
    if isinstance(value, bool) or not isinstance(value, _Real):
        raise _error(f"{name} {value!r}: expected a number")
    return float(value)


def _side(value):
    """A path as text, and a number as the plain decimal corvalen-cli reads as the same double."""
    if isinstance(value, _os.PathLike):
        return _os.fspath(value)
    if isinstance(value, bool) or not isinstance(value, _Real):
        return value
    text = repr(float(value))
    if text in ("nan", "inf", "-inf"):
        raise _error(f"'{text}': not a finite number")
    if "e" in text:
        import decimal
        text = format(decimal.Decimal(text), "f")
    return text


def _chain(through):
    if through is None or isinstance(through, (str, _os.PathLike)) or hasattr(through, "s"):
        return _side(through)
    if isinstance(through, (list, tuple)):
        return [_side(two_port) for two_port in through]
    return through


def read(path):
    """Read a Touchstone file whole: any file corvalen-cli reads.

    path: str or os.PathLike. Returns a corvalen.Touchstone with frequency_hz,
    s (n, ports, ports), z0, ports, parameter, format, version, mixed_mode and
    warnings (what corvalen-cli would print, such as a missing [End]).
    Raises corvalen.Error naming the file, the line and what is wrong.
    The file is read without holding Python's lock, so threads overlap.
    """
    name = _os.fspath(path)
    if not isinstance(name, str):
        raise _error(f"path {name!r}: expected a file name as text")
    return Touchstone(name, _corvalen.read(name))


def sweep(source, load, through=(), z0=50.0, band=None):
    """The mismatch of a source and a load at every frequency: corvalen-cli sweep.

    source, load: a value form as corvalen-cli takes it ("amp.s2p:S22",
        "filter.s1p", 1.5, "rl=23", "gamma=0.07"), a pair
        (frequency_hz, gamma) of arrays, gamma referred to z0, or any
        object with scikit-rf's f, s and z0 of one port (a skrf.Network).
    through: a two-port or a sequence of them, in order from the source
        (port 1 facing it): "cable.s2p", "cable.s2p:reversed" (port 2 facing
        the source), "loss=6,vswr=1.2", a pair (frequency_hz, s) with s of
        shape (n, 2, 2) referred to z0, or a two-port network object.
    z0: the system impedance in ohms (50).
    band: None for every frequency, or (from_hz, to_hz), both included;
        either may be None.

    Returns corvalen.Values: each column of the sweep's table as a float64
    array under its name (frequency_hz, source_vswr, ..., and the through_
    columns with a chain); NaN where the table leaves a cell empty, inf where
    it prints inf. Raises corvalen.Error for anything that cannot be used.
    Files are read and the rows computed without holding Python's lock.
    """
    if band is None:
        band = (None, None)
    if not isinstance(band, (tuple, list)) or len(band) != 2:
        raise _error(f"band {band!r}: expected (from_hz, to_hz)")
    columns, notes = _corvalen.sweep(_side(source), _side(load), _chain(through), _number("z0", z0),
                                     _number("band", band[0], True), _number("band", band[1], True))
    return Values(columns, notes)


def mismatch(source, load, through=(), z0=50.0, coverage=95.0):
    """One-off values of a fixed source and load: corvalen-cli mismatch --format json.

    source, load: fixed values, 1.5 (a VSWR), "vswr=1.5", "rl=23" or
        "gamma=0.07", their phases unknown.
    through: as for sweep(); with a file or data in memory the values are
        those at the frequency where the limits are widest (through_frequency_hz).
    z0: the system impedance in ohms (50).
    coverage: the probability in percent (95) of the coverage interval.

    Returns corvalen.Values under the JSON's keys; a value the JSON prints as
    null is None where there is none and an infinity where it is infinite
    (a lower limit without a finite value is -inf).
    """
    values, notes = _corvalen.mismatch(_side(source), _side(load), _chain(through), _number("z0", z0),
                                       _number("coverage", coverage))
    return Values(values, notes)
