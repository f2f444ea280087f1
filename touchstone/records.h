// SPDX-License-Identifier: MIT
#pragma once

// The network data: a record for each frequency (the frequency, then the
// values of its matrix), read, converted to S-parameters where needed and kept.

#include "header.h"
#include "labels.h"
#include "line_source.h"
#include "parameters.h"
#include "touchstone.h"

#include <array>
#include <cstddef>
#include <span>
#include <string_view>
#include <vector>

namespace corvalen::touchstone {

enum class Wanted { Reflection, TwoPort, Network };

class RecordReader {
public:
    // `chosen` is the matrix port whose reflection is wanted (ignored for a two-port).
    // `reserveDeclared`: room for the points the header declares.
    RecordReader(const LineSource& lines, const Header& header, MatrixReferences references, Wanted wanted,
                 std::size_t chosen, double systemOhms, bool reserveDeclared = true);

    // One line of the data; true where it opens a version 1 two-port's noise
    // block instead, and is left to the caller.
    bool Line(std::string_view text);
    // A line that is one whole record of short decimals and nothing else,
    // blanks around it allowed, its frequency above the one before: read and
    // kept (true). Any other line is left as it was (false), for Line.
    bool WholeRecord(std::string_view text);
    // Refuses a record that the data leaves short.
    void End() const;
    // Finishes the values kept since it was last called (turns them from
    // polar form and refers a chosen reflection), so that each thread that
    // reads part of a file finishes its own while the values are at hand.
    void Complete();
    // Room for a version 1 file's points, which it does not count, from the
    // size of its first line of data and the bytes of data.
    void ReserveByFileSize(std::string_view firstLine, std::size_t dataBytes);
    // Takes the first `count` records that `later` read, with the same header,
    // from lines that come next in the file: true where their frequencies go on
    // above this one's, else nothing taken (false). Finishes this one's first.
    bool Append(const RecordReader& later, std::size_t count);
    const Series<double>& Frequencies() const;
    // Adds a line to the warnings of what is read.
    void Warn(std::string line);

    Reflection reflection;
    TwoPort twoPort;
    Network network;

private:
    void Reserve(std::size_t points);
    std::span<Complex> KeptValues();
    void Keep(double value);
    bool StartRecord(std::string_view token, std::string_view restOfLine);
    void EndRecord(const double* values);
    void KeepTwoPort(const std::vector<Complex>& matrix);
    void KeepNetwork(const std::vector<Complex>& matrix);
    Complex Value(double first, double second) const;
    std::vector<Complex> ScatteringOf(const std::vector<Complex>& matrix, std::size_t column) const;
    std::string CountMessage(std::size_t found) const;

    const LineSource& lines_;
    const Header& header_;
    MatrixReferences references_;
    Wanted wanted_;
    std::size_t chosen_;
    double systemOhms_;

    std::vector<std::size_t> cells_;  // matrix cell of each value of a record
    std::size_t recordSize_ = 0;      // numbers in a record
    // The reflection wanted is an S-parameter: its two numbers of each record
    // are kept as written, the others only checked.
    bool chosenAsWritten_ = false;
    bool polarLater_ = false;  // values kept as written, turned from polar form by Complete
    std::size_t completed_ = 0;  // values at the front that Complete has finished
    std::size_t chosenValue_ = 0;  // index in a record of the chosen reflection's first number

    std::size_t inRecord_ = 0;  // numbers of the current frequency read so far
    long recordLine_ = 0;
    double frequencyHz_ = 0.0;
    std::array<double, 2> chosenNumbers_{};
    std::vector<std::size_t> valueOfCell_;  // where a record's S-parameters are kept as written: each cell's value
    std::vector<double> values_;  // the record's numbers after its frequency, unless chosenAsWritten_
    std::vector<Complex> matrix_;
};

}  // namespace corvalen::touchstone
