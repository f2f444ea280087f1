// SPDX-License-Identifier: MIT
#include "blocks_ahead.h"

#include <algorithm>

namespace corvalen::measured {

BlocksAhead::BlocksAhead(std::size_t rows, std::size_t blockRows, Fill fill)
    : rows_(rows)
    , blockRows_(blockRows)
    , blocks_((rows + blockRows - 1) / blockRows)
    , fill_(std::move(fill))
    , room_(std::min(blocks_, kAhead) * blockRows)
    , filled_(kAhead, false)
    , helper_([this] { Help(); })
{
}

BlocksAhead::~BlocksAhead()
{
    {
        const std::lock_guard lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    helper_.join();
}

std::span<RowValues> BlocksAhead::Room(std::size_t block)
{
    const std::size_t first = block * blockRows_;
    return std::span(room_).subspan((block % kAhead) * blockRows_, std::min(blockRows_, rows_ - first));
}

bool BlocksAhead::FillOne(std::unique_lock<std::mutex>& lock)
{
    if (stop_ || failed_ || claimed_ == blocks_ || claimed_ == handed_ + kAhead)
        return false;
    const std::size_t block = claimed_++;
    lock.unlock();
    std::exception_ptr failed;
    try {
        fill_(block * blockRows_, Room(block));
    } catch (...) {
        failed = std::current_exception();
    }
    lock.lock();
    if (failed)
        failed_ = failed;
    else
        filled_[block % kAhead] = true;
    changed_.notify_all();
    return true;
}

void BlocksAhead::Help()
{
    std::unique_lock lock(mutex_);
    while (!stop_)
        if (!FillOne(lock))
            changed_.wait(lock);
}

std::span<const RowValues> BlocksAhead::Next(std::size_t k)
{
    std::unique_lock lock(mutex_);
    while (!filled_[k % kAhead]) {
        if (failed_)
            std::rethrow_exception(failed_);
        if (!FillOne(lock))
            changed_.wait(lock);
    }
    return Room(k);
}

void BlocksAhead::HandedOn(std::size_t k)
{
    {
        const std::lock_guard lock(mutex_);
        filled_[k % kAhead] = false;
        handed_ = k + 1;
    }
    changed_.notify_all();
}

}  // namespace corvalen::measured
