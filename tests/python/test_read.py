# SPDX-License-Identifier: MIT
# corvalen.read on every file of tests/measured/touchstone against the readings
# its comments give, and on files scikit-rf reads against scikit-rf's arrays.
import numpy as np
import pytest

import corvalen
from conftest import TOUCHSTONE_DIR, noisy_network, write_touchstone


def readings(path):
    """The file's "!> CHOICE [z0=OHMS]" readings, each with its "!= HZ RE IM ..." values,
    "!w" warnings and "!x LINE: MESSAGE" refusal, %f standing for the path."""
    found = []
    for line in path.read_bytes().decode("utf-8", "replace").replace("%f", str(path)).splitlines():
        kind, text = line[:3], line[3:]
        if kind == "!> ":
            choice, *z0 = text.split()
            found.append({"choice": choice, "z0": float(z0[0][3:]) if z0 else 50.0, "values": [], "warnings": []})
        elif kind == "!= ":
            found[-1]["values"].append([float(word) for word in text.split()])
        elif kind == "!w ":
            found[-1]["warnings"].append(text)
        elif kind == "!x ":
            found[-1]["refusal"] = (int(text.split(": ", 1)[0]), text.split(": ", 1)[1])
    return found


def whole_file_cases():
    """Each file with its refusal when read whole: one not about the reflection or two-port
    chosen (line 0 or "two-port"), or unchosen.s2p's, which its choice's refusal comes before."""
    for path in sorted(TOUCHSTONE_DIR.iterdir()):
        expected = readings(path)
        refusals = {r["refusal"] for r in expected if r.get("refusal", (0,))[0] > 0 and r["choice"] != "two-port"}
        refusals |= {(4, "no network data")} if path.name == "unchosen.s2p" else set()
        assert len(refusals) <= 1, path
        yield pytest.param(path, expected, next(iter(refusals), None), id=path.name)


def renormalized(s, from_ohms, to_ohms):
    """S referred from real references to one impedance, through Z (textbook)."""
    root, identity = np.diag(np.sqrt(from_ohms)), np.eye(len(from_ohms))
    z = root @ np.linalg.solve(identity - s, identity + s) @ root
    return (z - to_ohms * identity) @ np.linalg.inv(z + to_ohms * identity)


def reflection(network, at, choice, z0):
    """The chosen reflection referred to z0: a differential one to 2 z0, a common-mode one to z0 / 2."""
    label = choice.upper() if choice[0] in "DC" else ""
    label = label and label[0] + ",".join(sorted(label[1:].split(","), key=int))  # a pair in either order
    body = choice[1:]  # S22, S10,10 or S1010: port k's reflection
    k = (0 if choice == "none" else network.mixed_mode.index(label or choice) if (label or choice) in network.mixed_mode
         else int(body.split(",")[0] if "," in body else body[:len(body) // 2]) - 1)
    to_ohms = z0 * {"D": 2, "C": 0.5}.get(network.mixed_mode[k][0] if network.mixed_mode else "S", 1)
    return renormalized(network.s[at, k:k + 1, k:k + 1], network.z0[k:k + 1], to_ohms)[0, 0]


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
    for reading in (r for r in expected if "refusal" not in r):
        assert list(network.warnings) == reading["warnings"]
        for row in reading["values"]:
            at = np.flatnonzero(network.frequency_hz == row[0])
            assert at.size == 1, f"{row[0]} Hz not read"
            if reading["choice"] == "two-port":
                s = renormalized(network.s[at[0]], network.z0, reading["z0"])
                got = [s[0, 0], s[1, 0], s[0, 1], s[1, 1]]
            else:
                got = [reflection(network, at[0], reading["choice"], reading["z0"])]
            assert np.allclose(np.array(got), np.array(row[1::2]) + 1j * np.array(row[2::2]), rtol=0, atol=1e-13)
            compared += 1
    assert compared == sum(len(r["values"]) for r in expected if "refusal" not in r)


@pytest.mark.parametrize("name, parameter, format_, version, ports, mixed_mode, z0", [
    # 40 and 60 ohm ports paired: differential 40 + 60, common 40 * 60 / 100
    ("mixed.ts", "S", "RI", "2.0", 3, ("D1,2", "C1,2", "S3"), [100, 24, 50]),
    ("z-v2.ts", "Z", "MA", "2.0", 1, (), [75]),
    ("h-v1.s2p", "H", "RI", "1", 2, (), [50, 50]),
    ("lower.ts", "S", "MA", "2.0", 3, (), [50, 50, 50]),
    ("option-references.ts", "S", "RI", "2.1", 3, (), [50, 75, 25]),
])
def test_what_the_file_was_written_in(name, parameter, format_, version, ports, mixed_mode, z0):
    network = corvalen.read(TOUCHSTONE_DIR / name)
    assert (network.parameter, network.format, network.version, network.ports, network.mixed_mode, list(network.z0)) \
        == (parameter, format_, version, ports, mixed_mode, z0)
    assert network.s.shape == (len(network.frequency_hz), ports, ports)
    assert (network.frequency_hz.dtype, network.s.dtype, network.z0.dtype) == (np.float64, np.complex128, np.float64)


# The test files scikit-rf 0.15 reads (S-parameters only), and noisy files in each format.
@pytest.mark.parametrize("name, format_, ports", [("through.s2p", "RI", 2), ("through-75.s2p", "RI", 2),
    ("noise.s2p", "RI", 2), ("crlf.s1p", "RI", 1), (None, "RI", 1), (None, "MA", 2), (None, "DB", 2), (None, "RI", 3),
    (None, "MA", 4)])
def test_arrays_match_scikit_rf(tmp_path, name, format_, ports):
    skrf = pytest.importorskip("skrf")
    path = str(TOUCHSTONE_DIR / name) if name else write_touchstone(tmp_path / f"noisy.s{ports}p",
                                                                    *noisy_network(501, ports, stream=ports))
    if name is None and format_ != "RI":  # scikit-rf writes the same values in the other formats
        skrf.Network(path).write_touchstone(str(tmp_path / "other"), form=format_.lower())
        path = str(tmp_path / f"other.s{ports}p")
    ours, theirs = corvalen.read(path), skrf.Network(path)
    assert (ours.format, ours.s.shape, ours.z0.shape) == (format_, theirs.s.shape, (ports,))
    np.testing.assert_allclose(ours.frequency_hz, theirs.f, rtol=1e-15)
    np.testing.assert_allclose(ours.s, theirs.s, rtol=1e-9, atol=1e-12)
    np.testing.assert_array_equal(np.broadcast_to(ours.z0, theirs.z0.shape), theirs.z0.real)
