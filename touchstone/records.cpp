// SPDX-License-Identifier: MIT
#include "records.h"

#include "refusals.h"
#include "tokens.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <span>

namespace corvalen::touchstone {
namespace {

// The benchmark builds the reader once without the reading of whole records
// below, to weigh it against the number by number reading alone.
#ifdef CORVALEN_PLAIN_RECORDS
constexpr bool kWholeRecords = false;
#else
constexpr bool kWholeRecords = true;
#endif

// A two-port's record: its frequency and four complex values.
constexpr std::size_t kLargestWholeRecord = 9;

// The complex number of two doubles just written one at a time, read one at a
// time too: a load of both at once would wait until the two writes had
// reached the cache, which the fence keeps the compiler from making.
Complex JustWritten(const double* pair)
{
    const double real = pair[0];
    std::atomic_signal_fence(std::memory_order_seq_cst);
    return {real, pair[1]};
}

}  // namespace

RecordReader::RecordReader(const LineSource& lines, const Header& header, MatrixReferences references, Wanted wanted,
                           std::size_t chosen, double systemOhms, bool reserveDeclared)
    : lines_(lines), header_(header), references_(std::move(references)), wanted_(wanted), chosen_(chosen),
      systemOhms_(systemOhms)
{
    // Where each value of a record goes in the row-major matrix.
    const auto n = static_cast<std::size_t>(header.ports);
    for (std::size_t row = 0; row < n; ++row)
        for (std::size_t column = header.matrixFormat == 'u' ? row : 0;
             column < (header.matrixFormat == 'l' ? row + 1 : n); ++column)
            cells_.push_back(row * n + column);
    // Version 1 and 21_12 write a two-port column by column: 11 21 12 22.
    if (n == 2 && header.matrixFormat == 'f' && !header.twelveFirst)
        std::swap(cells_[1], cells_[2]);
    recordSize_ = 1 + 2 * cells_.size();
    chosenAsWritten_ = wanted == Wanted::Reflection && header.type == ParameterType::S;
    chosenValue_ =
        1 + 2 * static_cast<std::size_t>(std::find(cells_.begin(), cells_.end(), chosen * n + chosen) - cells_.begin());
    values_.assign(chosenAsWritten_ ? 0 : 2 * cells_.size(), 0.0);
    // S-parameters kept as they are written are turned from polar form a run of
    // records at a time (Complete), where that can go two at a time.
    polarLater_ = header.type == ParameterType::S && header.format != Format::RealImaginary
                  && (chosenAsWritten_ || wanted == Wanted::Network);
    // A whole matrix of S-parameters is kept as written, cell by cell.
    if (wanted == Wanted::Network && header.type == ParameterType::S && header.matrixFormat == 'f' && n <= 2)
        for (std::size_t cell = 0; cell < n * n; ++cell)
            valueOfCell_.push_back(static_cast<std::size_t>(std::find(cells_.begin(), cells_.end(), cell) - cells_.begin()));
    if (reserveDeclared)
        Reserve(header.declaredFrequencies);
}

// Room for the points up front, so that the values are neither copied as they
// grow nor their memory touched twice. A few lines may claim any count: a
// record takes at least a digit and a blank a number, so the file's size
// bounds what it may hold (a stream of unknown size gets room for a modest
// file, and grows from there), and no more than a large file's points are reserved.
void RecordReader::Reserve(std::size_t points)
{
    const std::size_t fits =
        lines_.FileBytes() > 0 ? lines_.FileBytes() / (2 * recordSize_) + 1 : std::size_t{1} << 16;
    const std::size_t reserved = std::min({points, fits, std::size_t{1} << 20});
    Series<double>& frequencies = wanted_ == Wanted::Reflection ? reflection.frequencyHz
                                  : wanted_ == Wanted::TwoPort  ? twoPort.frequencyHz
                                                                : network.frequencyHz;
    frequencies.reserve(reserved);
    if (wanted_ == Wanted::Network)
        network.s.reserve(reserved * static_cast<std::size_t>(header_.ports) * static_cast<std::size_t>(header_.ports));
    for (auto* values : {&reflection.gamma, &twoPort.s11, &twoPort.s21, &twoPort.s12, &twoPort.s22})
        if (wanted_ == Wanted::TwoPort || (wanted_ == Wanted::Reflection && values == &reflection.gamma))
            values->reserve(reserved);
}

// The file's size over the bytes a record takes on the first line, with an
// eighth more for longer lines.
void RecordReader::ReserveByFileSize(std::string_view firstLine, std::size_t dataBytes)
{
    const std::size_t numbers = CountTokens(firstLine);
    if (numbers == 0 || dataBytes == 0)
        return;
    const std::size_t recordBytes = (firstLine.size() + 1) * recordSize_ / numbers;
    Reserve(dataBytes / recordBytes * 9 / 8 + 1);
}

bool RecordReader::Append(const RecordReader& later, std::size_t count)
{
    const Series<double>& mine = Frequencies();
    const Series<double>& theirs = later.Frequencies();
    if (inRecord_ > 0 || count == 0 || count > theirs.size() || (!mine.empty() && !(theirs.front() > mine.back())))
        return false;
    Complete();
    const std::size_t perRecord =
        wanted_ == Wanted::Network ? static_cast<std::size_t>(header_.ports * header_.ports) : 1;
    // Values the other has finished come finished; any others are finished with this one's later.
    const bool finished = later.completed_ >= count * perRecord;
    const auto append = [count](auto& to, const auto& from, std::size_t each) {
        to.insert(to.end(), from.begin(), from.begin() + static_cast<std::ptrdiff_t>(count * each));
    };
    if (wanted_ == Wanted::Reflection) {
        append(reflection.frequencyHz, later.reflection.frequencyHz, 1);
        append(reflection.gamma, later.reflection.gamma, 1);
    } else if (wanted_ == Wanted::TwoPort) {
        append(twoPort.frequencyHz, later.twoPort.frequencyHz, 1);
        for (auto values : {&TwoPort::s11, &TwoPort::s21, &TwoPort::s12, &TwoPort::s22})
            append(twoPort.*values, later.twoPort.*values, 1);
    } else {
        append(network.frequencyHz, later.network.frequencyHz, 1);
        append(network.s, later.network.s, perRecord);
    }
    if (finished)
        completed_ = KeptValues().size();
    return true;
}

const Series<double>& RecordReader::Frequencies() const
{
    return wanted_ == Wanted::Reflection ? reflection.frequencyHz
           : wanted_ == Wanted::TwoPort  ? twoPort.frequencyHz
                                         : network.frequencyHz;
}

void RecordReader::Warn(std::string line)
{
    (wanted_ == Wanted::Reflection ? reflection.warnings
     : wanted_ == Wanted::TwoPort  ? twoPort.warnings
                                   : network.warnings)
        .push_back(std::move(line));
}

std::string RecordReader::CountMessage(std::size_t found) const
{
    return "expected " + std::to_string(recordSize_) + " numbers for a frequency (the frequency and "
           + std::to_string(recordSize_ / 2) + " complex " + (recordSize_ / 2 == 1 ? "value" : "values") + "), found "
           + std::to_string(found);
}

void RecordReader::End() const
{
    if (inRecord_ > 0)
        lines_.FailAt(recordLine_, CountMessage(inRecord_));
}

bool RecordReader::Line(std::string_view text)
{
    // One- and two-port data keep each frequency on one line; larger matrices
    // run over several lines, but every frequency starts on a line of its own.
    if (inRecord_ > 0 && header_.ports <= 2)
        End();
    if (WholeRecord(text))
        return false;
    for (bool lineStart = true;; lineStart = false) {
        double value = 0.0;
        const char* const number =
            inRecord_ > 0 ? ReadDataNumber(text.data(), text.data() + text.size(), 0, value) : nullptr;
        if (number) {
            text.remove_prefix(static_cast<std::size_t>(number - text.data()));
            Keep(value);
        } else {
            const std::string_view token = NextToken(text);
            if (token.empty())
                return false;
            if (inRecord_ == 0) {
                if (!lineStart)
                    lines_.Fail(header_.ports <= 2 ? CountMessage(CountTokens(Trimmed(text)) + recordSize_ + 1)
                                                   : "a new frequency must start a line; expected "
                                                         + std::to_string(recordSize_) + " numbers for a frequency");
                if (StartRecord(token, text))
                    return true;
            } else if (chosenAsWritten_ && inRecord_ != chosenValue_ && inRecord_ != chosenValue_ + 1) {
                if (!LooksNumeric(token))
                    RequireNumber(lines_, token);  // says what is wrong
            } else {
                Keep(RequireNumber(lines_, token));
            }
        }
        if (++inRecord_ == recordSize_)
            EndRecord(values_.data());
    }
}

// A line that holds one whole record of short decimals and nothing else, its
// frequency above the one before, is read here at once and kept: true. Any
// other line (false) is left to Line's number by number reading, which refuses
// it, with the right message, where it must.
bool RecordReader::WholeRecord(std::string_view text)
{
    if constexpr (!kWholeRecords)
        return false;
    std::array<double, kLargestWholeRecord> numbers{};
    if (header_.ports > 2 || inRecord_ > 0)  // a record left short is Line's to refuse
        return false;
    // Where one reflection is kept as written, the other values are only checked.
    const std::uint32_t wanted = chosenAsWritten_ ? 1u | 3u << chosenValue_ : 0xFFFFFFFFu;
    if (!ReadDataLine(text, header_.unitExponent, std::span(numbers).first(recordSize_), wanted))
        return false;
    const Series<double>& frequencies = Frequencies();
    if (!(numbers[0] >= 0.0) || (!frequencies.empty() && !(numbers[0] > frequencies.back())))
        return false;
    frequencyHz_ = numbers[0];
    recordLine_ = lines_.number();
    if (chosenAsWritten_) {
        const Complex chosen = JustWritten(numbers.data() + chosenValue_);
        chosenNumbers_ = {chosen.real(), chosen.imag()};
    }
    EndRecord(numbers.data() + 1);
    return true;
}

// The record's number inRecord_, where it is needed.
void RecordReader::Keep(double value)
{
    if (!chosenAsWritten_)
        values_[inRecord_ - 1] = value;
    else if (inRecord_ == chosenValue_ || inRecord_ == chosenValue_ + 1)
        chosenNumbers_[inRecord_ - chosenValue_] = value;
}

// Reads the frequency that opens a record; true when the line opens the noise
// block instead.
bool RecordReader::StartRecord(std::string_view token, std::string_view restOfLine)
{
    const auto frequency = ParseScaled(token, header_.unitExponent);
    if (!frequency)
        lines_.Fail(Quoted(token) + " is not a frequency");
    if (*frequency < 0.0)
        lines_.Fail("negative frequency " + std::string(token));
    const auto& frequencies = Frequencies();
    if (!frequencies.empty() && *frequency <= frequencies.back()) {
        // The standard: version 1 puts a two-port's noise parameters, five
        // numbers a line, straight after the network data, starting again at
        // a lower frequency.
        if (!header_.version2 && header_.ports == 2 && CountTokens(restOfLine) == 4)
            return true;
        lines_.Fail("frequency " + FrequencyText(*frequency) + " Hz is not above the one before, "
                    + FrequencyText(frequencies.back()) + " Hz");
    }
    frequencyHz_ = *frequency;
    recordLine_ = lines_.number();
    return false;
}

Complex RecordReader::Value(double first, double second) const
{
    switch (header_.format) {
    case Format::RealImaginary:
        return {first, second};
    case Format::MagnitudeAngle:
        return FromPolarDegrees(first, second);
    case Format::DecibelAngle:
        break;
    }
    return FromPolarDegrees(std::pow(10.0, first / 20.0), second);
}

// The record's S-matrix column `column`, converted from the file's parameters.
std::vector<Complex> RecordReader::ScatteringOf(const std::vector<Complex>& matrix, std::size_t column) const
{
    auto s = ScatteringColumn(header_.type, matrix, column);
    if (!s)
        lines_.FailAt(recordLine_, std::string("the ") + TypeName(header_.type) + "-parameters at "
                                       + FrequencyText(frequencyHz_)
                                       + " Hz have no S-parameters (their matrix with the references added is singular)");
    return *s;
}

// `values` are the record's numbers after its frequency, unless chosenAsWritten_.
void RecordReader::EndRecord(const double* values)
{
    inRecord_ = 0;
    const std::vector<double>& referenceOhms = references_.referenceOhms;
    if (chosenAsWritten_) {
        reflection.frequencyHz.push_back(frequencyHz_);
        if (polarLater_)
            reflection.gamma.push_back(JustWritten(chosenNumbers_.data()));
        else
            reflection.gamma.push_back(Renormalized(Value(chosenNumbers_[0], chosenNumbers_[1]),
                                                    referenceOhms[chosen_], references_.targetOhms[chosen_]));
        return;
    }
    if (!valueOfCell_.empty()) {
        network.frequencyHz.push_back(frequencyHz_);
        for (const std::size_t i : valueOfCell_)  // RI as it is; MA and DB turned by Complete
            network.s.push_back(JustWritten(values + 2 * i));
        return;
    }
    const auto n = static_cast<std::size_t>(header_.ports);
    matrix_.assign(n * n, Complex{});
    for (std::size_t i = 0; i < cells_.size(); ++i) {
        const Complex value =
            polarLater_ ? Complex(values[2 * i], values[2 * i + 1]) : Value(values[2 * i], values[2 * i + 1]);
        matrix_[cells_[i]] = value;
        if (header_.matrixFormat != 'f')  // the missing half mirrors the given one
            matrix_[(cells_[i] % n) * n + cells_[i] / n] = value;
    }
    // The standard: version 1 holds Z, Y, H and G divided by R; version 2 as they are.
    if (header_.version2)
        Normalize(header_.type, matrix_, referenceOhms);
    if (wanted_ == Wanted::TwoPort)
        return KeepTwoPort(matrix_);
    if (wanted_ == Wanted::Network)
        return KeepNetwork(matrix_);
    const Complex s = ScatteringOf(matrix_, chosen_)[chosen_];
    reflection.frequencyHz.push_back(frequencyHz_);
    reflection.gamma.push_back(Renormalized(s, referenceOhms[chosen_], references_.targetOhms[chosen_]));
}

std::span<Complex> RecordReader::KeptValues()
{
    if (chosenAsWritten_)
        return reflection.gamma;
    return wanted_ == Wanted::Network ? std::span<Complex>(network.s) : std::span<Complex>();
}

void RecordReader::Complete()
{
    const std::span<Complex> kept = KeptValues();
    const std::span<Complex> values = kept.subspan(completed_);
    completed_ = kept.size();
    if (!polarLater_)
        return;
    if (header_.format == Format::DecibelAngle)
        for (Complex& value : values)
            value.real(std::pow(10.0, value.real() / 20.0));
    FromPolarDegrees(values);
    if (chosenAsWritten_)
        for (Complex& value : values)
            value = Renormalized(value, references_.referenceOhms[chosen_], references_.targetOhms[chosen_]);
}

void RecordReader::KeepTwoPort(const std::vector<Complex>& matrix)
{
    std::array<Complex, 4> s{matrix[0], matrix[1], matrix[2], matrix[3]};
    if (header_.type != ParameterType::S) {
        const std::vector<Complex> first = ScatteringOf(matrix, 0);
        const std::vector<Complex> second = ScatteringOf(matrix, 1);
        s = {first[0], second[0], first[1], second[1]};
    }
    const std::vector<double>& from = references_.referenceOhms;
    if (from[0] != systemOhms_ || from[1] != systemOhms_) {
        const auto referred = RenormalizedTwoPort(s, std::array<double, 2>{from[0], from[1]}, systemOhms_);
        if (!referred)
            lines_.FailAt(recordLine_, "the two-port at " + FrequencyText(frequencyHz_) + " Hz cannot be referred to "
                                           + FrequencyText(systemOhms_) + " ohms");
        s = *referred;
    }
    twoPort.frequencyHz.push_back(frequencyHz_);
    twoPort.s11.push_back(s[0]);
    twoPort.s12.push_back(s[1]);
    twoPort.s21.push_back(s[2]);
    twoPort.s22.push_back(s[3]);
}

void RecordReader::KeepNetwork(const std::vector<Complex>& matrix)
{
    network.frequencyHz.push_back(frequencyHz_);
    if (header_.type == ParameterType::S) {
        for (const Complex& value : matrix)  // a few values: no call to copy them
            network.s.push_back(value);
        return;
    }
    const auto n = static_cast<std::size_t>(header_.ports);
    const std::size_t first = network.s.size();
    network.s.resize(first + n * n);
    for (std::size_t column = 0; column < n; ++column) {
        const std::vector<Complex> s = ScatteringOf(matrix, column);
        for (std::size_t row = 0; row < n; ++row)
            network.s[first + row * n + column] = s[row];
    }
}

}  // namespace corvalen::touchstone
