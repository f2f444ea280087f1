// SPDX-License-Identifier: MIT
#pragma once

// The ports of a file's matrix as a reflection is chosen among them: single
// ended (S3), or in a mixed-mode file the differential or common mode of a
// pair of ports (D1,2, C1,2); and the impedances each is referred between.

#include "line_source.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvalen::touchstone {

struct MatrixPort {
    char mode = 'S';  // 'S', 'D' or 'C'
    int first = 0;    // 1-based ports
    int second = 0;   // 0 for a single-ended port

    std::string Label() const;
};

// S3, D1,2 or C2,1 in either case; nothing for other text.
std::optional<MatrixPort> ParseLabel(std::string_view text);

// What a reflection of the matrix is chosen by: the labels of the mixed-mode
// order, else Skk for each port (S10,10 above port 9).
std::vector<std::string> ReflectionNames(int ports, const std::vector<MatrixPort>& order);

// The labels of [Mixed-Mode Order] in a file of `ports` ports; the line is
// refused unless every port is named once, as the standard requires.
std::vector<MatrixPort> ReadMixedModeOrder(std::string_view text, int ports, const LineSource& lines);

// The index in the file's matrix of the reflection that `choice` names: empty
// for a one-port, Skk or Sk,k by position, or a label of the mixed-mode order;
// else the file is refused, naming `choice` and the choices it has.
std::size_t ChosenPort(const std::string& choice, int ports, const std::vector<MatrixPort>& order,
                       const LineSource& lines);

// Each port of the matrix: the reference impedance its values are given
// against and the one the reader refers them to.
struct MatrixReferences {
    std::vector<double> referenceOhms;
    std::vector<double> targetOhms;
};
MatrixReferences ReferencesOf(const std::vector<MatrixPort>& order, const std::vector<double>& portOhms,
                              double systemOhms);

}  // namespace corvalen::touchstone
