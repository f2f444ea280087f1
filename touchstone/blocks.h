// SPDX-License-Identifier: MIT
#pragma once

// A large file's data read on two threads at once. Past the header it is cut
// at line starts into blocks. The reader goes on through them from the front;
// a thread beside it reads on from the middle, block after block, into values
// of its own; once the reader gets to the middle, it takes what is left from
// the back. A thread beside that has not started by then gets nothing, so a
// machine whose cores are busy pays for little more than its start.
// The thread beside keeps only what the reading on one thread keeps at once,
// whole records each on a line of its own (and lines with nothing but a
// comment), and stops at its first other line: from there on the file is
// read on one thread again, so that every warning and refusal, and its line
// number, is the one thread's own.

#include "header.h"
#include "labels.h"
#include "line_source.h"
#include "records.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

namespace corvalen::touchstone {

// Where the blocks of what is left of `lines`' file start, line starts past
// what it has taken, then the file's end; empty where the file is too small to
// gain, cannot be opened again or has no line feeds to cut at.
std::vector<std::uint64_t> BlockStarts(const LineSource& lines);

class Blocks {
public:
    // The blocks of what is left of `lines`' file (BlockStarts), the first
    // set as where `lines` stops, with the thread beside started, its memory
    // taken here, sized by `firstLine` of the data where it is known; null
    // where there are none. `header` must outlive the Blocks.
    static std::unique_ptr<Blocks> Start(LineSource& lines, const Header& header, const MatrixReferences& references,
                                         Wanted wanted, std::size_t chosen, double systemOhms,
                                         std::string_view firstLine);

    // Where the next block from the front ends, for the caller's thread to
    // read on to; none once the rest is the thread beside's.
    std::optional<std::uint64_t> TakeFront();

    struct Piece {
        std::uint64_t end = 0;
        std::optional<RecordReader> records;
        std::size_t count = 0;  // records read before `stop`
        LinePosition stop;      // where its reading ended; line numbers counted from its start
    };
    // Reads the blocks left from the back, then waits for the thread beside:
    // what it read, then those blocks, in the file's order.
    std::vector<const Piece*> Finish();

    Blocks(std::vector<std::uint64_t> starts, const std::string& path, ReadProgress* progress, const Header& header,
           const MatrixReferences& references, Wanted wanted, std::size_t chosen, double systemOhms,
           std::string_view firstLine);

private:
    void Run(const std::stop_token& stop);
    // Reads `lines` to where it stops into `piece`, which starts at `pieceStart`
    // and holds at most `mostBytes`: false where a line of any other kind or
    // a failure stopped it first.
    bool Read(LineSource& lines, Piece& piece, std::uint64_t pieceStart, std::uint64_t mostBytes,
              const std::stop_token& stop);

    std::vector<std::uint64_t> starts_;  // of each block, then the file's end
    std::vector<Piece> pieces_;            // the thread beside's at its first block; others at their own
    std::mutex taking_;
    std::size_t front_ = 0;  // the next block from the front
    std::size_t begin_;      // the thread beside's first block
    std::size_t next_;       // its next block
    std::size_t back_;       // one past the next block from the back

    std::string path_;
    ReadProgress* progress_;
    const Header& header_;
    MatrixReferences references_;
    Wanted wanted_;
    std::size_t chosen_;
    double systemOhms_;
    std::optional<LineSource> besideLines_;  // the thread beside's
    bool reserved_ = false;                  // its values' room set up before it started
    std::optional<LineSource> backLines_;    // for the blocks taken from the back
    std::jthread thread_;  // last: stopped and joined before the rest goes
};

}  // namespace corvalen::touchstone
