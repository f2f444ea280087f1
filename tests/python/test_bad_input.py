# SPDX-License-Identifier: MIT
# Bad input of every kind raises corvalen.Error, a ValueError saying what is
# wrong, and never crashes or half fills a result.
import types

import numpy as np
import pytest

import corvalen
from conftest import TOUCHSTONE_DIR

F, G, S = np.array([1e9, 2e9, 3e9]), np.array([0.1, 0.2j, -0.1]), np.zeros((3, 2, 2), complex)
net = lambda s, z0: types.SimpleNamespace(f=F, s=s, z0=z0)  # noqa: E731  scikit-rf's f, s and z0
sweep, mismatch = corvalen.sweep, corvalen.mismatch


@pytest.mark.parametrize("call, message", [
    (lambda: sweep("1.5", (F, G[:2])), "load gamma: expected shape (3,), one value per frequency, not (2,)"),
    (lambda: sweep("1.5", (F, G.reshape(3, 1))), "load gamma: expected shape (3, 1, 1)"),
    (lambda: sweep("1.5", (F.astype(complex), G)), "frequency_hz: expected an array of real frequencies in Hz, not one of dtype complex128"),
    (lambda: sweep("1.5", (F, np.array(["a", "b", "c"]))), "not one of dtype <U1"),
    (lambda: sweep("1.5", (F, np.array([True, False, True]))), "not one of dtype bool"),
    (lambda: sweep("1.5", ([1e9, [2e9]], G)), "load frequency_hz: expected an array of real frequencies in Hz, not list"),
    (lambda: sweep("1.5", ([1e9, np.nan, 3e9], G)), "load frequency_hz: [1] = nan: frequencies must be finite"),
    (lambda: sweep("1.5", ([1e9, 3e9, 2e9], G)), "[2] = 2000000000 is not above the one before, 3000000000: frequencies"),
    (lambda: sweep("1.5", ([1e9, 1e9, 2e9], G)), "strictly ascending"),
    (lambda: sweep("1.5", ([-1.0, 1e9, 2e9], G)), "[0] = -1: frequencies must not be negative"),
    (lambda: sweep("1.5", (F[:0], G[:0])), "at least one frequency, not one of shape (0,)"),
    (lambda: sweep("1.5", (F, [0.1, np.inf, 0])), "load gamma: value 1 (in C order) is not finite"),
    (lambda: sweep("vswr=1.5x", (F, G)), "source 'vswr=1.5x': not a number"),
    (lambda: sweep("rl=2 3", (F, G)), "source 'rl=2 3': a stray blank"),
    (lambda: sweep("vswr=0.5", (F, G)), "source 'vswr=0.5': a VSWR must be at least 1"),
    (lambda: sweep(float("nan"), (F, G)), "'nan': not a finite number"),
    (lambda: sweep(None, (F, G)), "source: expected a value form or file name (str), a pair (frequency_hz, gamma) or a"),
    (lambda: sweep("1.5", net(S, 50)), "load: a network of 2 ports where a one-port (such as scikit-rf's network.s22)"),
    (lambda: sweep("1.5", net(G.reshape(3, 1, 1), 50 + 1j)), "load z0: reference impedances must be real"),
    (lambda: sweep("1.5", net(G.reshape(3, 1, 1), [50, 50])), "per frequency and port (3, 1), not shape (2,)"),
    (lambda: sweep("1.5", (F, G), (F, S[:, :1, :1])), "through s: expected shape (3, 2, 2), one value per frequency, not"),
    (lambda: sweep("1.5", (F, G), [(F, S[:2])]), "through[0] s: expected shape (3, 2, 2)"),
    (lambda: sweep("1.5", (F, G), "loss=-1,vswr=1.2"), "through 'loss=-1,vswr=1.2': loss: a loss must be at least 0 dB"),
    (lambda: sweep("1.5", (F, G), "loss=1,vswr=1.2:reversed"), "1.2:reversed': a pad is the same either way round"),
    (lambda: sweep("1.5", (F, G), 3), "through: expected a two-port or a sequence of them, not int"),
    (lambda: sweep("1.5", "2", "loss=1,vswr=1.1"), "sweep: nothing measured"),
    (lambda: sweep("1.5", (F, G), z0=0), "z0 '0.0': expected an impedance in ohms above 0"),
    (lambda: sweep("1.5", (F, G), z0="fifty"), "z0 'fifty': expected a number"),
    (lambda: sweep("1.5", (F, G), band=(2e9, 1e9)), "band: expected (from_hz, to_hz) with from_hz not above to_hz"),
    (lambda: sweep("1.5", (F, G), band=1e9), "band 1000000000.0: expected (from_hz, to_hz)"),
    (lambda: mismatch("1.5", str(TOUCHSTONE_DIR / "crlf.s1p")), "load: expected a fixed value"),
    (lambda: mismatch("1.5", "2", coverage=100), "coverage '100.0': expected a probability in percent above 0 and"),
    (lambda: mismatch("rl=-3", "2"), "source 'rl=-3': expected a return loss in dB of at least 0"),
])
def test_bad_input_raises_one_clear_error(call, message):
    with pytest.raises(corvalen.Error) as raised:
        call()
    assert isinstance(raised.value, ValueError) and message in str(raised.value)
    assert (raised.value.file, raised.value.line, raised.value.message) == (None, None, str(raised.value))


@pytest.mark.parametrize("source, load, through, line", [
    ("1.5", "crlf.s1p", ["value-extra.s2p"], 5),  # a two-port of the chain
    ("crlf.s1p", "value-missing.s1p", ["value-extra.s2p"], 6),  # the load before the chain
    ("decimal-comma.s1p", "value-missing.s1p", [], 5),  # the source before the load
    ("1.5", "gone.s1p", [], None),  # a missing file
])
def test_the_first_bad_file_is_named_as_the_cli_names_it(cli, source, load, through, line):
    source, load = (str(TOUCHSTONE_DIR / name) if name.endswith("p") else name for name in (source, load))
    through = [str(TOUCHSTONE_DIR / name) for name in through]
    _, notes = cli("sweep", source, load, *[w for t in through for w in ("--through", t)], status=2)
    with pytest.raises(corvalen.Error) as raised:
        corvalen.sweep(source, load, through=through)
    assert [str(raised.value)] == notes
    assert raised.value.line == line and raised.value.file in (source, load, *through)
    with pytest.raises(corvalen.Error, match=": cannot open: " if line is None else ":[0-9]+: "):
        corvalen.read(raised.value.file)
