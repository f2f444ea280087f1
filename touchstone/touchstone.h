// SPDX-License-Identifier: MIT
#pragma once

// Reads one reflection out of a Touchstone file (version 1 or 2), keeping only
// that value per frequency so memory grows with the points, not with the text.

#include "line_source.h"
#include "series.h"

#include <complex>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace corvalen::touchstone {

// A file that cannot be read as asked. line() is 0 when no one line is at fault.
class MeasuredError : public std::runtime_error {
public:
    MeasuredError(std::string file, long line, const std::string& what);
    const std::string& file() const noexcept { return file_; }  // which input to mark
    long line() const noexcept { return line_; }
    // "FILE:LINE: what", or "FILE: what" without a line.
    std::string Located() const;

private:
    std::string file_;
    long line_;
};

// What a file lacks that the reader could do without, one whole line each
// ("FILE: what"), for the caller to show: the reader prints nothing.
using Warnings = std::vector<std::string>;

struct Reflection {
    Series<double> frequencyHz;                // strictly ascending
    Series<std::complex<double>> gamma;        // relative to the system impedance
    Warnings warnings;
    std::vector<double> portOhms;  // the file's reference impedance of each port, as given
};

// The S-parameters of a two-port across frequency, referred to systemOhms at
// both ports: port 1 faces the source, port 2 the load.
struct TwoPort {
    Series<double> frequencyHz;  // strictly ascending
    Series<std::complex<double>> s11, s21, s12, s22;
    Warnings warnings;
    std::vector<double> portOhms;  // the file's reference impedance of each port, as given
};

// A whole file: every frequency's S-matrix, converted from Z, Y, H or G where
// it was written so, against each matrix port's own reference impedance (for
// a mixed-mode pair its differential or common one), not referred elsewhere.
struct Network {
    Series<double> frequencyHz;                // strictly ascending
    Series<std::complex<double>> s;            // frequencies x ports x ports, row-major
    int ports = 0;
    std::vector<double> referenceOhms;         // of each port of the matrix
    char parameter = 'S';                      // as written: S, Y, Z, H or G
    std::string format;                        // as written: RI, MA or DB
    std::string version;                       // 1, 2.0 or 2.1
    std::vector<std::string> labels;           // of [Mixed-Mode Order], else empty
    Warnings warnings;
};

// How many threads may read a large file given by its path: two read parts
// of it at once (the result is the same). One where the caller already keeps
// the cores busy.
enum class ReadThreads { One, Two };

// Reads the reflection named by `choice` and refers it from its port's
// reference impedance to systemOhms. `choice` is empty for a one-port file,
// Skk by position in the file's matrix (S22; S10,10 above port 9, or S1010
// where no transmission reads the same), or, in a mixed-mode file, a label
// of its order (D1,2, C1,2, S3). Throws MeasuredError naming `path` and
// the line at fault. With `progress`, it counts the bytes read and may be
// stopped (ReadCancelled).
Reflection ReadReflection(const std::string& path, std::string_view choice, double systemOhms,
                          ReadProgress* progress = nullptr, ReadThreads threads = ReadThreads::Two);

// The same from an open stream, which `name` (ending in .s1p, .s2p, ... for a
// version 1 file) stands for in messages, read `chunkBytes` at a time (a few
// bytes make every line cross the reads' edges, for tests).
Reflection ReadReflection(std::FILE* stream, const std::string& name, std::string_view choice, double systemOhms,
                          std::size_t chunkBytes = LineSource::kChunkBytes);

// The names a reflection of the file is chosen by (S11, S22, ..., S10,10, ... or the labels
// of its [Mixed-Mode Order]), from its header alone. Throws MeasuredError when
// the header cannot be read.
std::vector<std::string> ReflectionChoices(const std::string& path);

// Reads a two-port file; a file of any other number of ports is refused.
TwoPort ReadTwoPort(const std::string& path, double systemOhms, ReadProgress* progress = nullptr,
                    ReadThreads threads = ReadThreads::Two);
TwoPort ReadTwoPort(std::FILE* stream, const std::string& name, double systemOhms,
                    std::size_t chunkBytes = LineSource::kChunkBytes);

// Reads every value of a file of any number of ports, refused for what the
// file itself gets wrong (not for a choice of reflection).
Network ReadNetwork(const std::string& path, ReadProgress* progress = nullptr,
                    ReadThreads threads = ReadThreads::Two);

// FILE:CHOICE split where the text after the last colon names a reflection
// (S22, s3, D1,2, C1,2) or is shaped like one (S10,10, and mistyped ones such
// as S2x, which the reader refuses by name) and no file has the whole text as
// its name; otherwise the whole text is the path and choice is empty.
struct FileChoice {
    std::string path;
    std::string choice;
};
FileChoice SplitFileChoice(std::string_view text);

// Hertz as an integer where the frequency is one, else in the shortest decimal form.
std::string FrequencyText(double frequencyHz);

// Referred from referenceOhms to systemOhms through the port's impedance
// Z = Zref (1 + S) / (1 - S); an open circuit (S = 1) stays exactly 1.
// Inline, so that a file already at the system's reference costs no call per point.
inline std::complex<double> Renormalized(std::complex<double> s, double referenceOhms, double systemOhms)
{
    if (referenceOhms == systemOhms)
        return s;
    // (Z - Z0) / (Z + Z0) with Z multiplied out, so S = 1 needs no infinite Z.
    const std::complex<double> forward = referenceOhms * (1.0 + s);
    const std::complex<double> backward = systemOhms * (1.0 - s);
    return (forward - backward) / (forward + backward);
}

}  // namespace corvalen::touchstone
