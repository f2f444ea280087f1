# SPDX-License-Identifier: MIT
"""What the cross-checks against scikit-rf share: random reflections, Touchstone files written from
complex columns, a sweep's table compared column by column, and the summary line."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "lib"))
from skrf_debian import np  # noqa: E402


def random_s(rng, shape, largest):
    """Values spread evenly over the disc of radius `largest`, every phase alike."""
    return largest * np.sqrt(rng.uniform(0, 1, shape)) * np.exp(1j * rng.uniform(-np.pi, np.pi, shape))


def pair(value, fmt):
    if fmt == "ri":
        return f"{value.real!r} {value.imag!r}"
    magnitude = abs(value) if fmt == "ma" else 20 * np.log10(abs(value))
    return f"{magnitude!r} {np.degrees(np.angle(value))!r}"


def write_touchstone(path, option, hz_per_unit, freqs, columns, fmt, head="", tail="", per_line=None):
    """A line per frequency with each complex column as an RI, MA or DB pair in the order given, each
    `per_line` of them on a line of its own where given; a comment after the frequency's first line."""
    per_line = per_line or len(columns)
    lines = [head + option]
    for row, f in enumerate(freqs):
        cells = [pair(complex(column[row]), fmt) for column in columns]
        lines.append(f"{f / hz_per_unit!r} {' '.join(cells[:per_line])}  ! a comment")
        lines += ["  " + " ".join(cells[k:k + per_line]) for k in range(per_line, len(cells), per_line)]
    with open(path, "w") as out:
        out.write("\n".join(lines) + "\n" + tail)
    return path


def compare_table(case, header, rows, grid, columns, failures):
    """Each row at its frequency (printed whole) and every named column within one unit of its last
    decimal, an infinite value printed as itself."""
    if len(rows) != len(grid):
        return failures.append(f"{case}: {len(rows)} rows, expected {len(grid)}")
    for row, cells in enumerate(rows):
        if abs(float(cells[0]) - grid[row]) > 0.5:
            failures.append(f"{case}: row {row} at {cells[0]} Hz, expected {grid[row]!r}")
        for name, values in columns.items():
            text, value = cells[header.index(name)], values[row]
            if text == "" or not (float(text) == value if np.isinf(value) else
                                  abs(float(text) - value) <= 1e-4 + 1e-12 * abs(value)):
                failures.append(f"{case}: row {row} {name} printed {text!r}, expected {value!r}")


def finish(failures):
    for failure in failures[:40]:
        print("FAIL:", failure)
    print(f"{0 if failures else 1} passed, {1 if failures else 0} failed")
    sys.exit(1 if failures else 0)
