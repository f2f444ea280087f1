# SPDX-License-Identifier: MIT
# corvalen.mismatch and corvalen.sweep against corvalen-cli for the same inputs
# (the same doubles, so the same printed digits), and inputs from memory and
# from scikit-rf giving the values of the files they came from.
import json
import math

import numpy as np
import pytest

import corvalen
from conftest import TOUCHSTONE_DIR, noisy_network, write_touchstone

THROUGH_75 = str(TOUCHSTONE_DIR / "through-75.s2p")


@pytest.mark.parametrize("source, load, through, z0, coverage", [
    pytest.param("1.5", "2.0", [], 50, 95, id="two VSWRs"),
    pytest.param("rl=23", "gamma=0.07", [], 50, 99.73, id="return loss and gamma, 99.73 %"),
    pytest.param("1.5", "2", ["loss=10,vswr=1.1"], 50, 95, id="through a pad"),
    pytest.param("vswr=1.2", "1.8", ["loss=3,vswr=1.05", "loss=0.5,vswr=1.3"], 75, 90, id="a chain of pads at 75 ohms"),
    pytest.param("1.5", "vswr=1.2", [THROUGH_75], 50, 95, id="through a file at the widest limits"),
    pytest.param("5", "5", [], 50, 95, id="limits without a finite lower value"),
])
def test_mismatch_gives_the_json_of_the_cli(cli, source, load, through, z0, coverage):
    options = [word for two_port in through for word in ("--through", two_port)]
    text, notes = cli("mismatch", source, load, *options, "--z0", z0, "--coverage", coverage, "--format", "json")
    expected = json.loads(text)
    values = corvalen.mismatch(source, load, through=through, z0=z0, coverage=coverage)
    assert list(values) == list(expected) and list(values.notes) == notes
    for key, number in expected.items():
        # the JSON says null both where there is no value and where it is infinite
        assert values[key] == number if number is not None else values[key] is None or math.isinf(values[key]), key
        assert getattr(values, key) is values[key]


def cell(value):
    """A value as the sweep table prints it: four decimals, no minus on a zero, inf, or empty."""
    text = "" if math.isnan(value) else str(value) if math.isinf(value) else f"{value:.4f}"
    return "0.0000" if text == "-0.0000" else text


def assert_same_as_table(values, table):
    header, *rows = [line.split("\t") for line in table.splitlines()]
    assert list(values) == header and all(len(values[name]) == len(rows) for name in header)
    for column, name in enumerate(header):
        ours = list(values[name]) if name == "frequency_hz" else [cell(v) for v in values[name]]
        assert ours == [float(row[column]) if name == "frequency_hz" else row[column] for row in rows], name


@pytest.fixture(scope="module")
def noisy_files(tmp_path_factory):
    """A load and a source with reflections beyond |G| = 1 at a few points, and a two-port."""
    folder = tmp_path_factory.mktemp("noisy")
    return {name: write_touchstone(folder / f"{name}.s{ports}p", *noisy_network(points, ports, **shape), header)
            for name, points, ports, shape, header in [
                ("load", 301, 1, dict(stream=7, scale=0.75), "# Hz S RI R 50"),
                ("amp", 201, 2, dict(stream=8, start_hz=1.2e9, stop_hz=1.8e9), "# Hz S RI R 75"),
                ("cable", 101, 2, dict(stream=9, start_hz=0.5e9, stop_hz=3e9, scale=0.2), "# Hz S RI R 50"),
                # enough rows for the sweep to share them between two threads
                ("long", 20_001, 1, dict(stream=10, scale=0.75), "# Hz S RI R 50")]}


@pytest.mark.parametrize("source, load, through, z0", [
    pytest.param("1.5", "{load}", [], 50, id="fixed source, measured load"),
    pytest.param("{amp}:S22", "{load}", [], 50, id="both measured, source interpolated, 75 ohm file"),
    pytest.param("rl=20", "{load}", ["{cable}"], 50, id="through a measured cable"),
    pytest.param("{amp}:S11", "{load}", ["{cable}", "loss=6,vswr=1.2"], 75, id="a chain at 75 ohms"),
    pytest.param("gamma=0.1", "rl=15", ["{cable}"], 50, id="only the two-port measured"),
    pytest.param("{load}", "{long}", ["{cable}"], 50, id="20,001 rows, |G| above 1 in both halves (inf cells)"),
])
def test_sweep_gives_the_table_of_the_cli(cli, noisy_files, source, load, through, z0):
    source, load = source.format(**noisy_files), load.format(**noisy_files)
    through = [two_port.format(**noisy_files) for two_port in through]
    options = [word for two_port in through for word in ("--through", two_port)]
    table, notes = cli("sweep", source, load, *options, "--z0", z0)
    values = corvalen.sweep(source, load, through=through, z0=z0)
    assert_same_as_table(values, table)
    assert list(values.notes) == notes


def assert_same_columns(ours, theirs, rtol=0.0):
    assert list(ours) == list(theirs)
    for name in ours:
        np.testing.assert_allclose(ours[name], theirs[name], rtol=rtol, atol=0, equal_nan=True, err_msg=name)


def test_data_from_memory_gives_the_values_of_its_files(noisy_files):
    amp, load, cable = (corvalen.read(noisy_files[name]) for name in ("amp", "load", "cable"))
    from_files = corvalen.sweep(noisy_files["amp"] + ":S22", noisy_files["load"], through=[noisy_files["cable"]])
    # the 75 ohm amplifier referred to 50 ohms by hand (a pair is taken as referred to z0)
    z = 75 * (1 + (gamma := amp.s[:, 1, 1])) / (1 - gamma)
    from_memory = corvalen.sweep((amp.frequency_hz, (z - 50) / (z + 50)), (load.frequency_hz, load.s[:, 0, 0]),
                                 through=[(cable.frequency_hz, cable.s)])
    assert_same_columns(from_memory, from_files, rtol=1e-12)
    exact = corvalen.sweep("1.5", (load.frequency_hz, load.s[:, 0, 0]), through=(cable.frequency_hz, cable.s))
    assert_same_columns(exact, corvalen.sweep("1.5", noisy_files["load"], through=noisy_files["cable"]))


def test_scikit_rf_networks_give_the_values_of_their_files(noisy_files):
    skrf = pytest.importorskip("skrf")
    amp, load, cable = (skrf.Network(noisy_files[name]) for name in ("amp", "load", "cable"))
    from_files = corvalen.sweep(noisy_files["amp"] + ":S22", noisy_files["load"], through=[noisy_files["cable"]], z0=60)
    from_networks = corvalen.sweep(amp.s22, load, through=[cable], z0=60)
    assert_same_columns(from_networks, from_files, rtol=1e-9)


def test_a_reversed_two_port_has_its_ports_swapped(noisy_files):
    cable = corvalen.read(noisy_files["cable"])
    reversed_file = corvalen.sweep("1.3", noisy_files["load"], through=noisy_files["cable"] + ":reversed")
    swapped = corvalen.sweep("1.3", noisy_files["load"], through=(cable.frequency_hz, cable.s[:, ::-1, ::-1]))
    assert_same_columns(reversed_file, swapped)
    forward = corvalen.sweep("1.3", noisy_files["load"], through=noisy_files["cable"]).through_plus_uncertainty_db
    assert not np.array_equal(reversed_file.through_plus_uncertainty_db, forward)


@pytest.mark.parametrize("band, first, last", [((1.2e9, 1.5e9), 1.2e9, 1.5e9), ((None, 1.1e9), 1e9, 1.1e9),
                                               ((1.9e9, None), 1.9e9, 2e9), ((1.2000001e9, 1.2000002e9), None, None)])
def test_a_band_keeps_the_rows_inside_it(noisy_files, band, first, last):
    whole = corvalen.sweep("1.5", noisy_files["load"])
    part = corvalen.sweep("1.5", noisy_files["load"], band=band)
    inside = (whole.frequency_hz >= (band[0] or 0)) & (whole.frequency_hz <= (band[1] or np.inf))
    for name in whole:
        np.testing.assert_array_equal(part[name], whole[name][inside])
    assert (list(part.frequency_hz[[0, -1]]) if len(part.frequency_hz) else [None, None]) == [first, last]
