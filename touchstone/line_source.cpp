// SPDX-License-Identifier: MIT
#include "line_source.h"

#include "tokens.h"
#include "touchstone.h"
#include "platform/file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include <sys/stat.h>

namespace corvalen::touchstone {
namespace {

// Control characters other than tab to carriage return, written as plain
// range tests so that the scan below compiles to vector instructions.
bool IsBinary(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return (byte < '\t') | (static_cast<unsigned char>(byte - 0x0e) < 0x12) | (byte == 0x7f);
}

// The offset of the first byte that no text file holds, or npos, and whether
// the text holds a carriage return or a '!'. The loop without an early exit
// checks many bytes at a time; the search runs only on a hit.
std::size_t FirstBinaryByte(std::string_view text, bool* carriageReturn = nullptr, bool* bang = nullptr)
{
    unsigned char any = 0;
    unsigned char cr = 0;
    unsigned char exclamation = 0;
    for (const char c : text) {
        any |= static_cast<unsigned char>(IsBinary(c));
        cr |= static_cast<unsigned char>(c == '\r');
        exclamation |= static_cast<unsigned char>(c == '!');
    }
    if (carriageReturn)
        *carriageReturn = cr != 0;
    if (bang)
        *bang = exclamation != 0;
    if (!any)
        return std::string_view::npos;
    return static_cast<std::size_t>(std::find_if(text.begin(), text.end(), IsBinary) - text.begin());
}

std::FILE* Open(const std::string& path)
{
    std::FILE* file = platform::OpenToRead(path);
    const int openError = errno;  // before anything else can change it
    std::error_code ignored;
    if (std::filesystem::is_directory(platform::PathFromUtf8(path), ignored)) {
        if (file)
            std::fclose(file);
        throw MeasuredError(path, 0, "is a directory, not a Touchstone file");
    }
    if (!file)
        throw MeasuredError(path, 0, std::string("cannot open: ") + std::strerror(openError));
    return file;
}

int KeepOpen(std::FILE*) { return 0; }

std::size_t RegularFileBytes(std::FILE* stream)
{
    struct stat status {};
    if (::fstat(::fileno(stream), &status) != 0 || !S_ISREG(status.st_mode) || status.st_size < 0)
        return 0;
    return static_cast<std::size_t>(status.st_size);
}

}  // namespace

LineSource::LineSource(const std::string& path, ReadProgress* progress)
    : LineSource(Open(path), &std::fclose, path, kChunkBytes)
{
    progress_ = progress;
    reopenable_ = true;
}

LineSource::LineSource(std::FILE* stream, std::string name, std::size_t chunkBytes)
    : LineSource(stream, &KeepOpen, std::move(name), chunkBytes)
{
}

// The chunk with room before and after it, for numbers read in whole words
// (tokens.h): the first line starts after kReadBehindBytes, the last one ends
// kReadAheadBytes before the end, and no byte outside the chunk is taken.
LineSource::LineSource(std::FILE* stream, int (*close)(std::FILE*), std::string name, std::size_t chunkBytes)
    : name_(std::move(name)), owned_(stream, close), stream_(stream),
      buffer_(kReadBehindBytes + std::max<std::size_t>(chunkBytes, 1) + kReadAheadBytes),
      chunk_(std::span(buffer_).subspan(kReadBehindBytes, std::max<std::size_t>(chunkBytes, 1))),
      fileBytes_(RegularFileBytes(stream_))
{
}

bool LineSource::Next(std::string_view& line)
{
    if (carry_.size() != kReadBehindBytes)  // the room before a carried line stays as it is
        carry_.assign(kReadBehindBytes, '\0');
    for (;;) {
        if (begin_ < end_) {
            if (TakeLine(line))
                return true;
        } else if (atEnd_) {
            if (Carried().empty())
                return false;
            ++number_;
            return HandCarry(line);
        } else {
            Refill();
        }
    }
}

// The line from begin_, handed out where it ends in the chunk, else carried
// over to the next chunk (false).
bool LineSource::TakeLine(std::string_view& line)
{
    if (skipLineFeed_) {
        skipLineFeed_ = false;
        if (chunk_[begin_] == '\n') {
            ++begin_;
            return false;
        }
    }
    const auto [lineEnd, next] = FindLineEnd();
    const char* const start = chunk_.data() + begin_;
    const std::size_t length = lineEnd - begin_;
    if (lineEnd == end_) {
        carry_.append(start, length);
        begin_ = end_;
        if (Carried().size() > kLongestLine) {
            ++number_;
            FailTooLong(Carried());
        }
        return false;
    }
    const std::size_t lineBegin = begin_;
    begin_ = next;
    ++number_;
    if (Carried().size() + length > kLongestLine)
        FailTooLong(std::string_view(start, length));
    if (!Carried().empty()) {
        carry_.append(start, length);
        return HandCarry(line);
    }
    if (firstBad_ >= lineBegin && firstBad_ < lineEnd)
        FailBinary();
    lineHasBang_ = chunkHasBang_;
    line = std::string_view(start, length);
    return true;
}

// Where the line from begin_ ends (end_ where the chunk holds no line end) and
// where the next one starts.
std::pair<std::size_t, std::size_t> LineSource::FindLineEnd()
{
    const char* const start = chunk_.data() + begin_;
    if (!newlineKnown_ || newline_ < begin_) {
        const void* lf = std::memchr(start, '\n', end_ - begin_);
        newline_ = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - chunk_.data()) : end_;
        newlineKnown_ = true;
    }
    // A CR before the LF ends the line: alone, or as the first half of CR LF.
    const void* cr = chunkHasCr_ ? std::memchr(start, '\r', newline_ - begin_) : nullptr;
    if (!cr)
        return {newline_, newline_ + 1};
    const auto lineEnd = static_cast<std::size_t>(static_cast<const char*>(cr) - chunk_.data());
    skipLineFeed_ = lineEnd + 1 == end_;
    return {lineEnd, lineEnd + 1 < end_ && chunk_[lineEnd + 1] == '\n' ? lineEnd + 2 : lineEnd + 1};
}

void LineSource::Refill()
{
    // One test a chunk: reads without a ReadProgress, as the CLI's, pay nothing more.
    if (progress_ && progress_->cancelled.load(std::memory_order_relaxed))
        throw ReadCancelled();
    begin_ = 0;
    newlineKnown_ = false;
    end_ = std::fread(chunk_.data(), 1, static_cast<std::size_t>(std::min<std::uint64_t>(chunk_.size(), stopAt_ - taken_)),
                      stream_);
    taken_ += end_;
    if (progress_)
        progress_->bytesRead.fetch_add(end_, std::memory_order_relaxed);
    if (end_ < chunk_.size()) {
        if (std::ferror(stream_))
            FailAt(0, std::string("cannot read: ") + std::strerror(errno));
        atEnd_ = true;
    }
    firstBad_ = FirstBinaryByte(std::string_view(chunk_.data(), end_), &chunkHasCr_, &chunkHasBang_);
}

// Past 2 GiB too, where long is 32 bits.
bool LineSource::SeekTo(std::FILE* stream, std::uint64_t offset)
{
#ifdef _WIN32
    return ::_fseeki64(stream, static_cast<__int64>(offset), SEEK_SET) == 0;
#else
    return ::fseeko(stream, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
}

void LineSource::Resume(const LinePosition& position)
{
    if (!SeekTo(stream_, position.offset))
        FailAt(0, std::string("cannot read: ") + std::strerror(errno));
    taken_ = position.offset;
    stopAt_ = UINT64_MAX;
    begin_ = end_ = 0;
    newlineKnown_ = false;
    atEnd_ = false;
    carry_.assign(kReadBehindBytes, '\0');
    number_ = position.number;
    skipLineFeed_ = position.skipLineFeed;
}

void LineSource::Fail(const std::string& what) const { throw MeasuredError(name_, number_, what); }

void LineSource::FailAt(long line, const std::string& what) const { throw MeasuredError(name_, line, what); }

bool LineSource::HandCarry(std::string_view& line)
{
    RequireText(Carried());
    lineHasBang_ = true;
    const std::size_t length = Carried().size();
    carry_.append(kReadAheadBytes, '\0');  // room around it, as around a line in the chunk
    line = std::string_view(carry_.data() + kReadBehindBytes, length);
    return true;
}

void LineSource::FailBinary() const { Fail("binary data, not a Touchstone file"); }

void LineSource::FailTooLong(std::string_view text) const
{
    RequireText(text);  // a binary file is named as such, not as one long line
    Fail("line longer than " + std::to_string(kLongestLine) + " characters");
}

void LineSource::RequireText(std::string_view text) const
{
    if (FirstBinaryByte(text) != std::string_view::npos)
        FailBinary();
}

}  // namespace corvalen::touchstone
