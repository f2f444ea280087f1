// SPDX-License-Identifier: MIT
#pragma once

// What a file says before its data: the option line and the keywords of a
// version 2 header.

#include "labels.h"
#include "line_source.h"
#include "parameters.h"

#include <cstddef>
#include <string_view>
#include <vector>

namespace corvalen::touchstone {

enum class Format { RealImaginary, MagnitudeAngle, DecibelAngle };

struct Header {
    bool version2 = false;
    int minorVersion = 0;
    int ports = 0;
    long portsLine = 0;    // of [Number of Ports], or 0
    long optionsLine = 0;  // of the option line, or 0
    bool twoPortOrderGiven = false;
    bool twelveFirst = false;  // [Two-Port Data Order] 12_21: S12 before S21
    char matrixFormat = 'f';   // full, lower or upper
    int unitExponent = 9;      // GHz unless the option line says otherwise
    Format format = Format::MagnitudeAngle;
    ParameterType type = ParameterType::S;
    std::vector<double> optionOhms;  // R on the option line
    std::vector<double> portOhms;    // [Reference], which overrides R
    std::vector<MatrixPort> order;   // [Mixed-Mode Order]
    std::size_t declaredFrequencies = 0;
    std::size_t declaredNoiseFrequencies = 0;
};

class HeaderReader {
public:
    explicit HeaderReader(const LineSource& lines) : lines_(lines) {}

    // The option line after its '#'.
    void Options(std::string_view text);
    // Whether `name` (in lower case) is a keyword that Keyword reads.
    static bool Reads(std::string_view name);
    void Keyword(std::string_view name, std::string_view rest);
    // Whether [Reference] waits for more values on the lines that follow.
    bool WantsReferences() const { return wantsReferences_; }
    void References(std::string_view text);

    // The header as the data needs it, where the data begins: refused for
    // what a version 2 file must declare, a version 1 file's ports taken
    // from its name.
    const Header& Complete();
    const Header& header() const { return header_; }
    // Each port's reference impedance: [Reference], else R, else 50 ohms.
    std::vector<double> PortOhms() const;

private:
    void ReferencesOnOptionLine(std::string_view& text);
    void Version(std::string_view rest);
    std::size_t WholeNumber(std::string_view text, std::string_view keyword, double least, double most) const;

    const LineSource& lines_;
    Header header_;
    bool wantsReferences_ = false;
};

}  // namespace corvalen::touchstone
