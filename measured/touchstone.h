// SPDX-License-Identifier: MIT
#pragma once

// Reads one reflection out of a Touchstone file (version 1 or 2), keeping only
// that value per frequency so memory grows with the points, not with the text.

#include <complex>
#include <stdexcept>
#include <string>
#include <vector>

namespace corvalen::measured {

// A file that cannot be read as asked. line() is 0 when no one line is at fault.
class MeasuredError : public std::runtime_error {
public:
    MeasuredError(std::string file, long line, const std::string& what);
    const std::string& file() const noexcept { return file_; }
    long line() const noexcept { return line_; }
    // "FILE:LINE: what", or "FILE: what" without a line.
    std::string Located() const;

private:
    std::string file_;
    long line_;
};

struct Reflection {
    std::vector<double> frequencyHz;                // strictly ascending
    std::vector<std::complex<double>> gamma;        // relative to the system impedance
};

// Reads reflection Skk (port 1-based; 0 for a one-port file, whose only reflection
// is taken) and converts it from the port's reference impedance to systemOhms.
// Throws MeasuredError naming `path` and the line at fault.
Reflection ReadReflection(const std::string& path, int port, double systemOhms);

// Hertz as an integer where the frequency is one, else in the shortest decimal form.
std::string FrequencyText(double frequencyHz);

// Referred from referenceOhms to systemOhms through the port's impedance
// Z = Zref (1 + S) / (1 - S); an open circuit (S = 1) stays exactly 1.
std::complex<double> Renormalized(std::complex<double> s, double referenceOhms, double systemOhms);

}  // namespace corvalen::measured
