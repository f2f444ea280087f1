// SPDX-License-Identifier: MIT
#include "blocks.h"

#include "tokens.h"
#include "touchstone.h"

#include "platform/file.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace corvalen::touchstone {
namespace {

// Below this a thread's start and the join cost about what it saves.
constexpr std::uint64_t kSmallestSplitBytes = std::uint64_t{1} << 20;
// Blocks small enough that a thread beside that runs late or is held up
// keeps the other waiting little, large enough to cost little each.
constexpr std::uint64_t kMostBlocks = 8;
constexpr std::uint64_t kSmallestBlockBytes = LineSource::kChunkBytes;

// The benchmark builds the reader once without the blocks, to weigh them.
#ifdef CORVALEN_PLAIN_BLOCKS
constexpr bool kBlocks = false;
#else
constexpr bool kBlocks = true;
#endif

// The first line start after `offset`: just past the next line feed, which a
// file of CRs alone lacks; none within `bytes` leaves the blocks around it joined.
std::optional<std::uint64_t> LineStartAfter(std::FILE* file, std::uint64_t offset, std::vector<char>& bytes)
{
    if (!LineSource::SeekTo(file, offset))
        return std::nullopt;
    const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), file);
    const void* lineFeed = std::memchr(bytes.data(), '\n', got);
    if (!lineFeed)
        return std::nullopt;
    return offset + static_cast<std::uint64_t>(static_cast<const char*>(lineFeed) - bytes.data()) + 1;
}

}  // namespace

std::vector<std::uint64_t> BlockStarts(const LineSource& lines)
{
    const std::uint64_t fileBytes = lines.FileBytes();
    const std::uint64_t from = lines.Here().offset;
    std::vector<std::uint64_t> starts;
    if (!kBlocks || !lines.Reopenable() || fileBytes < kSmallestSplitBytes || from >= fileBytes
        || std::thread::hardware_concurrency() < 2)
        return starts;
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(platform::OpenToRead(lines.name()), &std::fclose);
    if (!file)
        return starts;
    const std::uint64_t count = std::min(kMostBlocks, (fileBytes - from) / kSmallestBlockBytes);
    std::vector<char> bytes(4096);
    for (std::uint64_t i = 1; i < count; ++i) {
        const std::optional<std::uint64_t> start = LineStartAfter(file.get(), from + (fileBytes - from) * i / count, bytes);
        if (start && *start > lines.BytesTaken() && *start < fileBytes && (starts.empty() || *start > starts.back()))
            starts.push_back(*start);
    }
    if (!starts.empty())
        starts.push_back(fileBytes);
    return starts;
}

std::unique_ptr<Blocks> Blocks::Start(LineSource& lines, const Header& header, const MatrixReferences& references,
                                      Wanted wanted, std::size_t chosen, double systemOhms,
                                      std::string_view firstLine)
{
    std::vector<std::uint64_t> starts = BlockStarts(lines);
    if (starts.empty())
        return nullptr;
    const std::uint64_t firstStop = starts.front();
    try {
        auto blocks = std::make_unique<Blocks>(std::move(starts), lines.name(), lines.Progress(), header, references,
                                               wanted, chosen, systemOhms, firstLine);
        lines.StopAt(firstStop);
        return blocks;
    } catch (const MeasuredError&) {
        return nullptr;  // the file cannot be opened again: read on one thread
    }
}

Blocks::Blocks(std::vector<std::uint64_t> starts, const std::string& path, ReadProgress* progress,
               const Header& header, const MatrixReferences& references, Wanted wanted, std::size_t chosen,
               double systemOhms, std::string_view firstLine)
    : starts_(std::move(starts)), pieces_(starts_.size() - 1), begin_(pieces_.size() / 2), next_(begin_),
      back_(pieces_.size()), path_(path), progress_(progress), header_(header), references_(references),
      wanted_(wanted), chosen_(chosen), systemOhms_(systemOhms), besideLines_(std::in_place, path, progress)
{
    Piece& piece = pieces_[begin_];
    piece.stop = {starts_[begin_], 0, false};
    piece.records.emplace(*besideLines_, header_, references_, wanted_, chosen_, systemOhms_, false);
    // Its memory is taken on this thread, which frees it too, before the
    // thread starts: what one read frees is at hand for the next.
    piece.records->ReserveByFileSize(firstLine, static_cast<std::size_t>(starts_.back() - starts_[begin_]));
    reserved_ = !firstLine.empty();
    thread_ = std::jthread([this](const std::stop_token& stop) { Run(stop); });
}

std::optional<std::uint64_t> Blocks::TakeFront()
{
    const std::lock_guard lock(taking_);
    if (front_ == begin_ && next_ == begin_)
        begin_ = next_ = back_;  // the thread beside has not started: the rest is this one's
    if (front_ == begin_)
        return std::nullopt;
    return starts_[++front_];
}

std::vector<const Blocks::Piece*> Blocks::Finish()
{
    std::optional<LineSource>& lines = backLines_;
    for (;;) {
        std::size_t index = 0;
        {
            const std::lock_guard lock(taking_);
            if (back_ == next_)
                break;
            index = --back_;
        }
        try {
            if (!lines)
                lines.emplace(path_, progress_);
            lines->Resume({starts_[index], 0, false});
            lines->StopAt(starts_[index + 1]);
        } catch (...) {
            break;  // read on one thread at the join
        }
        Read(*lines, pieces_[index], starts_[index], starts_[index + 1] - starts_[index], {});
    }
    thread_.join();
    std::vector<const Piece*> pieces;
    for (std::size_t index = begin_; index < pieces_.size(); ++index)
        if (pieces_[index].records)
            pieces.push_back(&pieces_[index]);
    return pieces;
}

void Blocks::Run(const std::stop_token& stop)
{
    {
        const std::lock_guard lock(taking_);
        if (next_ == back_)
            return;  // the other thread took it all
        ++next_;
    }
    Piece& piece = pieces_[begin_];
    try {
        LineSource& lines = *besideLines_;
        lines.Resume({starts_[begin_], 0, false});
        for (std::size_t end = begin_ + 1;; ++end) {
            lines.StopAt(starts_[end]);
            if (!Read(lines, piece, starts_[begin_], reserved_ ? 0 : starts_.back() - starts_[begin_], stop))
                break;
            const std::lock_guard lock(taking_);
            if (next_ == back_)
                return;
            ++next_;
        }
    } catch (...) {
        // The file cannot be read there: read on one thread at the join.
    }
    const std::lock_guard lock(taking_);
    back_ = next_;  // none of the rest is needed: it is read on one thread at the join
}

bool Blocks::Read(LineSource& lines, Piece& piece, std::uint64_t pieceStart, std::uint64_t mostBytes,
                  const std::stop_token& stop)
{
    piece.end = lines.StopsAt();
    if (!piece.records) {
        piece.stop = {pieceStart, 0, false};
        piece.records.emplace(lines, header_, references_, wanted_, chosen_, systemOhms_, false);
    }
    RecordReader& records = *piece.records;
    bool whole = false;
    try {
        std::string_view line;
        while (!stop.stop_requested() && lines.Next(line)) {
            const bool record = records.WholeRecord(line);
            if (!record && !Trimmed(lines.WithoutComment(line)).empty())
                break;
            if (record && piece.count == 0)
                records.ReserveByFileSize(line, static_cast<std::size_t>(mostBytes));
            piece.count = records.Frequencies().size();
            piece.stop = lines.Here();
        }
        whole = piece.stop.offset == piece.end;
    } catch (...) {
        // Whatever stopped it (a refusal, a cancelled read, no memory), the
        // reading on one thread meets it again from piece.stop and deals with it.
    }
    // The records read so far are whole: this thread finishes their values.
    records.Complete();
    return whole;
}

}  // namespace corvalen::touchstone
