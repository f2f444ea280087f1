// SPDX-License-Identifier: MIT
#include "touchstone.h"

#include "ascii.h"
#include "line_source.h"
#include "parameters.h"
#include "tokens.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <numbers>
#include <optional>
#include <type_traits>

namespace corvalen::touchstone {
namespace {

// 'token', built by appending: GCC 12 warns wrongly (-Wrestrict) on "'" + std::string(...).
std::string Quoted(std::string_view token)
{
    std::string text;
    text.reserve(token.size() + 2);
    return text.append("'").append(token).append("'");
}

bool AllDigits(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int PortNumber(std::string_view digits)
{
    int value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return error == std::errc{} && end == digits.data() + digits.size() ? value : 0;
}

enum class Format { RealImaginary, MagnitudeAngle, DecibelAngle };

// A port of the file's matrix: a single-ended port, or the differential or
// common mode of a pair of ports ([Mixed-Mode Order]).
struct MatrixPort {
    char mode = 'S';  // 'S', 'D' or 'C'
    int first = 0;    // 1-based ports
    int second = 0;   // 0 for a single-ended port

    std::string Label() const
    {
        std::string label(1, mode);
        label += std::to_string(first);
        if (mode != 'S')
            label += "," + std::to_string(second);
        return label;
    }
};

std::optional<MatrixPort> ParseLabel(std::string_view text)
{
    if (text.size() < 2)
        return std::nullopt;
    MatrixPort port;
    port.mode = static_cast<char>(text.front() & ~0x20);  // ASCII upper case
    const std::string_view numbers = text.substr(1);
    const std::size_t comma = numbers.find(',');
    if (port.mode == 'S' && AllDigits(numbers)) {
        port.first = PortNumber(numbers);
    } else if ((port.mode == 'D' || port.mode == 'C') && comma != std::string_view::npos
               && AllDigits(numbers.substr(0, comma)) && AllDigits(numbers.substr(comma + 1))) {
        port.first = PortNumber(numbers.substr(0, comma));
        port.second = PortNumber(numbers.substr(comma + 1));
    } else {
        return std::nullopt;
    }
    return port;
}

// Whether two labels name the same mode of the same ports (D1,2 and D2,1 reflect alike).
bool SameMode(const MatrixPort& a, const MatrixPort& b)
{
    return a.mode == b.mode
           && ((a.first == b.first && a.second == b.second) || (a.first == b.second && a.second == b.first));
}

std::optional<int> PortsFromName(const std::string& path)
{
    const std::string extension = AsciiLower(std::filesystem::path(path).extension().string());
    if (extension.size() < 4 || extension[1] != 's' || extension.back() != 'p')
        return std::nullopt;
    const int ports = PortNumber(std::string_view(extension).substr(2, extension.size() - 3));
    return ports >= 1 ? std::optional(ports) : std::nullopt;
}

const char* TypeName(ParameterType type)
{
    switch (type) {
    case ParameterType::S:
        return "s";
    case ParameterType::Y:
        return "y";
    case ParameterType::Z:
        return "z";
    case ParameterType::H:
        return "h";
    case ParameterType::G:
        return "g";
    }
    return "";
}

// Where a file is in its reading: every keyword is one rule of what it may
// follow. Version 1 files have no keywords and go from the header to the data
// at their first number, and from the data to the noise block where a two-port's
// frequencies start again.
enum class Section { Header, References, NetworkData, NoiseData, Information, Ended };

// Choices: the names of the reflections a file holds, read from its header alone.
enum class Wanted { Reflection, TwoPort, Choices };

class Parser {
public:
    Parser(LineSource& lines, std::string_view choice, Wanted wanted, double systemOhms)
        : lines_(lines), path_(lines.name()), choice_(choice), wanted_(wanted), systemOhms_(systemOhms)
    {
    }

    void Run()
    {
        std::string_view line;
        while (section_ != Section::Ended && lines_.Next(line)) {
            if (lines_.number() == 1 && line.starts_with("\xEF\xBB\xBF"))
                line.remove_prefix(3);
            line = Trimmed(line.substr(0, line.find('!')));
            if (line.empty())
                continue;
            if (section_ == Section::Information) {
                if (line.front() == '[' && KeywordName(line) == "end information")
                    section_ = resume_;
                continue;
            }
            if (line.front() == '[')
                Keyword(line);
            else if (section_ == Section::References)
                References(line);
            else if (line.front() == '#')
                Options(line.substr(1));
            else if (section_ == Section::NoiseData)
                NoiseLine(line);
            else
                DataLine(line);
        }
        if (!choices.empty())
            return;  // the header named them; the data is not read
        Finish();
    }

    Reflection reflection;
    TwoPort twoPort;
    std::vector<std::string> choices;

private:
    [[noreturn]] void Fail(const std::string& what) const { throw MeasuredError(path_, lines_.number(), what); }
    [[noreturn]] void FailAt(long line, const std::string& what) const { throw MeasuredError(path_, line, what); }

    double Number(std::string_view token) const
    {
        const auto value = ParseNumber(token);
        if (!value)
            Fail(Quoted(token) + " is not a number");
        return *value;
    }

    std::size_t WholeNumber(std::string_view text, std::string_view keyword, double least, double most) const
    {
        const auto value = ParseNumber(text);
        if (!value || *value < least || *value > most || *value != std::floor(*value))
            Fail("[" + std::string(keyword) + "] must be a whole number "
                 + (most < 1e15 ? "from " + std::to_string(static_cast<long>(least)) + " to " + std::to_string(static_cast<long>(most))
                                : "of at least " + std::to_string(static_cast<long>(least))));
        return static_cast<std::size_t>(*value);
    }

    std::string KeywordName(std::string_view line) const
    {
        const std::size_t close = line.find(']');
        if (close == std::string_view::npos)
            Fail("keyword without ']'");
        return AsciiLower(line.substr(1, close - 1));
    }

    void Options(std::string_view text)
    {
        if (optionsLine_ != 0)
            return;  // the standard: only the first option line counts
        optionsLine_ = lines_.number();
        for (std::string_view token = NextToken(text); !token.empty(); token = NextToken(text)) {
            const std::string option = AsciiLower(token);
            if (option == "hz" || option == "khz" || option == "mhz" || option == "ghz")
                unitExponent_ = option == "hz" ? 0 : option == "khz" ? 3 : option == "mhz" ? 6 : 9;
            else if (option == "ri")
                format_ = Format::RealImaginary;
            else if (option == "ma")
                format_ = Format::MagnitudeAngle;
            else if (option == "db")
                format_ = Format::DecibelAngle;
            else if (option.size() == 1 && std::string_view("syzhg").find(option[0]) != std::string_view::npos)
                type_ = option == "s"   ? ParameterType::S
                        : option == "y" ? ParameterType::Y
                        : option == "z" ? ParameterType::Z
                        : option == "h" ? ParameterType::H
                                        : ParameterType::G;
            else if (option == "r")
                ReferencesOnOptionLine(text);
            else
                Fail("unknown option " + Quoted(token));
        }
    }

    // R and its impedances: one for every port, or (version 2.1) one per port.
    void ReferencesOnOptionLine(std::string_view& text)
    {
        optionOhms_.clear();
        for (std::string_view rest = text;;) {
            const std::string_view token = NextToken(rest);
            if (token.empty() || (!optionOhms_.empty() && !LooksNumeric(token)))
                break;
            if (!optionOhms_.empty() && minorVersion_ < 1)
                Fail("unknown option " + Quoted(token) + "; one reference impedance per port needs [Version] 2.1");
            const double ohms = Number(token);
            if (!(ohms > 0.0))
                Fail("the reference impedance must be above 0 ohms");
            optionOhms_.push_back(ohms);
            text = rest;
        }
        if (optionOhms_.empty())
            Fail("R without a reference impedance");
    }

    void Keyword(std::string_view line)
    {
        const std::string name = KeywordName(line);
        const std::string shown(line.substr(1, line.find(']') - 1));
        const std::string_view rest = Trimmed(line.substr(line.find(']') + 1));
        if (section_ == Section::References)
            Fail("[Reference] needs " + std::to_string(ports_) + " values");
        if (name == "end") {
            EndNetworkData();
            section_ = Section::Ended;
            return;
        }
        if (name == "begin information") {
            resume_ = section_;
            section_ = Section::Information;
            return;
        }
        if (name == "end information")
            Fail("[End Information] without [Begin Information]");
        if (section_ == Section::NoiseData)
            Fail("keyword [" + shown + "] after [Noise Data]");
        if (name == "noise data") {
            if (section_ != Section::NetworkData)
                Fail("[Noise Data] before [Network Data]");
            if (ports_ != 2)
                Fail("noise parameters are for two-ports only; this file has " + std::to_string(ports_) + " ports");
            EndNetworkData();
            section_ = Section::NoiseData;
            noiseLine_ = lines_.number();
            return;
        }
        static constexpr std::string_view kHeaderKeywords[] = {
            "version", "number of ports", "two-port data order", "number of frequencies",
            "number of noise frequencies", "reference", "matrix format", "mixed-mode order", "network data"};
        if (std::find(std::begin(kHeaderKeywords), std::end(kHeaderKeywords), name) == std::end(kHeaderKeywords))
            Fail("unknown keyword [" + shown + "]");
        if (section_ != Section::Header)
            Fail("[" + shown + "] must come before the network data");

        if (name == "version") {
            if (rest.size() < 3 || !rest.starts_with("2.") || !AllDigits(rest.substr(2)))
                Fail("unknown [Version] " + Quoted(rest));
            version2_ = true;
            minorVersion_ = PortNumber(rest.substr(2));
        } else if (name == "number of ports") {
            // [Reference] and [Mixed-Mode Order] are read against the first count.
            if (ports_ != 0)
                Fail("[Number of Ports] given twice");
            ports_ = static_cast<int>(WholeNumber(rest, "Number of Ports", 1, 999));
            portsLine_ = lines_.number();
        } else if (name == "two-port data order") {
            if (rest != "12_21" && rest != "21_12")
                Fail("[Two-Port Data Order] must be 12_21 or 21_12");
            twelveFirst_ = rest == "12_21";
            twoPortOrderLine_ = lines_.number();
        } else if (name == "number of frequencies") {
            declaredFrequencies_ = WholeNumber(rest, "Number of Frequencies", 1, 1e18);
        } else if (name == "number of noise frequencies") {
            declaredNoiseFrequencies_ = WholeNumber(rest, "Number of Noise Frequencies", 1, 1e18);
        } else if (name == "reference") {
            if (ports_ == 0)
                Fail("[Reference] before [Number of Ports]");
            portOhms_.clear();
            section_ = Section::References;
            if (!rest.empty())
                References(rest);
        } else if (name == "matrix format") {
            const std::string format = AsciiLower(rest);
            if (format != "full" && format != "lower" && format != "upper")
                Fail("[Matrix Format] must be Full, Lower or Upper");
            matrixFormat_ = format[0];
        } else if (name == "mixed-mode order") {
            MixedModeOrder(rest);
        } else {
            BeginNetworkData();
        }
    }

    // The reference impedances, one per port, possibly over several lines.
    void References(std::string_view text)
    {
        for (std::string_view token = NextToken(text); !token.empty(); token = NextToken(text)) {
            if (portOhms_.size() == static_cast<std::size_t>(ports_))
                Fail("more [Reference] values than ports");
            const double ohms = Number(token);
            if (!(ohms > 0.0))
                Fail("a reference impedance must be above 0 ohms");
            portOhms_.push_back(ohms);
        }
        if (portOhms_.size() == static_cast<std::size_t>(ports_))
            section_ = Section::Header;
    }

    // The standard: every port once, alone (S) or in a pair whose differential
    // (D) and common mode (C) both appear.
    void MixedModeOrder(std::string_view text)
    {
        if (ports_ == 0)
            Fail("[Mixed-Mode Order] before [Number of Ports]");
        order_.clear();
        for (std::string_view token = NextToken(text); !token.empty(); token = NextToken(text)) {
            const auto port = ParseLabel(token);
            if (!port || port->first < 1 || port->first > ports_ || (port->mode != 'S' && (port->second < 1 || port->second > ports_ || port->second == port->first)))
                Fail("[Mixed-Mode Order]: " + Quoted(token) + " is not S, D or C of ports 1 to " + std::to_string(ports_));
            for (const MatrixPort& seen : order_)
                if (SameMode(seen, *port))
                    Fail("[Mixed-Mode Order] names " + port->Label() + " twice");
            order_.push_back(*port);
        }
        // Each port is covered once by S, or by one pair that has both modes.
        std::vector<int> pairedWith(static_cast<std::size_t>(ports_) + 1, 0);
        for (const MatrixPort& port : order_) {
            for (const int p : {port.first, port.second}) {
                if (p == 0)
                    continue;
                const int partner = port.mode == 'S' ? -1 : port.first + port.second - p;
                int& seen = pairedWith[static_cast<std::size_t>(p)];
                if (seen != 0 && (seen != partner || partner == -1))
                    Fail("[Mixed-Mode Order] names port " + std::to_string(p) + " twice");
                seen = partner;
            }
        }
        for (int p = 1; p <= ports_; ++p)
            if (pairedWith[static_cast<std::size_t>(p)] == 0)
                Fail("[Mixed-Mode Order] leaves out port " + std::to_string(p));
        for (const MatrixPort& port : order_) {
            if (port.mode == 'S')
                continue;
            const MatrixPort other{port.mode == 'D' ? 'C' : 'D', port.first, port.second};
            if (std::none_of(order_.begin(), order_.end(), [&](const MatrixPort& q) { return SameMode(q, other); }))
                Fail("[Mixed-Mode Order] has " + port.Label() + " without " + other.Label());
        }
    }

    std::vector<std::string> ChoiceNames() const
    {
        std::vector<std::string> names;
        if (order_.empty()) {
            for (int p = 1; p <= ports_; ++p)
                names.push_back(std::string("S").append(std::to_string(p)).append(std::to_string(p)));
        } else {
            for (const MatrixPort& port : order_)
                names.push_back(port.Label());
        }
        return names;
    }

    std::string Choices() const
    {
        const std::vector<std::string> names = ChoiceNames();
        if (names.size() > 6)
            return path_ + ":" + names.front() + " to " + path_ + ":" + names.back();
        std::string text;
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (i > 0)
                text += i + 1 == names.size() ? " or " : ", ";
            text += path_ + ":" + names[i];
        }
        return text;
    }

    // The index in the file's matrix of the chosen reflection.
    std::size_t ChosenPort() const
    {
        const std::size_t n = static_cast<std::size_t>(ports_);
        if (choice_.empty()) {
            if (n == 1 && order_.empty())
                return 0;
            FailAt(0, "choose a reflection: " + Choices());
        }
        // Skk by position, k written twice.
        const std::string_view digits = std::string_view(choice_).substr(1);
        const std::string_view half = digits.substr(0, digits.size() / 2);
        if (AsciiLower(choice_.substr(0, 1)) == "s" && digits.size() % 2 == 0 && AllDigits(digits)
            && half == digits.substr(half.size()) && half.front() != '0') {
            const int k = PortNumber(half);
            if (k >= 1 && k <= ports_)
                return static_cast<std::size_t>(k - 1);
            FailAt(0, "has no reflection " + choice_ + "; choose " + Choices());
        }
        if (const auto label = ParseLabel(choice_); label && !order_.empty()) {
            for (std::size_t i = 0; i < order_.size(); ++i)
                if (SameMode(order_[i], *label))
                    return i;
            FailAt(0, "has no " + choice_ + " in its [Mixed-Mode Order]; choose " + Choices());
        }
        FailAt(0, "name a reflection Skk" + std::string(order_.empty() ? "" : " or a label of the [Mixed-Mode Order]")
                      + ": choose " + Choices());
    }

    // The references of the matrix's ports, and what each is referred to. The
    // standard gives a pair's differential mode the sum of its ports'
    // references and its common mode their parallel value, so equal references
    // R give 2 R and R / 2, and the system's 2 Z0 and Z0 / 2.
    void SetReferences()
    {
        std::vector<double> physical = portOhms_;
        if (physical.empty()) {
            if (optionOhms_.size() > 1 && optionOhms_.size() != static_cast<std::size_t>(ports_))
                FailAt(optionsLine_, "the option line gives " + std::to_string(optionOhms_.size())
                                         + " reference impedances for " + std::to_string(ports_) + " ports");
            physical.assign(static_cast<std::size_t>(ports_), optionOhms_.empty() ? 50.0 : optionOhms_.front());
            if (optionOhms_.size() > 1)
                physical = optionOhms_;
        }
        referenceOhms_.clear();
        targetOhms_.clear();
        if (order_.empty()) {
            referenceOhms_ = physical;
            targetOhms_.assign(physical.size(), systemOhms_);
            return;
        }
        for (const MatrixPort& port : order_) {
            const double a = physical[static_cast<std::size_t>(port.first - 1)];
            const double b = port.mode == 'S' ? 0.0 : physical[static_cast<std::size_t>(port.second - 1)];
            referenceOhms_.push_back(port.mode == 'S' ? a : port.mode == 'D' ? a + b : a * b / (a + b));
            targetOhms_.push_back(port.mode == 'S' ? systemOhms_ : port.mode == 'D' ? 2.0 * systemOhms_ : systemOhms_ / 2.0);
        }
    }

    // Where each value of a record goes in the row-major matrix.
    void SetLayout()
    {
        const std::size_t n = static_cast<std::size_t>(ports_);
        cells_.clear();
        for (std::size_t row = 0; row < n; ++row)
            for (std::size_t column = matrixFormat_ == 'u' ? row : 0; column < (matrixFormat_ == 'l' ? row + 1 : n); ++column)
                cells_.push_back(row * n + column);
        // Version 1 and 21_12 write a two-port column by column: 11 21 12 22.
        if (n == 2 && matrixFormat_ == 'f' && !twelveFirst_)
            std::swap(cells_[1], cells_[2]);
    }

    void BeginNetworkData()
    {
        if (ports_ == 0) {
            if (version2_)
                Fail("[Number of Ports] is missing");
            const auto fromName = PortsFromName(path_);
            if (!fromName)
                Fail("cannot tell the number of ports: name the file .s1p, .s2p, ... or give [Number of Ports]");
            ports_ = *fromName;
        }
        if (version2_ && optionsLine_ == 0)
            Fail("the option line (such as # GHz S MA R 50) is missing");
        if (version2_ && ports_ == 2 && twoPortOrderLine_ == 0)
            Fail("a version 2 two-port file needs [Two-Port Data Order]");
        if (version2_ && declaredFrequencies_ == 0)
            Fail("[Number of Frequencies] is missing");
        if ((type_ == ParameterType::H || type_ == ParameterType::G) && ports_ != 2)
            FailAt(optionsLine_, std::string(TypeName(type_)) + "-parameters are for two-ports only; this file has "
                                     + std::to_string(ports_) + " ports");
        if (wanted_ == Wanted::Choices) {
            choices = ChoiceNames();
            section_ = Section::Ended;
            return;
        }
        SetReferences();
        if (wanted_ == Wanted::TwoPort) {
            if (ports_ != 2)
                FailAt(portsLine_ != 0 ? portsLine_ : lines_.number(),
                       "a two-port is needed between source and load; this file has " + std::to_string(ports_) + " ports");
            if (!order_.empty())
                Fail("holds mixed-mode parameters; a two-port between source and load needs single-ended ones");
        } else {
            chosen_ = ChosenPort();
        }
        SetLayout();
        recordSize_ = 1 + 2 * cells_.size();
        // A reflection of S-parameters needs only its own two numbers of each record.
        direct_ = wanted_ == Wanted::Reflection && type_ == ParameterType::S;
        const std::size_t n = static_cast<std::size_t>(ports_);
        selectedValue_ = 1 + 2 * static_cast<std::size_t>(std::find(cells_.begin(), cells_.end(), chosen_ * n + chosen_) - cells_.begin());
        values_.assign(direct_ ? 0 : 2 * cells_.size(), 0.0);
        Reserve(declaredFrequencies_);
        section_ = Section::NetworkData;
    }

    // Room for the points up front, so that the values are neither copied as
    // they grow nor their memory touched twice. A few lines may claim any
    // count: a record takes at least a digit and a blank a number, so the
    // file's size bounds what it may hold (a stream of unknown size gets room
    // for a modest file, and grows from there), and no more than a large
    // file's points are reserved.
    void Reserve(std::size_t points)
    {
        const std::size_t fits =
            lines_.FileBytes() > 0 ? lines_.FileBytes() / (2 * recordSize_) + 1 : std::size_t{1} << 16;
        const std::size_t reserved = std::min({points, fits, std::size_t{1} << 20});
        (wanted_ == Wanted::Reflection ? reflection.frequencyHz : twoPort.frequencyHz).reserve(reserved);
        for (auto* values : {&reflection.gamma, &twoPort.s11, &twoPort.s21, &twoPort.s12, &twoPort.s22})
            if (wanted_ == Wanted::TwoPort || values == &reflection.gamma)
                values->reserve(reserved);
    }

    // Version 1 gives no count: the file's size over the bytes a record takes
    // on the first line estimates it, with an eighth more for longer lines.
    void ReserveByFileSize(std::string_view firstLine)
    {
        const std::size_t numbers = CountTokens(firstLine);
        if (numbers == 0 || lines_.FileBytes() == 0)
            return;
        const std::size_t recordBytes = (firstLine.size() + 1) * recordSize_ / numbers;
        Reserve(lines_.FileBytes() / recordBytes * 9 / 8 + 1);
    }

    std::string CountMessage(std::size_t found) const
    {
        return "expected " + std::to_string(recordSize_) + " numbers for a frequency (the frequency and "
               + std::to_string(recordSize_ / 2) + " complex " + (recordSize_ / 2 == 1 ? "value" : "values")
               + "), found " + std::to_string(found);
    }

    const Series<double>& Frequencies() const
    {
        return wanted_ == Wanted::Reflection ? reflection.frequencyHz : twoPort.frequencyHz;
    }

    void DataLine(std::string_view text)
    {
        if (section_ == Section::Header) {
            if (version2_)
                Fail("numbers before [Network Data]");
            BeginNetworkData();
            if (wanted_ == Wanted::Choices)
                return;
            ReserveByFileSize(text);
        }
        // One- and two-port data keep each frequency on one line; larger matrices
        // run over several lines, but every frequency starts on a line of its own.
        if (inRecord_ > 0 && ports_ <= 2)
            FailAt(recordLine_, CountMessage(inRecord_));
        for (bool lineStart = true;; lineStart = false) {
            double value = 0.0;
            if (inRecord_ > 0 && ReadShortNumber(text, value)) {
                Keep(value);
            } else {
                const std::string_view token = NextToken(text);
                if (token.empty())
                    break;
                if (inRecord_ == 0) {
                    if (!lineStart)
                        Fail(ports_ <= 2 ? CountMessage(CountTokens(Trimmed(text)) + recordSize_ + 1)
                                         : "a new frequency must start a line; expected " + std::to_string(recordSize_)
                                               + " numbers for a frequency");
                    if (StartRecord(token, text))
                        return;
                } else if (direct_ && inRecord_ != selectedValue_ && inRecord_ != selectedValue_ + 1) {
                    if (!LooksNumeric(token))
                        Number(token);  // says what is wrong
                } else {
                    Keep(Number(token));
                }
            }
            if (++inRecord_ == recordSize_)
                EndRecord();
        }
    }

    // The record's number inRecord_, where it is needed.
    void Keep(double value)
    {
        if (!direct_)
            values_[inRecord_ - 1] = value;
        else if (inRecord_ == selectedValue_)
            first_ = value;
        else if (inRecord_ == selectedValue_ + 1)
            second_ = value;
    }

    // Reads the frequency that opens a record; true when the line opens the
    // noise block instead.
    bool StartRecord(std::string_view token, std::string_view restOfLine)
    {
        const auto frequency = ParseScaled(token, unitExponent_);
        if (!frequency)
            Fail(Quoted(token) + " is not a frequency");
        if (*frequency < 0.0)
            Fail("negative frequency " + std::string(token));
        const auto& frequencies = Frequencies();
        if (!frequencies.empty() && *frequency <= frequencies.back()) {
            // The standard: version 1 puts a two-port's noise parameters, five
            // numbers a line, straight after the network data, starting again
            // at a lower frequency.
            if (!version2_ && ports_ == 2 && CountTokens(restOfLine) == 4) {
                section_ = Section::NoiseData;
                std::string line(token);
                NoiseLine(line.append(" ").append(restOfLine));
                return true;
            }
            Fail("frequency " + FrequencyText(*frequency) + " Hz is not above the one before, "
                 + FrequencyText(frequencies.back()) + " Hz");
        }
        frequencyHz_ = *frequency;
        recordLine_ = lines_.number();
        return false;
    }

    Complex Value(double first, double second) const
    {
        switch (format_) {
        case Format::RealImaginary:
            return {first, second};
        case Format::MagnitudeAngle:
        case Format::DecibelAngle:
            break;
        }
        return FromPolarDegrees(format_ == Format::MagnitudeAngle ? first : std::pow(10.0, first / 20.0), second);
    }

    // The record's S-matrix column `column`, converted from the file's parameters.
    std::vector<Complex> ScatteringOf(const std::vector<Complex>& matrix, std::size_t column) const
    {
        auto s = ScatteringColumn(type_, matrix, column);
        if (!s)
            FailAt(recordLine_, std::string("the ") + TypeName(type_) + "-parameters at " + FrequencyText(frequencyHz_)
                                    + " Hz have no S-parameters (their matrix with the references added is singular)");
        return *s;
    }

    void EndRecord()
    {
        inRecord_ = 0;
        if (direct_) {
            reflection.frequencyHz.push_back(frequencyHz_);
            reflection.gamma.push_back(Renormalized(Value(first_, second_), referenceOhms_[chosen_], targetOhms_[chosen_]));
            return;
        }
        const std::size_t n = static_cast<std::size_t>(ports_);
        std::vector<Complex>& matrix = matrix_;
        matrix.assign(n * n, Complex{});
        for (std::size_t i = 0; i < cells_.size(); ++i) {
            const Complex value = Value(values_[2 * i], values_[2 * i + 1]);
            matrix[cells_[i]] = value;
            if (matrixFormat_ != 'f')  // the missing half mirrors the given one
                matrix[(cells_[i] % n) * n + cells_[i] / n] = value;
        }
        // The standard: version 1 holds Z, Y, H and G divided by R; version 2 as they are.
        if (version2_)
            Normalize(type_, matrix, referenceOhms_);
        if (wanted_ == Wanted::Reflection) {
            const Complex s = ScatteringOf(matrix, chosen_)[chosen_];
            reflection.frequencyHz.push_back(frequencyHz_);
            reflection.gamma.push_back(Renormalized(s, referenceOhms_[chosen_], targetOhms_[chosen_]));
            return;
        }
        std::array<Complex, 4> s{matrix[0], matrix[1], matrix[2], matrix[3]};
        if (type_ != ParameterType::S) {
            const std::vector<Complex> first = ScatteringOf(matrix, 0);
            const std::vector<Complex> second = ScatteringOf(matrix, 1);
            s = {first[0], second[0], first[1], second[1]};
        }
        if (referenceOhms_[0] != systemOhms_ || referenceOhms_[1] != systemOhms_) {
            const std::array<double, 2> from{referenceOhms_[0], referenceOhms_[1]};
            const auto referred = RenormalizedTwoPort(s, from, systemOhms_);
            if (!referred)
                FailAt(recordLine_, "the two-port at " + FrequencyText(frequencyHz_) + " Hz cannot be referred to "
                                        + FrequencyText(systemOhms_) + " ohms");
            s = *referred;
        }
        twoPort.frequencyHz.push_back(frequencyHz_);
        twoPort.s11.push_back(s[0]);
        twoPort.s12.push_back(s[1]);
        twoPort.s21.push_back(s[2]);
        twoPort.s22.push_back(s[3]);
    }

    void NoiseLine(std::string_view text)
    {
        const std::size_t count = CountTokens(text);
        if (count != 5)
            Fail("noise parameters take 5 numbers a line, found " + std::to_string(count));
        for (std::string_view token = NextToken(text); !token.empty(); token = NextToken(text))
            Number(token);
        ++noiseFrequencies_;
    }

    void EndNetworkData() const
    {
        if (inRecord_ > 0)
            FailAt(recordLine_, CountMessage(inRecord_));
    }

    void Finish()
    {
        if (section_ == Section::References)
            Fail("[Reference] needs " + std::to_string(ports_) + " values");
        if (section_ == Section::Header && !version2_)
            BeginNetworkData();  // says which reflection to choose before that there is no data
        EndNetworkData();
        if (version2_ && section_ != Section::Ended)
            Fail("[End] is missing");
        if (Frequencies().empty())
            Fail("no network data");
        if (declaredFrequencies_ != 0 && declaredFrequencies_ != Frequencies().size())
            Fail("[Number of Frequencies] says " + std::to_string(declaredFrequencies_) + ", the data holds "
                 + std::to_string(Frequencies().size()));
        if (version2_ && (noiseLine_ != 0 || declaredNoiseFrequencies_ != 0) && declaredNoiseFrequencies_ != noiseFrequencies_)
            Fail(noiseLine_ == 0 ? "[Number of Noise Frequencies] without [Noise Data]"
                                 : "[Number of Noise Frequencies] says " + std::to_string(declaredNoiseFrequencies_)
                                       + ", [Noise Data] holds " + std::to_string(noiseFrequencies_));
    }

    LineSource& lines_;
    const std::string& path_;
    std::string choice_;
    Wanted wanted_;
    double systemOhms_;

    Section section_ = Section::Header;
    Section resume_ = Section::Header;  // where [End Information] returns to
    bool version2_ = false;
    int minorVersion_ = 0;
    int ports_ = 0;
    long portsLine_ = 0;
    long optionsLine_ = 0;
    long twoPortOrderLine_ = 0;
    bool twelveFirst_ = false;
    char matrixFormat_ = 'f';  // full, lower or upper
    int unitExponent_ = 9;     // GHz unless the option line says otherwise
    Format format_ = Format::MagnitudeAngle;
    ParameterType type_ = ParameterType::S;
    std::vector<double> optionOhms_;  // R on the option line
    std::vector<double> portOhms_;    // [Reference], which overrides R
    std::vector<MatrixPort> order_;   // [Mixed-Mode Order]
    std::size_t declaredFrequencies_ = 0;
    std::size_t declaredNoiseFrequencies_ = 0;
    std::size_t noiseFrequencies_ = 0;
    long noiseLine_ = 0;

    // Set when the network data begins.
    std::vector<double> referenceOhms_;  // of each port of the file's matrix
    std::vector<double> targetOhms_;     // what each is referred to
    std::vector<std::size_t> cells_;     // matrix cell of each value of a record
    std::size_t chosen_ = 0;
    bool direct_ = false;
    std::size_t recordSize_ = 0;
    std::size_t selectedValue_ = 0;  // index of the chosen reflection's first number in a record

    std::size_t inRecord_ = 0;  // numbers of the current frequency read so far
    long recordLine_ = 0;
    double frequencyHz_ = 0.0;
    double first_ = 0.0;
    double second_ = 0.0;
    std::vector<double> values_;
    std::vector<Complex> matrix_;
};

}  // namespace

MeasuredError::MeasuredError(std::string file, long line, const std::string& what)
    : std::runtime_error(what), file_(std::move(file)), line_(line)
{
}

std::string MeasuredError::Located() const
{
    std::string text = file_;
    if (line_ > 0)
        text.append(":").append(std::to_string(line_));
    return text.append(": ").append(what());
}

std::complex<double> Renormalized(std::complex<double> s, double referenceOhms, double systemOhms)
{
    if (referenceOhms == systemOhms)
        return s;
    // (Z - Z0) / (Z + Z0) with Z multiplied out, so S = 1 needs no infinite Z.
    const std::complex<double> forward = referenceOhms * (1.0 + s);
    const std::complex<double> backward = systemOhms * (1.0 - s);
    return (forward - backward) / (forward + backward);
}

std::string FrequencyText(double frequencyHz)
{
    char buffer[400];
    // Whole numbers of hertz print without a point; others in the shortest form that reads back.
    const auto result = frequencyHz == std::floor(frequencyHz) && std::abs(frequencyHz) < 9.2e18
                            ? std::to_chars(buffer, buffer + sizeof buffer, static_cast<long long>(frequencyHz))
                            : std::to_chars(buffer, buffer + sizeof buffer, frequencyHz, std::chars_format::fixed);
    return {buffer, result.ptr};
}

namespace {

template <typename Result>
Result Read(LineSource& lines, std::string_view choice, Wanted wanted, double systemOhms)
{
    Parser parser(lines, choice, wanted, systemOhms);
    parser.Run();
    if constexpr (std::is_same_v<Result, std::vector<std::string>>)
        return std::move(parser.choices);
    else if constexpr (std::is_same_v<Result, Reflection>)
        return std::move(parser.reflection);
    else
        return std::move(parser.twoPort);
}

}  // namespace

Reflection ReadReflection(const std::string& path, std::string_view choice, double systemOhms)
{
    LineSource lines(path);
    return Read<Reflection>(lines, choice, Wanted::Reflection, systemOhms);
}

Reflection ReadReflection(std::FILE* stream, const std::string& name, std::string_view choice, double systemOhms,
                          std::size_t chunkBytes)
{
    LineSource lines(stream, name, chunkBytes);
    return Read<Reflection>(lines, choice, Wanted::Reflection, systemOhms);
}

std::vector<std::string> ReflectionChoices(const std::string& path)
{
    LineSource lines(path);
    return Read<std::vector<std::string>>(lines, {}, Wanted::Choices, 50.0);
}

TwoPort ReadTwoPort(const std::string& path, double systemOhms)
{
    LineSource lines(path);
    return Read<TwoPort>(lines, {}, Wanted::TwoPort, systemOhms);
}

TwoPort ReadTwoPort(std::FILE* stream, const std::string& name, double systemOhms, std::size_t chunkBytes)
{
    LineSource lines(stream, name, chunkBytes);
    return Read<TwoPort>(lines, {}, Wanted::TwoPort, systemOhms);
}

FileChoice SplitFileChoice(std::string_view text)
{
    const std::size_t colon = text.rfind(':');
    if (colon != std::string_view::npos && ParseLabel(text.substr(colon + 1)))
        return {std::string(text.substr(0, colon)), std::string(text.substr(colon + 1))};
    return {std::string(text), {}};
}

}  // namespace corvalen::touchstone
