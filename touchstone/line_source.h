// SPDX-License-Identifier: MIT
#pragma once

// The lines of a text file, read in large chunks so that a file of any size
// costs one buffer. Line ends may be LF, CR LF or CR alone.

#include "tokens.h"

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace corvalen::touchstone {

// How far reads have come, and a request to stop them, shared by a thread
// that reads and one that waits for it: a LineSource given one adds the bytes
// of each chunk it reads, and before each chunk throws ReadCancelled once
// `cancelled` is set, so a read nobody wants any more frees the cores at once.
struct ReadProgress {
    std::atomic<std::uint64_t> bytesRead{0};
    std::atomic<bool> cancelled{false};
};

// A read stopped through its ReadProgress: no fault of the file, nothing to show.
class ReadCancelled : public std::exception {
public:
    const char* what() const noexcept override { return "read cancelled"; }
};

// Where a line starts in a file, and the number of the line before it: a
// reading of the same file may go on from there (LineSource::Resume).
struct LinePosition {
    std::uint64_t offset = 0;
    long number = 0;
    bool skipLineFeed = false;  // the line before ended in a CR: an LF here is still its end
};

class LineSource {
public:
    // Opens `path`; throws MeasuredError when it cannot be read. `progress`,
    // if given, must outlive the LineSource.
    explicit LineSource(const std::string& path, ReadProgress* progress = nullptr);
    // Reads an open stream, which stays the caller's; `name` stands for it in
    // messages. Reads of a few bytes make every line cross their edges, for tests.
    LineSource(std::FILE* stream, std::string name, std::size_t chunkBytes = kChunkBytes);

    const std::string& name() const { return name_; }
    // The number of the line last handed out, from 1.
    long number() const { return number_; }
    // The size of a regular file, else 0: a hint, not a limit.
    std::size_t FileBytes() const { return fileBytes_; }
    ReadProgress* Progress() const { return progress_; }
    // Whether name() is a path that another LineSource may open to read the file at once.
    bool Reopenable() const { return reopenable_; }
    // The bytes taken from the file so far.
    std::uint64_t BytesTaken() const { return taken_; }
    // Where the line after the one last handed out starts.
    LinePosition Here() const { return {taken_ - end_ + begin_, number_, skipLineFeed_}; }
    std::uint64_t StopsAt() const { return stopAt_; }
    // Lines end at `offset` (a line's start, not yet taken) as at the end of
    // the file; where they ended before, they go on from there.
    void StopAt(std::uint64_t offset)
    {
        stopAt_ = offset;
        atEnd_ = false;
    }
    // Goes on from `position` in the file, which need not be where this
    // LineSource stopped, to the file's end. Throws MeasuredError where the
    // file cannot be read there.
    void Resume(const LinePosition& position);
    // Sets `stream` at `offset` from its start: false where it cannot.
    static bool SeekTo(std::FILE* stream, std::uint64_t offset);

    // The next line without its line end; false after the last one. The view
    // lasts until the next call. Every line handed out holds no control byte
    // other than tab to carriage return, which no text file holds: the
    // tokenizer relies on that (every byte up to the space is a blank). At
    // least kReadBehindBytes readable bytes come before every line and
    // kReadAheadBytes after it (tokens.h). A line
    // longer than the longest a Touchstone file needs is refused, so a file
    // without line ends is never read whole into memory.
    bool Next(std::string_view& line);
    // The line that Next handed out, up to its comment: cut at its first '!'
    // unless its whole chunk holds none.
    std::string_view WithoutComment(std::string_view line) const
    {
        return lineHasBang_ ? line.substr(0, line.find('!')) : line;
    }

    // Refuses the file at the line last handed out, or at `line` (0 where no
    // one line is at fault).
    [[noreturn]] void Fail(const std::string& what) const;
    [[noreturn]] void FailAt(long line, const std::string& what) const;

    static constexpr std::size_t kChunkBytes = 1 << 18;
    static constexpr std::size_t kLongestLine = 1 << 16;

private:
    LineSource(std::FILE* stream, int (*close)(std::FILE*), std::string name, std::size_t chunkBytes);
    // The line carried over from chunk to chunk so far.
    std::string_view Carried() const { return std::string_view(carry_).substr(kReadBehindBytes); }
    bool TakeLine(std::string_view& line);
    std::pair<std::size_t, std::size_t> FindLineEnd();
    void Refill();
    bool HandCarry(std::string_view& line);
    [[noreturn]] void FailBinary() const;
    void RequireText(std::string_view text) const;
    [[noreturn]] void FailTooLong(std::string_view text) const;

    std::string name_;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> owned_;
    std::FILE* stream_;
    std::vector<char> buffer_;
    std::span<char> chunk_;  // in buffer_
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    std::size_t newline_ = 0;   // the next LF at or after begin_, or end_ if the chunk has none
    bool newlineKnown_ = false;
    bool atEnd_ = false;
    bool chunkHasCr_ = false;
    bool chunkHasBang_ = false;
    bool lineHasBang_ = true;  // false: the line handed out holds no '!'
    bool skipLineFeed_ = false;  // a CR ended the chunk: an LF opening the next one belongs to it
    std::size_t firstBad_ = std::string_view::npos;  // in the chunk
    std::string carry_;  // kReadBehindBytes, then the line carried over
    long number_ = 0;
    std::size_t fileBytes_ = 0;
    std::uint64_t taken_ = 0;  // bytes read from the stream, to the end of the chunk
    std::uint64_t stopAt_ = UINT64_MAX;
    bool reopenable_ = false;
    ReadProgress* progress_ = nullptr;
};

}  // namespace corvalen::touchstone
