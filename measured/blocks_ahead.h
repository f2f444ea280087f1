// SPDX-License-Identifier: MIT
#pragma once

// A run's rows in blocks, filled by a helper thread and by the thread that hands
// them on, each block by whichever of the two is free first, in order, up to a few
// blocks past the one handed on next. The thread handing on waits only where the
// block it needs is being filled and no block within reach is left to claim, so a
// helper held up by other work on the machine costs little.

#include "values.h"

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <span>
#include <thread>
#include <vector>

namespace corvalen::measured {

class BlocksAhead {
public:
    static constexpr std::size_t kAhead = 4;  // blocks in memory at once
    // Fills rows first to first + rows.size() - 1 of the run; called on either thread,
    // for a block at a time.
    using Fill = std::function<void(std::size_t first, std::span<RowValues> rows)>;

    BlocksAhead(std::size_t rows, std::size_t blockRows, Fill fill);
    // Stops the helper and waits for it, whatever it was filling.
    ~BlocksAhead();
    BlocksAhead(const BlocksAhead&) = delete;
    BlocksAhead& operator=(const BlocksAhead&) = delete;

    std::size_t Blocks() const { return blocks_; }
    // Block k, the next to hand on (0, 1, 2 ... in turn), once it is filled; rethrows
    // what filling a block threw. Its rows stay until HandedOn(k).
    std::span<const RowValues> Next(std::size_t k);
    void HandedOn(std::size_t k);

private:
    std::span<RowValues> Room(std::size_t block);
    // Claims the next block if it lies within reach and fills it, the lock released
    // meanwhile; false where there was none to claim.
    bool FillOne(std::unique_lock<std::mutex>& lock);
    void Help();

    std::size_t rows_;
    std::size_t blockRows_;
    std::size_t blocks_;
    Fill fill_;
    std::vector<RowValues> room_;  // kAhead blocks, block b in place b % kAhead
    std::mutex mutex_;
    std::condition_variable changed_;
    // Under mutex_:
    std::vector<bool> filled_;     // by place
    std::size_t claimed_ = 0;      // blocks claimed so far
    std::size_t handed_ = 0;       // blocks handed on so far
    bool stop_ = false;
    std::exception_ptr failed_;
    std::thread helper_;           // started last, when all else is set
};

}  // namespace corvalen::measured
