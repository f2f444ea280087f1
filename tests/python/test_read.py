# SPDX-License-Identifier: MIT
# corvalen.read on every file of tests/measured/touchstone against the readings
# its comments give, and on files scikit-rf reads against scikit-rf's arrays.
import re

import numpy as np
import pytest

import corvalen
from conftest import TOUCHSTONE_DIR, noisy_network, write_touchstone


def readings(path):
    """The file's "!> CHOICE [z0=OHMS]" readings: (choice, z0, values, warnings, refusal)."""
    found = []
    for line in path.read_bytes().decode("utf-8", "replace").splitlines():
        if line.startswith("!> "):
            words = line[3:].split()
            found.append({"choice": words[0], "z0": float(words[1][3:]) if len(words) > 1 else 50.0,
                          "values": [], "warnings": [], "refusal": None})
        elif line.startswith("!= "):
            found[-1]["values"].append([float(word) for word in line[3:].split()])
        elif line.startswith("!w "):
            found[-1]["warnings"].append(line[3:].replace("%f", str(path)))
        elif line.startswith("!x "):
            number, message = line[3:].split(": ", 1)
            found[-1]["refusal"] = (int(number), message.replace("%f", str(path)))
    return found


# A file whose readings are refused for the choice alone, before its own fault shows.
WHOLE_FILE_REFUSALS = {"unchosen.s2p": (4, "no network data")}


def whole_file_cases():
    """Each file with what reading it whole must give: its refusal, unless that
    is about a reflection or two-port chosen from it (no line, or "two-port")."""
    cases = []
    for path in sorted(TOUCHSTONE_DIR.iterdir()):
        expected = readings(path)
        refusals = {r["refusal"] for r in expected if r["refusal"] and r["refusal"][0] > 0 and r["choice"] != "two-port"}
        refusals |= {WHOLE_FILE_REFUSALS[path.name]} if path.name in WHOLE_FILE_REFUSALS else set()
        assert len(refusals) <= 1, path
        cases.append(pytest.param(path, expected, next(iter(refusals), None), id=path.name))
    return cases


def renormalized(s, from_ohms, to_ohms):
    """S referred from real references to one impedance, through Z (textbook)."""
    root = np.diag(np.sqrt(from_ohms))
    identity = np.eye(len(from_ohms))
    z = root @ np.linalg.solve(identity - s, identity + s) @ root
    return (z - to_ohms * identity) @ np.linalg.inv(z + to_ohms * identity)


def port_index(network, choice):
    if choice == "none":
        return 0
    if network.mixed_mode:
        label = choice.upper()
        if label[0] in "DC":  # a pair in either order
            label = label[0] + ",".join(sorted(label[1:].split(","), key=int))
        if label in network.mixed_mode:
            return network.mixed_mode.index(label)
    body = choice[1:]  # S22, S10,10 or S1010: port k's reflection
    if "," in body:
        return int(body.split(",")[0]) - 1
    return int(body[:len(body) // 2]) - 1


@pytest.mark.parametrize("path, expected, refusal", whole_file_cases())
def test_every_test_file_reads_as_its_comments_say(path, expected, refusal):
    if refusal:
        with pytest.raises(corvalen.Error) as raised:
            corvalen.read(path)
        assert (raised.value.file, raised.value.line, raised.value.message) == (str(path), *refusal)
        assert str(raised.value) == f"{path}:{refusal[0]}: {refusal[1]}"
        return
    network = corvalen.read(path)
    compared = 0
    for reading in expected:
        if reading["refusal"]:
            continue
        assert list(network.warnings) == reading["warnings"]
        for row in reading["values"]:
            at = np.flatnonzero(network.frequency_hz == row[0])
            assert at.size == 1, f"{row[0]} Hz not read"
            if reading["choice"] == "two-port":
                s = renormalized(network.s[at[0]], network.z0, reading["z0"])
                got = [s[0, 0], s[1, 0], s[0, 1], s[1, 1]]
            else:
                # a differential reflection is referred to 2 z0, a common-mode one to z0 / 2
                k = port_index(network, reading["choice"])
                mode = network.mixed_mode[k][0] if network.mixed_mode else "S"
                to_ohms = reading["z0"] * {"S": 1, "D": 2, "C": 0.5}[mode]
                got = [renormalized(network.s[at[0], k:k + 1, k:k + 1], network.z0[k:k + 1], to_ohms)[0, 0]]
            assert np.allclose(np.array(got), np.array(row[1::2]) + 1j * np.array(row[2::2]), rtol=0, atol=1e-13)
            compared += 1
    assert compared == sum(len(r["values"]) for r in expected if not r["refusal"])


@pytest.mark.parametrize("name, parameter, format_, version, ports, mixed_mode", [
    ("mixed.ts", "S", "RI", "2.0", 3, ("D1,2", "C1,2", "S3")),
    ("z-v2.ts", "Z", "MA", "2.0", 1, ()),
    ("h-v1.s2p", "H", "RI", "1", 2, ()),
    ("lower.ts", "S", "MA", "2.0", 3, ()),
    ("option-references.ts", "S", "RI", "2.1", 3, ()),
])
def test_what_the_file_was_written_in(name, parameter, format_, version, ports, mixed_mode):
    network = corvalen.read(TOUCHSTONE_DIR / name)
    assert (network.parameter, network.format, network.version, network.ports, network.mixed_mode) == (
        parameter, format_, version, ports, mixed_mode)
    assert network.s.shape == (len(network.frequency_hz), ports, ports)
    assert (network.frequency_hz.dtype, network.s.dtype, network.z0.dtype) == (np.float64, np.complex128, np.float64)


def test_mixed_mode_references_are_the_pairs_own():
    # 40 and 60 ohm ports: differential 40 + 60, common 40 * 60 / 100, port 3 at 50
    assert list(corvalen.read(TOUCHSTONE_DIR / "mixed.ts").z0) == [100.0, 24.0, 50.0]


skrf = pytest.importorskip("skrf")


# scikit-rf 0.15 reads S-parameters only.
@pytest.mark.parametrize("name", ["through.s2p", "through-75.s2p", "noise.s2p", "crlf.s1p"])
def test_arrays_match_scikit_rf_on_the_test_files(name):
    path = str(TOUCHSTONE_DIR / name)
    ours, theirs = corvalen.read(path), skrf.Network(path)
    np.testing.assert_array_equal(ours.frequency_hz, theirs.f)
    np.testing.assert_allclose(ours.s, theirs.s, rtol=1e-12, atol=1e-15)
    np.testing.assert_array_equal(np.broadcast_to(ours.z0, theirs.z0.shape), theirs.z0.real)


@pytest.mark.parametrize("format_, ports", [("RI", 1), ("MA", 2), ("DB", 2), ("RI", 3), ("MA", 4)])
def test_noisy_files_match_scikit_rf(tmp_path, format_, ports):
    frequency_hz, s = noisy_network(501, ports, seed=ports)
    path = write_touchstone(tmp_path / f"noisy.s{ports}p", frequency_hz, s)
    if format_ != "RI":
        # scikit-rf writes the same values in the other formats
        net = skrf.Network(path)
        net.write_touchstone(str(tmp_path / "other"), form={"MA": "ma", "DB": "db"}[format_])
        path = str(tmp_path / f"other.s{ports}p")
    ours, theirs = corvalen.read(path), skrf.Network(path)
    assert ours.format == format_
    np.testing.assert_allclose(ours.frequency_hz, theirs.f, rtol=1e-15)
    np.testing.assert_allclose(ours.s, theirs.s, rtol=1e-9, atol=1e-12)
