// SPDX-License-Identifier: MIT
#include "touchstone.h"

#include "ascii.h"
#include "blocks.h"
#include "header.h"
#include "labels.h"
#include "line_source.h"
#include "records.h"
#include "refusals.h"
#include "tokens.h"

#include "platform/file.h"
#include "platform/vector_state.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <optional>
#include <system_error>
#include <type_traits>

namespace corvalen::touchstone {
namespace {

// Where a file is in its reading: every keyword is one rule of what it may
// follow. Version 1 files have no keywords and go from the header to the data
// at their first number, and from the data to the noise block where a two-port's
// frequencies start again.
enum class Section { Header, NetworkData, NoiseData, Information, Ended };

class Parser {
public:
    Parser(LineSource& lines, std::string_view choice, Wanted wanted, double systemOhms,
           ReadThreads threads = ReadThreads::One)
        : lines_(lines), header_(lines), choice_(choice), wanted_(wanted), systemOhms_(systemOhms), threads_(threads)
    {
    }

    // Reads the whole file: the records hold what it gave.
    RecordReader& Run()
    {
        platform::ReleaseUpperVectors();  // before the thread beside starts, which inherits the state
        ReadLines();
        // Block after block from the front while the thread beside reads from the back.
        while (blocks_) {
            if (records_)
                records_->Complete();  // each block's values finished while at hand
            const auto end = section_ == Section::NetworkData ? blocks_->TakeFront() : std::nullopt;
            if (!end) {
                JoinBlocks();
                break;
            }
            lines_.StopAt(*end);
            ReadLines();
        }
        Finish();
        records_->Complete();
        return *records_;
    }

    // Reads the header only: the names its reflections are chosen by.
    std::vector<std::string> Names()
    {
        namesOnly_ = true;
        ReadLines();
        if (!names_ && section_ == Section::Header && !header_.header().version2)
            BeginNetworkData();
        if (!names_)
            lines_.Fail("no network data");
        return *names_;
    }

    // What a whole file read is, as it wrote it; its values stay in the records.
    Network& Described() { return network_; }

private:
    void ReadLines()
    {
        std::string_view line;
        while (section_ != Section::Ended && lines_.Next(line)) {
            // Most lines of a one- or two-port's data are a record and nothing else.
            if (section_ == Section::NetworkData && !header_.WantsReferences() && records_->WholeRecord(line))
                continue;
            if (lines_.number() == 1 && line.starts_with("\xEF\xBB\xBF"))
                line.remove_prefix(3);
            line = Trimmed(lines_.WithoutComment(line));
            if (line.empty())
                continue;
            if (section_ == Section::Information) {
                if (line.front() == '[' && KeywordName(line) == "end information")
                    section_ = resume_;
                continue;
            }
            if (line.front() == '[')
                Keyword(line);
            else if (header_.WantsReferences())
                header_.References(line);
            else if (line.front() == '#')
                header_.Options(line.substr(1));
            else if (section_ == Section::NoiseData)
                NoiseLine(line);
            else
                DataLine(line);
        }
    }

    std::string KeywordName(std::string_view line) const
    {
        const std::size_t close = line.find(']');
        if (close == std::string_view::npos)
            lines_.Fail("keyword without ']'");
        return AsciiLower(line.substr(1, close - 1));
    }

    void Keyword(std::string_view line)
    {
        const std::string name = KeywordName(line);
        const std::string shown(line.substr(1, name.size()));
        if (header_.WantsReferences())
            lines_.Fail("[Reference] needs " + std::to_string(header_.header().ports) + " values");
        if (name == "end") {
            EndNetworkData();
            section_ = Section::Ended;
        } else if (name == "begin information") {
            resume_ = section_;
            section_ = Section::Information;
        } else if (name == "end information") {
            lines_.Fail("[End Information] without [Begin Information]");
        } else if (section_ == Section::NoiseData) {
            lines_.Fail("keyword [" + shown + "] after [Noise Data]");
        } else if (name == "noise data") {
            BeginNoiseData();
        } else if (name != "network data" && !HeaderReader::Reads(name)) {
            lines_.Fail("unknown keyword [" + shown + "]");
        } else if (section_ != Section::Header) {
            lines_.Fail("[" + shown + "] must come before the network data");
        } else if (name == "network data") {
            BeginNetworkData();
            StartBlocks({});
        } else {
            header_.Keyword(name, Trimmed(line.substr(line.find(']') + 1)));
        }
    }

    void BeginNetworkData()
    {
        const Header& header = header_.Complete();
        if (namesOnly_) {
            names_ = ReflectionNames(header.ports, header.order);
            section_ = Section::Ended;
            return;
        }
        std::vector<double> portOhms = header_.PortOhms();
        MatrixReferences references = ReferencesOf(header.order, portOhms, systemOhms_);
        std::size_t chosen = 0;
        if (wanted_ == Wanted::TwoPort) {
            if (header.ports != 2)
                lines_.FailAt(header.portsLine != 0 ? header.portsLine : lines_.number(),
                              "a two-port is needed between source and load; this file has "
                                  + std::to_string(header.ports) + " ports");
            if (!header.order.empty())
                lines_.Fail("holds mixed-mode parameters; a two-port between source and load needs single-ended ones");
        } else if (wanted_ == Wanted::Reflection) {
            chosen = ChosenPort(choice_, header.ports, header.order, lines_);
        }
        if (wanted_ == Wanted::Network)
            DescribeNetwork(references.referenceOhms);
        records_.emplace(lines_, header, references, wanted_, chosen, systemOhms_);
        references_ = std::move(references);
        chosen_ = chosen;
        // Kept for a reader of the result to say what the file was given against.
        records_->twoPort.portOhms = portOhms;
        records_->reflection.portOhms = std::move(portOhms);
        section_ = Section::NetworkData;
    }

    // Before this thread's own memory is set up, so that the thread beside
    // reads meanwhile: `firstLine` of the data, where known, sizes its memory.
    void StartBlocks(std::string_view firstLine)
    {
        if (!namesOnly_ && threads_ == ReadThreads::Two && header_.header().ports <= 2)
            blocks_ = Blocks::Start(lines_, header_.header(), references_, wanted_, chosen_, systemOhms_, firstLine);
    }

    // Read from the front to where the thread beside started: takes the
    // records of the later pieces in turn while they go on from those before,
    // and reads on from where they stop (the first piece not read whole);
    // outside the data, from where this thread stopped. After [End] nothing more is read.
    void JoinBlocks()
    {
        const std::unique_ptr<Blocks> blocks = std::move(blocks_);
        if (section_ == Section::Ended)
            return;
        LinePosition resume = lines_.Here();
        if (section_ == Section::NetworkData) {
            for (const Blocks::Piece* piece : blocks->Finish()) {
                if (!records_->Append(*piece->records, piece->count))
                    break;
                resume = {piece->stop.offset, resume.number + piece->stop.number, piece->stop.skipLineFeed};
                if (piece->stop.offset != piece->end)
                    break;
            }
        }
        lines_.Resume(resume);
        ReadLines();
    }

    // What the file is, as it wrote it, beside its values.
    void DescribeNetwork(const std::vector<double>& referenceOhms)
    {
        const Header& header = header_.header();
        network_.ports = header.ports;
        network_.referenceOhms = referenceOhms;
        network_.parameter = static_cast<char>(TypeName(header.type)[0] - 'a' + 'A');
        network_.format = header.format == Format::RealImaginary    ? "RI"
                          : header.format == Format::MagnitudeAngle ? "MA"
                                                                    : "DB";
        network_.version = header.version2 ? "2." + std::to_string(header.minorVersion) : "1";
        for (const MatrixPort& port : header.order)
            network_.labels.push_back(port.Label());
    }

    void DataLine(std::string_view line)
    {
        if (section_ == Section::Header) {
            // Version 2 needs [Network Data] here; Finish reads the data without
            // it only where it holds every declared frequency.
            networkDataMissing_ = header_.header().version2;
            BeginNetworkData();
            if (namesOnly_)
                return;
            StartBlocks(line);
            records_->ReserveByFileSize(line, lines_.FileBytes());
        }
        if (records_->Line(line)) {
            section_ = Section::NoiseData;
            NoiseLine(line);
        }
    }

    void BeginNoiseData()
    {
        if (section_ != Section::NetworkData)
            lines_.Fail("[Noise Data] before [Network Data]");
        const int ports = header_.header().ports;
        if (ports != 2)
            lines_.Fail("noise parameters are for two-ports only; this file has " + std::to_string(ports) + " ports");
        EndNetworkData();
        section_ = Section::NoiseData;
        noiseLine_ = lines_.number();
    }

    void NoiseLine(std::string_view text)
    {
        const std::size_t count = CountTokens(text);
        if (count != 5)
            lines_.Fail("noise parameters take 5 numbers a line, found " + std::to_string(count));
        for (std::string_view token = NextToken(text); !token.empty(); token = NextToken(text))
            RequireNumber(lines_, token);
        ++noiseFrequencies_;
    }

    void EndNetworkData() const
    {
        if (records_)
            records_->End();
    }

    void Finish()
    {
        const Header& header = header_.header();
        if (header_.WantsReferences())
            lines_.Fail("[Reference] needs " + std::to_string(header.ports) + " values");
        if (section_ == Section::Header && !header.version2)
            BeginNetworkData();  // says which reflection to choose before that there is no data
        EndNetworkData();
        const std::size_t frequencies = records_ ? records_->Frequencies().size() : 0;
        if (frequencies == 0)
            lines_.Fail("no network data");
        const bool endMissing = header.version2 && section_ != Section::Ended;
        // [End] and the count are how a file shows that its data is all there.
        if (endMissing && frequencies < header.declaredFrequencies)
            lines_.Fail("the data stops after " + std::to_string(frequencies) + " of the "
                        + std::to_string(header.declaredFrequencies) + " declared frequencies, without [End]");
        if (header.declaredFrequencies != 0 && header.declaredFrequencies != frequencies)
            lines_.Fail("[Number of Frequencies] says " + std::to_string(header.declaredFrequencies)
                        + ", the data holds " + std::to_string(frequencies));
        if (header.version2 && (noiseLine_ != 0 || header.declaredNoiseFrequencies != 0)
            && header.declaredNoiseFrequencies != noiseFrequencies_)
            lines_.Fail(noiseLine_ == 0 ? "[Number of Noise Frequencies] without [Noise Data]"
                                        : "[Number of Noise Frequencies] says "
                                              + std::to_string(header.declaredNoiseFrequencies)
                                              + ", [Noise Data] holds " + std::to_string(noiseFrequencies_));
        if (networkDataMissing_ || endMissing)
            records_->Warn(lines_.name() + ": no " + (networkDataMissing_ ? "[Network Data] before " : "")
                                + (networkDataMissing_ && endMissing ? "and no " : "")
                                + (endMissing ? "[End] after " : "") + "the " + std::to_string(frequencies)
                                + (frequencies == 1 ? " declared frequency" : " declared frequencies")
                                + "; read as complete");
    }

    LineSource& lines_;
    HeaderReader header_;
    std::string choice_;
    Wanted wanted_;
    double systemOhms_;

    Section section_ = Section::Header;
    Section resume_ = Section::Header;  // where [End Information] returns to
    std::optional<RecordReader> records_;  // from the start of the network data
    std::size_t noiseFrequencies_ = 0;
    long noiseLine_ = 0;
    bool networkDataMissing_ = false;
    bool namesOnly_ = false;
    std::optional<std::vector<std::string>> names_;
    Network network_;  // what the file is, without its values
    ReadThreads threads_;
    MatrixReferences references_;  // of the network data, for the thread beside
    std::size_t chosen_ = 0;
    std::unique_ptr<Blocks> blocks_;  // last: stopped before what it reads with goes
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

// S, D or C, a digit, then digits, letters and commas: a reflection's name,
// or one mistyped, and no file name's ending (no point, no separator).
bool ShapedLikeChoice(std::string_view text)
{
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    const auto isLetter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    return text.size() >= 2 && std::string_view("SsDdCc").find(text[0]) != std::string_view::npos && isDigit(text[1])
           && std::all_of(text.begin(), text.end(), [&](char c) { return isDigit(c) || isLetter(c) || c == ','; });
}

template <typename Result>
Result Read(LineSource& lines, std::string_view choice, Wanted wanted, double systemOhms,
            ReadThreads threads = ReadThreads::One)
{
    Parser parser(lines, choice, wanted, systemOhms, threads);
    RecordReader& records = parser.Run();
    if constexpr (std::is_same_v<Result, Reflection>) {
        return std::move(records.reflection);
    } else if constexpr (std::is_same_v<Result, TwoPort>) {
        return std::move(records.twoPort);
    } else {
        Network network = std::move(parser.Described());
        network.frequencyHz = std::move(records.network.frequencyHz);
        network.s = std::move(records.network.s);
        network.warnings = std::move(records.network.warnings);
        return network;
    }
}

}  // namespace

std::vector<std::string> ReflectionChoices(const std::string& path)
{
    LineSource lines(path);
    return Parser(lines, {}, Wanted::Reflection, 50.0).Names();
}

Reflection ReadReflection(const std::string& path, std::string_view choice, double systemOhms,
                          ReadProgress* progress, ReadThreads threads)
{
    LineSource lines(path, progress);
    return Read<Reflection>(lines, choice, Wanted::Reflection, systemOhms, threads);
}

Reflection ReadReflection(std::FILE* stream, const std::string& name, std::string_view choice, double systemOhms,
                          std::size_t chunkBytes)
{
    LineSource lines(stream, name, chunkBytes);
    return Read<Reflection>(lines, choice, Wanted::Reflection, systemOhms);
}

TwoPort ReadTwoPort(const std::string& path, double systemOhms, ReadProgress* progress, ReadThreads threads)
{
    LineSource lines(path, progress);
    return Read<TwoPort>(lines, {}, Wanted::TwoPort, systemOhms, threads);
}

TwoPort ReadTwoPort(std::FILE* stream, const std::string& name, double systemOhms, std::size_t chunkBytes)
{
    LineSource lines(stream, name, chunkBytes);
    return Read<TwoPort>(lines, {}, Wanted::TwoPort, systemOhms);
}

Network ReadNetwork(const std::string& path, ReadProgress* progress, ReadThreads threads)
{
    LineSource lines(path, progress);
    return Read<Network>(lines, {}, Wanted::Network, 50.0, threads);
}

FileChoice SplitFileChoice(std::string_view text)
{
    const std::size_t colon = text.rfind(':');
    if (colon == std::string_view::npos)
        return {std::string(text), {}};
    const std::string_view suffix = text.substr(colon + 1);
    // Shaped like a name but not one (S10,10, S2x, D1): the reader refuses it
    // as a choice, naming it, where the whole text would only be a file that
    // cannot be opened; unless a file has that whole name.
    std::error_code ignored;
    if (ParseLabel(suffix)
        || (ShapedLikeChoice(suffix) && !std::filesystem::exists(platform::PathFromUtf8(std::string(text)), ignored)))
        return {std::string(text.substr(0, colon)), std::string(suffix)};
    return {std::string(text), {}};
}

}  // namespace corvalen::touchstone
