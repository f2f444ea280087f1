# SPDX-License-Identifier: MIT
# Bad input of every kind raises corvalen.Error, a ValueError saying what is
# wrong, and never crashes or half fills a result.
import numpy as np
import pytest

import corvalen
from conftest import TOUCHSTONE_DIR

F = np.array([1e9, 2e9, 3e9])
G = np.array([0.1, 0.2j, -0.1])
S = np.zeros((3, 2, 2), complex)


class Network:
    """What scikit-rf's Network offers the module: f, s and z0."""

    def __init__(self, f, s, z0):
        self.f, self.s, self.z0 = f, s, z0


@pytest.mark.parametrize("arguments, message", [
    pytest.param(("1.5", (F, G[:2])), "load gamma: expected shape (3,), one value per frequency, not (2,)", id="short gamma"),
    pytest.param(("1.5", (F, G.reshape(3, 1))), "load gamma: expected shape (3, 1, 1)", id="gamma of wrong shape"),
    pytest.param(("1.5", (F.astype(complex), G)), "load frequency_hz: expected an array of real frequencies in Hz, "
                 "not one of dtype complex128", id="complex frequencies"),
    pytest.param(("1.5", (F, np.array(["a", "b", "c"]))), "not one of dtype <U1", id="gamma as text"),
    pytest.param(("1.5", (F, np.array([True, False, True]))), "not one of dtype bool", id="gamma as bool"),
    pytest.param(("1.5", ([1e9, [2e9]], G)), "load frequency_hz: expected an array of real frequencies in Hz, not list",
                 id="ragged frequencies"),
    pytest.param(("1.5", (np.array([1e9, np.nan, 3e9]), G)), "load frequency_hz: [1] = nan: frequencies must be finite",
                 id="NaN frequency"),
    pytest.param(("1.5", (np.array([1e9, 3e9, 2e9]), G)), "load frequency_hz: [2] = 2000000000 is not above the one "
                 "before, 3000000000: frequencies must be strictly ascending", id="frequencies falling"),
    pytest.param(("1.5", (np.array([1e9, 1e9, 2e9]), G)), "strictly ascending", id="frequency repeated"),
    pytest.param(("1.5", (np.array([-1.0, 1e9, 2e9]), G)), "[0] = -1: frequencies must not be negative",
                 id="negative frequency"),
    pytest.param(("1.5", (F[:0], G[:0])), "at least one frequency, not one of shape (0,)", id="no frequencies"),
    pytest.param(("1.5", (F, np.array([0.1, np.inf, 0]))), "load gamma: value 1 (in C order) is not finite",
                 id="infinite gamma"),
    pytest.param(("vswr=1.5x", (F, G)), "source 'vswr=1.5x': not a number", id="not a value form"),
    pytest.param(("rl=2 3", (F, G)), "source 'rl=2 3': a stray blank", id="a stray blank"),
    pytest.param(("vswr=0.5", (F, G)), "source 'vswr=0.5': a VSWR must be at least 1", id="VSWR below 1"),
    pytest.param((float("nan"), (F, G)), "'nan': not a finite number", id="NaN as a value"),
    pytest.param((None, (F, G)), "source: expected a value form or file name (str), a pair (frequency_hz, gamma) "
                 "or a network with f, s and z0, not NoneType", id="nothing"),
    pytest.param(("1.5", Network(F, S, 50)), "load: a network of 2 ports where a one-port (such as scikit-rf's "
                 "network.s22) is needed", id="two-port network as a side"),
    pytest.param(("1.5", Network(F, G.reshape(3, 1, 1), 50 + 1j)), "load z0: reference impedances must be real",
                 id="complex reference"),
    pytest.param(("1.5", Network(F, G.reshape(3, 1, 1), np.ones(2) * 50)), "load z0: expected one impedance, one per "
                 "port (1,) or one per frequency and port (3, 1), not shape (2,)", id="references of wrong shape"),
    pytest.param(("1.5", (F, G), (F, S[:, :1, :1])), "through s: expected shape (3, 2, 2), one value per frequency, not (3, 1, 1)",
                 id="one-port as a through"),
    pytest.param(("1.5", (F, G), [(F, S[:2])]), "through[0] s: expected shape (3, 2, 2)", id="short two-port"),
    pytest.param(("1.5", (F, G), "loss=-1,vswr=1.2"), "through 'loss=-1,vswr=1.2': loss: a loss must be at least 0 dB",
                 id="negative pad loss"),
    pytest.param(("1.5", (F, G), "loss=1,vswr=1.2:reversed"), "through 'loss=1,vswr=1.2:reversed': a pad is the same "
                 "either way round", id="a pad reversed"),
    pytest.param(("1.5", (F, G), 3), "through: expected a two-port or a sequence of them, not int", id="through a number"),
    pytest.param(("1.5", "2", "loss=1,vswr=1.1"), "sweep: nothing measured", id="nothing measured"),
])
def test_bad_sweep_input_raises_one_clear_error(arguments, message):
    with pytest.raises(corvalen.Error) as raised:
        corvalen.sweep(*arguments)
    assert isinstance(raised.value, ValueError)
    assert message in str(raised.value)
    assert raised.value.message == str(raised.value)


@pytest.mark.parametrize("keywords, message", [
    pytest.param({"z0": 0}, "z0 '0.0': expected an impedance in ohms above 0", id="z0 zero"),
    pytest.param({"z0": "fifty"}, "z0 'fifty': expected a number", id="z0 as text"),
    pytest.param({"band": (2e9, 1e9)}, "band: expected (from_hz, to_hz) with from_hz not above to_hz", id="band reversed"),
    pytest.param({"band": 1e9}, "band 1000000000.0: expected (from_hz, to_hz)", id="band a number"),
])
def test_bad_keywords_raise_one_clear_error(keywords, message):
    with pytest.raises(corvalen.Error, match=message.replace("(", r"\(").replace(")", r"\)")):
        corvalen.sweep("1.5", (F, G), **keywords)


@pytest.mark.parametrize("arguments, keywords, message", [
    pytest.param(("1.5", str(TOUCHSTONE_DIR / "crlf.s1p")), {}, "load: expected a fixed value", id="measured load"),
    pytest.param(("1.5", "2"), {"coverage": 100}, "coverage '100.0': expected a probability in percent above 0 and "
                 "below 100", id="coverage 100 %"),
    pytest.param(("rl=-3", "2"), {}, "source 'rl=-3': expected a return loss in dB of at least 0", id="negative return loss"),
])
def test_bad_mismatch_input_raises_one_clear_error(arguments, keywords, message):
    with pytest.raises(corvalen.Error, match=message.replace("(", r"\(").replace(")", r"\)")):
        corvalen.mismatch(*arguments, **keywords)


def test_a_missing_file_is_named_as_the_cli_names_it(cli, tmp_path):
    missing = str(tmp_path / "gone.s1p")
    _, notes = cli("sweep", "1.5", missing, status=2)
    for call in (lambda: corvalen.read(missing), lambda: corvalen.sweep("1.5", missing)):
        with pytest.raises(corvalen.Error) as raised:
            call()
        assert [str(raised.value)] == notes
        assert (raised.value.file, raised.value.line) == (missing, None)


@pytest.mark.parametrize("source, load, through, line", [
    pytest.param("1.5", "crlf.s1p", ["value-extra.s2p"], 5, id="a two-port of the chain"),
    pytest.param("crlf.s1p", "value-missing.s1p", ["value-extra.s2p"], 6, id="the load before the chain"),
    pytest.param("decimal-comma.s1p", "value-missing.s1p", [], 5, id="the source before the load"),
])
def test_the_first_bad_file_is_named_with_its_line(cli, source, load, through, line):
    source, load = (str(TOUCHSTONE_DIR / name) if name.endswith("p") else name for name in (source, load))
    through = [str(TOUCHSTONE_DIR / name) for name in through]
    _, notes = cli("sweep", source, load, *[w for t in through for w in ("--through", t)], status=2)
    with pytest.raises(corvalen.Error) as raised:
        corvalen.sweep(source, load, through=through)
    assert [str(raised.value)] == notes
    assert raised.value.line == line
