// SPDX-License-Identifier: MIT
#include "touchstone.h"

#include "ascii.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <numbers>
#include <optional>
#include <string_view>

namespace corvalen::measured {
namespace {

constexpr std::size_t kChunkBytes = 1 << 20;
// Longer lines are not Touchstone; the cap keeps a file without line ends from
// being read whole into memory.
constexpr std::size_t kLongestLine = 1 << 16;

// Lines reach the parser only once they are known to hold no control bytes
// other than blanks, so every byte up to the space is a blank.
bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// The first blank at or after `from`, or the end. Numbers are a dozen
// characters or more, so eight bytes are looked at a time: a byte up to the
// space sets its top bit in (word - 0x21...) & ~word, and the lowest such
// byte is the first blank.
std::size_t FindBlank(std::string_view text, std::size_t from)
{
    if constexpr (std::endian::native == std::endian::little) {
        constexpr std::uint64_t kEveryByte = 0x0101010101010101;
        constexpr std::uint64_t kTopBits = 0x8080808080808080;
        for (; from + sizeof(std::uint64_t) <= text.size(); from += sizeof(std::uint64_t)) {
            std::uint64_t word;
            std::memcpy(&word, text.data() + from, sizeof word);
            if (const std::uint64_t blanks = (word - kEveryByte * 0x21) & ~word & kTopBits)
                return from + static_cast<std::size_t>(std::countr_zero(blanks)) / 8;
        }
    }
    while (from < text.size() && !IsBlank(text[from]))
        ++from;
    return from;
}

// The next blank-separated token of `rest`, removed from it; empty at the end.
std::string_view NextToken(std::string_view& rest)
{
    std::size_t begin = 0;
    while (begin < rest.size() && IsBlank(rest[begin]))
        ++begin;
    const std::size_t end = FindBlank(rest, begin);
    const std::string_view token = rest.substr(begin, end - begin);
    rest.remove_prefix(end);
    return token;
}

std::size_t CountTokens(std::string_view rest)
{
    std::size_t count = 0;
    while (!NextToken(rest).empty())
        ++count;
    return count;
}



// A finite decimal number as written in Touchstone files (a leading + allowed),
// read the same way whatever the locale.
std::optional<double> ParseNumber(std::string_view token)
{
    if (token.size() > 1 && token.front() == '+' && token[1] != '-')
        token.remove_prefix(1);
    double value = 0.0;
    const auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), value);
    if (error != std::errc{} || end != token.data() + token.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// Whether the token reads as a number, for the values that are checked but not
// kept: a scan of the characters, much cheaper than converting them.
bool LooksNumeric(std::string_view token)
{
    std::size_t i = 0;
    const auto digits = [&] {
        const std::size_t start = i;
        while (i < token.size() && token[i] >= '0' && token[i] <= '9')
            ++i;
        return i - start;
    };
    if (i < token.size() && (token[i] == '+' || token[i] == '-'))
        ++i;
    std::size_t mantissa = digits();
    if (i < token.size() && token[i] == '.') {
        ++i;
        mantissa += digits();
    }
    if (mantissa == 0)
        return false;
    if (i < token.size() && (token[i] == 'e' || token[i] == 'E')) {
        ++i;
        if (i < token.size() && (token[i] == '+' || token[i] == '-'))
            ++i;
        if (digits() == 0)
            return false;
    }
    return i == token.size();
}

// The number times 10^decimalExponent, rounded once from the decimal text, so that
// 1.1 GHz is exactly 1100000000 Hz rather than 1.1 * 1e9.
std::optional<double> ParseScaled(std::string_view token, int decimalExponent)
{
    if (decimalExponent == 0)
        return ParseNumber(token);
    const std::size_t e = token.find_first_of("eE");
    std::string_view mantissa = token.substr(0, e);
    int exponent = 0;
    if (e != std::string_view::npos) {
        std::string_view digits = token.substr(e + 1);
        if (digits.size() > 1 && digits.front() == '+' && digits[1] != '-')
            digits.remove_prefix(1);
        const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), exponent);
        if (digits.empty() || error != std::errc{} || end != digits.data() + digits.size())
            return std::nullopt;
    }
    if (mantissa.empty() || mantissa.back() == '+' || mantissa.back() == '-')
        return std::nullopt;
    std::string text(mantissa);
    text.append("e").append(std::to_string(exponent + decimalExponent));
    return ParseNumber(text);
}

// 'token', built by appending: GCC 12 warns wrongly (-Wrestrict) on "'" + std::string(...).
std::string Quoted(std::string_view token)
{
    std::string text;
    text.reserve(token.size() + 2);
    return text.append("'").append(token).append("'");
}

// Hands out the lines of a file, reading it in large chunks.
class LineSource {
public:
    explicit LineSource(const std::string& path)
        : path_(path)
        , file_(std::fopen(path.c_str(), "rb"), &std::fclose)
        , chunk_(kChunkBytes)
    {
        std::error_code ignored;
        if (std::filesystem::is_directory(path, ignored))
            throw MeasuredError(path, 0, "is a directory, not a Touchstone file");
        if (!file_)
            throw MeasuredError(path, 0, std::string("cannot open: ") + std::strerror(errno));
    }

    long number() const { return number_; }

    // The next line without its line end; false after the last one. The view
    // lasts until the next call.
    bool Next(std::string_view& line)
    {
        carry_.clear();
        for (;;) {
            if (begin_ < end_) {
                const char* start = chunk_.data() + begin_;
                const std::size_t available = end_ - begin_;
                if (const void* newline = std::memchr(start, '\n', available)) {
                    const auto length = static_cast<std::size_t>(static_cast<const char*>(newline) - start);
                    const std::size_t lineBegin = begin_;
                    begin_ += length + 1;
                    ++number_;
                    if (carry_.empty()) {
                        if (firstBad_ >= lineBegin && firstBad_ < begin_)
                            FailBinary();
                        line = std::string_view(start, length);
                        return true;
                    }
                    carry_.append(start, length);
                    return HandCarry(line);
                }
                carry_.append(start, available);
                begin_ = end_;
                if (carry_.size() > kLongestLine) {
                    ++number_;
                    RequireText(carry_);
                    throw MeasuredError(path_, number_, "line longer than " + std::to_string(kLongestLine) + " characters");
                }
            } else if (atEnd_) {
                if (carry_.empty())
                    return false;
                ++number_;
                return HandCarry(line);
            } else {
                begin_ = 0;
                end_ = std::fread(chunk_.data(), 1, chunk_.size(), file_.get());
                if (end_ < chunk_.size()) {
                    if (std::ferror(file_.get()))
                        throw MeasuredError(path_, 0, std::string("cannot read: ") + std::strerror(errno));
                    atEnd_ = true;
                }
                firstBad_ = FirstBinaryByte(std::string_view(chunk_.data(), end_));
            }
        }
    }

private:
    // Control characters other than blanks and line ends (tab to carriage
    // return), which no text file holds; written as plain range tests so that
    // the scan below compiles to vector instructions.
    static bool IsBinary(char c)
    {
        const auto byte = static_cast<unsigned char>(c);
        return (byte < '\t') | (static_cast<unsigned char>(byte - 0x0e) < 0x12) | (byte == 0x7f);
    }

    // The offset of the first byte that no text file holds, or npos. The loop
    // without an early exit checks many bytes at a time; the search runs only on a hit.
    static std::size_t FirstBinaryByte(std::string_view text)
    {
        unsigned char any = 0;
        for (const char c : text)
            any |= static_cast<unsigned char>(IsBinary(c));
        if (!any)
            return std::string_view::npos;
        return static_cast<std::size_t>(std::find_if(text.begin(), text.end(), IsBinary) - text.begin());
    }

    bool HandCarry(std::string_view& line)
    {
        RequireText(carry_);
        line = carry_;
        return true;
    }

    [[noreturn]] void FailBinary() const { throw MeasuredError(path_, number_, "binary data, not a Touchstone file"); }

    void RequireText(std::string_view text) const
    {
        if (FirstBinaryByte(text) != std::string_view::npos)
            FailBinary();
    }

    std::string path_;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file_;
    std::vector<char> chunk_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    bool atEnd_ = false;
    std::size_t firstBad_ = std::string_view::npos;  // in the chunk
    std::string carry_;
    long number_ = 0;
};

enum class Format { RealImaginary, MagnitudeAngle, DecibelAngle };

std::optional<int> PortsFromName(const std::string& path)
{
    const std::string extension = AsciiLower(std::filesystem::path(path).extension().string());
    if (extension.size() < 4 || extension[1] != 's' || extension.back() != 'p')
        return std::nullopt;
    int ports = 0;
    const char* first = extension.data() + 2;
    const char* last = extension.data() + extension.size() - 1;
    const auto [end, error] = std::from_chars(first, last, ports);
    if (error != std::errc{} || end != last || ports < 1)
        return std::nullopt;
    return ports;
}

class Parser {
public:
    Parser(const std::string& path, int port, double systemOhms)
        : path_(path), port_(port), systemOhms_(systemOhms), lines_(path)
    {
        if (const auto ports = PortsFromName(path))
            SetPorts(*ports);
    }

    Reflection Run()
    {
        std::string_view line;
        while (!ended_ && lines_.Next(line)) {
            if (lines_.number() == 1 && line.starts_with("\xEF\xBB\xBF"))
                line.remove_prefix(3);
            line = Trimmed(line.substr(0, line.find('!')));
            if (line.empty())
                continue;
            if (line.front() == '[')
                Keyword(line);
            else if (skipping_ != Skip::Nothing)
                continue;
            else if (referencesWanted_ > 0)
                References(line);
            else if (line.front() == '#')
                Options(line.substr(1));
            else if (noiseBlock_)
                NoiseLine(line);
            else
                DataLine(line);
        }
        Finish();
        return std::move(result_);
    }

private:
    enum class Skip { Nothing, Information, Noise };

    [[noreturn]] void Fail(const std::string& what) const { throw MeasuredError(path_, lines_.number(), what); }

    double Number(std::string_view token) const
    {
        const auto value = ParseNumber(token);
        if (!value)
            Fail(Quoted(token) + " is not a number");
        return *value;
    }

    void SetPorts(int ports)
    {
        ports_ = ports;
        recordSize_ = 1 + 2 * static_cast<std::size_t>(ports) * static_cast<std::size_t>(ports);
        const int k = port_ == 0 ? 1 : port_;
        selectedValue_ = 1 + 2 * static_cast<std::size_t>((k - 1) * ports + (k - 1));
        if ((port_ == 0 && ports > 1) || port_ > ports) {
            std::string choices;
            for (int p = 1; p <= ports; ++p) {
                if (p > 1)
                    choices += p == ports ? " or " : ", ";
                choices += path_ + ":S" + std::to_string(p) + std::to_string(p);
            }
            throw MeasuredError(path_, 0, "choose a reflection: " + choices);
        }
    }

    void Options(std::string_view text)
    {
        if (optionsSeen_)
            return;  // only the first option line counts
        optionsSeen_ = true;
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
            else if (option == "s")
                continue;
            else if (option == "y" || option == "z" || option == "h" || option == "g")
                Fail("holds " + AsciiLower(option) + "-parameters; only S-parameters are read");
            else if (option == "r") {
                referenceOhms_ = Number(NextToken(text));
                if (!(referenceOhms_ > 0.0))
                    Fail("the reference impedance must be above 0 ohms");
            } else
                Fail("unknown option " + Quoted(token));
        }
    }

    void Keyword(std::string_view line)
    {
        const std::size_t close = line.find(']');
        if (close == std::string_view::npos)
            Fail("keyword without ']'");
        const std::string name = AsciiLower(line.substr(1, close - 1));
        std::string_view rest = Trimmed(line.substr(close + 1));
        if (skipping_ == Skip::Information) {
            if (name == "end information")
                skipping_ = Skip::Nothing;
            return;
        }
        if (name == "end") {
            ended_ = true;
            return;
        }
        if (skipping_ == Skip::Noise)
            Fail("keyword [" + std::string(line.substr(1, close - 1)) + "] after [Noise Data]");
        if (name == "version") {
            if (!rest.starts_with("2."))
                Fail("unknown [Version] " + Quoted(rest));
            version2_ = true;
        } else if (name == "number of ports") {
            const double ports = Number(rest);
            if (ports < 1 || ports > 999 || ports != std::floor(ports))
                Fail("[Number of Ports] must be a whole number from 1 to 999");
            SetPorts(static_cast<int>(ports));
        } else if (name == "two-port data order") {
            if (rest != "12_21" && rest != "21_12")
                Fail("[Two-Port Data Order] must be 12_21 or 21_12");
        } else if (name == "number of frequencies") {
            const double count = Number(rest);
            if (count < 1 || count != std::floor(count))
                Fail("[Number of Frequencies] must be a whole number of at least 1");
            declaredFrequencies_ = static_cast<std::size_t>(count);
            const std::size_t reserved = std::min<std::size_t>(declaredFrequencies_, std::size_t{1} << 24);
            result_.frequencyHz.reserve(reserved);
            result_.gamma.reserve(reserved);
        } else if (name == "number of noise frequencies") {
            Number(rest);
        } else if (name == "reference") {
            if (ports_ == 0)
                Fail("[Reference] before [Number of Ports]");
            referencesWanted_ = ports_;
            if (!rest.empty())
                References(rest);
        } else if (name == "matrix format") {
            if (AsciiLower(rest) != "full")
                Fail("[Matrix Format] " + std::string(rest) + " is not read; save the full matrix");
        } else if (name == "mixed-mode order") {
            Fail("mixed-mode parameters are not read; save single-ended S-parameters");
        } else if (name == "begin information") {
            skipping_ = Skip::Information;
        } else if (name == "network data") {
            networkData_ = true;
        } else if (name == "noise data") {
            skipping_ = Skip::Noise;
        } else {
            Fail("unknown keyword [" + std::string(line.substr(1, close - 1)) + "]");
        }
    }

    // The reference impedances, one per port, possibly over several lines; only
    // the selected port's one matters.
    void References(std::string_view text)
    {
        for (std::string_view token = NextToken(text); !token.empty(); token = NextToken(text)) {
            if (referencesWanted_ == 0)
                Fail("more [Reference] values than ports");
            const double ohms = Number(token);
            if (!(ohms > 0.0))
                Fail("a reference impedance must be above 0 ohms");
            if (ports_ - referencesWanted_ + 1 == std::max(port_, 1))
                portReferenceOhms_ = ohms;
            --referencesWanted_;
        }
    }

    std::string CountMessage(std::size_t found) const
    {
        return "expected " + std::to_string(recordSize_) + " numbers for a frequency (the frequency and "
               + std::to_string(recordSize_ / 2) + " complex values), found " + std::to_string(found);
    }

    void DataLine(std::string_view text)
    {
        if (version2_ && !networkData_)
            Fail("numbers before [Network Data]");
        if (ports_ == 0)
            Fail("cannot tell the number of ports: name the file .s1p, .s2p, ... or give [Number of Ports]");
        // One- and two-port data keep each frequency on one line; larger matrices
        // run over several lines, but every frequency starts on a line of its own.
        if (inRecord_ > 0 && ports_ <= 2)
            throw MeasuredError(path_, recordLine_, CountMessage(inRecord_));
        bool lineStart = true;
        for (std::string_view token = NextToken(text); !token.empty(); token = NextToken(text), lineStart = false) {
            if (inRecord_ == 0) {
                if (!lineStart)
                    Fail(ports_ <= 2 ? CountMessage(CountTokens(Trimmed(text)) + recordSize_ + 1)
                                     : "a new frequency must start a line; expected " + std::to_string(recordSize_)
                                           + " numbers for a frequency");
                if (StartRecord(token, text))
                    return;
            } else if (inRecord_ == selectedValue_) {
                first_ = Number(token);
            } else if (inRecord_ == selectedValue_ + 1) {
                second_ = Number(token);
            } else if (!LooksNumeric(token)) {
                Number(token);  // says what is wrong
            }
            if (++inRecord_ == recordSize_)
                EndRecord();
        }
    }

    // Reads the frequency that opens a record; true when it opens the noise
    // block instead, which then takes the whole line.
    bool StartRecord(std::string_view token, std::string_view restOfLine)
    {
        const auto frequency = ParseScaled(token, unitExponent_);
        if (!frequency)
            Fail(Quoted(token) + " is not a frequency");
        if (*frequency < 0.0)
            Fail("negative frequency " + std::string(token));
        if (!result_.frequencyHz.empty() && *frequency <= result_.frequencyHz.back()) {
            // Version 1 puts a two-port's noise parameters, five numbers a line,
            // straight after the network data, starting again at a lower frequency.
            if (!version2_ && ports_ == 2 && CountTokens(restOfLine) == 4) {
                noiseBlock_ = true;
                return true;
            }
            Fail("frequency " + FrequencyText(*frequency) + " Hz is not above the one before, "
                 + FrequencyText(result_.frequencyHz.back()) + " Hz");
        }
        frequencyHz_ = *frequency;
        recordLine_ = lines_.number();
        return false;
    }

    void EndRecord()
    {
        inRecord_ = 0;
        std::complex<double> s;
        switch (format_) {
        case Format::RealImaginary:
            s = {first_, second_};
            break;
        case Format::MagnitudeAngle:
        case Format::DecibelAngle: {
            const double magnitude = format_ == Format::MagnitudeAngle ? first_ : std::pow(10.0, first_ / 20.0);
            const double radians = second_ * (std::numbers::pi / 180.0);
            s = {magnitude * std::cos(radians), magnitude * std::sin(radians)};
            break;
        }
        }
        const double referenceOhms = portReferenceOhms_.value_or(referenceOhms_);
        result_.frequencyHz.push_back(frequencyHz_);
        result_.gamma.push_back(Renormalized(s, referenceOhms, systemOhms_));
    }

    void NoiseLine(std::string_view text)
    {
        const std::size_t count = CountTokens(text);
        if (count != 5)
            Fail("noise parameters take 5 numbers a line, found " + std::to_string(count));
        for (std::string_view token = NextToken(text); !token.empty(); token = NextToken(text))
            Number(token);
    }

    void Finish()
    {
        if (inRecord_ > 0)
            throw MeasuredError(path_, recordLine_, CountMessage(inRecord_));
        if (referencesWanted_ > 0)
            Fail("[Reference] needs " + std::to_string(ports_) + " values");
        if (result_.frequencyHz.empty())
            Fail("no network data");
        if (declaredFrequencies_ != 0 && declaredFrequencies_ != result_.frequencyHz.size())
            Fail("[Number of Frequencies] says " + std::to_string(declaredFrequencies_) + ", the data holds "
                 + std::to_string(result_.frequencyHz.size()));
    }

    std::string path_;
    int port_;
    double systemOhms_;
    LineSource lines_;

    int ports_ = 0;
    std::size_t recordSize_ = 0;
    std::size_t selectedValue_ = 0;  // index of the selected reflection's first number in a record
    int unitExponent_ = 9;           // GHz unless the option line says otherwise
    Format format_ = Format::MagnitudeAngle;
    double referenceOhms_ = 50.0;
    std::optional<double> portReferenceOhms_;  // from [Reference], which overrides R
    bool optionsSeen_ = false;
    bool version2_ = false;
    bool networkData_ = false;
    bool noiseBlock_ = false;
    bool ended_ = false;
    Skip skipping_ = Skip::Nothing;
    int referencesWanted_ = 0;
    std::size_t declaredFrequencies_ = 0;

    std::size_t inRecord_ = 0;  // numbers of the current frequency read so far
    long recordLine_ = 0;
    double frequencyHz_ = 0.0;
    double first_ = 0.0;
    double second_ = 0.0;
    Reflection result_;
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

Reflection ReadReflection(const std::string& path, std::string_view choice, double systemOhms)
{
    int port = 0;
    if (!choice.empty()) {
        const std::string_view digits = choice.substr(1);
        const std::string_view row = digits.substr(0, digits.size() / 2);
        if (AsciiLower(choice.substr(0, 1)) != "s" || digits.size() % 2 != 0 || row != digits.substr(digits.size() / 2)
            || row.empty() || row.front() == '0' || std::from_chars(row.data(), row.data() + row.size(), port).ec != std::errc{})
            throw MeasuredError(path, 0, "name a reflection Skk, such as " + path + ":S22");
    }
    return Parser(path, port, systemOhms).Run();
}

TwoPort ReadTwoPort(const std::string& path, double)
{
    throw MeasuredError(path, 0, "two-port files are not read yet");
}

FileChoice SplitFileChoice(std::string_view text)
{
    const std::size_t colon = text.rfind(':');
    if (colon != std::string_view::npos) {
        const std::string_view suffix = text.substr(colon + 1);
        const auto number = [](std::string_view digits) {
            return !digits.empty() && std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
        };
        const std::string kind = AsciiLower(suffix.substr(0, 1));
        const std::string_view rest = suffix.substr(std::min<std::size_t>(1, suffix.size()));
        const std::size_t comma = rest.find(',');
        const bool single = kind == "s" && number(rest);
        const bool pair = (kind == "d" || kind == "c") && comma != std::string_view::npos && number(rest.substr(0, comma))
                          && number(rest.substr(comma + 1));
        if (single || pair)
            return {std::string(text.substr(0, colon)), std::string(suffix)};
    }
    return {std::string(text), {}};
}

}  // namespace corvalen::measured
