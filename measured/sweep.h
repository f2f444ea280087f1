// SPDX-License-Identifier: MIT
#pragma once

// A source and a load, each measured across frequency or a fixed value, and the
// mismatch quantities of the pair at every frequency, in double precision.

#include "through.h"
#include "touchstone/touchstone.h"

#include <algorithm>
#include <atomic>
#include <complex>
#include <cstddef>
#include <exception>
#include <functional>
#include <future>
#include <memory>
#include <semaphore>
#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace corvalen::measured {

// One side at one frequency.
struct SideValues {
    double vswr;
    double returnLossDb;
    double gammaMagnitude;
};

// A side with a phase: |G| is taken from it. VSWR and mismatch loss are infinite
// from |G| = 1 on; they are printed as such rather than as negative numbers.
SideValues MeasuredSideValues(std::complex<double> gamma);
SideValues FixedSideValues(double vswr);
SideValues GammaSideValues(double gammaMagnitude);       // |G| from 0 to 1
SideValues ReturnLossSideValues(double returnLossDb);    // at least 0 dB

// A source or a load: a fixed value with its phase unknown, or a reflection
// measured across frequency.
struct Side {
    std::string name;  // as the user gave it, for messages and titles
    std::variant<SideValues, Reflection> value;

    const Reflection* Measured() const { return std::get_if<Reflection>(&value); }
};

struct RowValues {
    double frequencyHz;
    SideValues source;
    SideValues load;
    double loadMismatchLossDb;
    double maxVswr;
    double combinedReturnLossDb;
    double plusUncertaintyDb;
    double minusUncertaintyDb;
    std::optional<double> mismatchErrorDb;  // only when both phases are known
    double standardUncertaintyDb;
    std::optional<ThroughValues> through;   // with a two-port between
};

RowValues ComputeRow(double frequencyHz, const SideValues& source, const SideValues& load,
                     std::optional<std::complex<double>> sourceGamma, std::optional<std::complex<double>> loadGamma);

// Points where a side's |G| exceeds 1 (measurement noise on a near-total reflection).
struct ActivePoints {
    std::size_t count = 0;
    double firstFrequencyHz = 0.0;
};

// The rows of a source paired with a load, through a two-port if one is
// given, one per frequency, ascending: the load's frequencies (else the
// source's, else the two-port's) inside the ranges of the others measured,
// which are interpolated linearly in their real and imaginary parts.
class Sweep {
public:
    // Throws MeasuredError when no row can be made: nothing measured, or no
    // frequency in common. The sides and the two-port must outlive the sweep.
    Sweep(const Side& source, const Side& load, const Through* through = nullptr);

    std::size_t Rows() const { return end_ - first_; }
    // The name of what gives the rows, how many frequencies it has, and how
    // many of them are left out.
    const std::string& GridName() const { return *gridName_; }
    std::size_t GridPoints() const { return grid_->size(); }
    std::size_t GridPointsOutside() const { return grid_->size() - Rows(); }
    // What the grid's points left out lie outside of ("a.s1p and pad.s2p").
    const std::string& OutsideOf() const { return outsideOf_; }

    // Hands every row to `addRow` with the block it belongs to, then each block
    // to `take`, in row order. Blocks are filled two at a time side by side;
    // Block needs clear().
    template <typename Block>
    void Run(const std::function<void(Block&, const RowValues&)>& addRow, const std::function<void(Block&)>& take);

    // Where |G| exceeds 1, counted by Run.
    const ActivePoints& SourceActive() const { return sourceActive_; }
    const ActivePoints& LoadActive() const { return loadActive_; }

    static constexpr std::size_t kBlockRows = 2048;

private:
    struct Counts {
        ActivePoints source;
        ActivePoints load;
    };
    // Rows first to end - 1 of the sweep, counting where |G| exceeds 1.
    void ForRows(std::size_t first, std::size_t end, Counts& counts,
                 const std::function<void(const RowValues&)>& row) const;
    void Merge(const Counts& block);

    const Side& source_;
    const Side& load_;
    const Through* through_;
    const Series<double>* grid_ = nullptr;
    const std::string* gridName_ = nullptr;
    std::string outsideOf_;
    std::size_t first_ = 0;  // the rows' indices in the grid
    std::size_t end_ = 0;
    ActivePoints sourceActive_;
    ActivePoints loadActive_;
};

template <typename Block>
void Sweep::Run(const std::function<void(Block&, const RowValues&)>& addRow, const std::function<void(Block&)>& take)
{
    // Two blocks serve the whole sweep, emptied with clear() before each fill,
    // so their memory is touched once, not once per block. One helper thread
    // fills every second block while this one fills the others and hands all
    // of them on in order; a new thread for each pair cost more than a block.
    std::pair<Block, Counts> blocks[2];
    const auto fill = [&](std::pair<Block, Counts>& block, std::size_t first) {
        block.first.clear();
        block.second = {};
        ForRows(first, std::min(first + kBlockRows, Rows()), block.second,
                [&](const RowValues& row) { addRow(block.first, row); });
    };
    const auto hand = [&](std::pair<Block, Counts>& block) {
        Merge(block.second);
        take(block.first);
    };
    const std::size_t rows = Rows();
    std::binary_semaphore filled(0);
    std::counting_semaphore<2> handed(1);  // 2: the last release on the way out may find it never taken
    std::atomic<bool> stopped = false;
    std::exception_ptr helperError;
    auto helper = std::async(std::launch::async, [&] {
        for (std::size_t first = kBlockRows; first < rows; first += 2 * kBlockRows) {
            handed.acquire();
            if (stopped)
                return;
            try {
                fill(blocks[1], first);
            } catch (...) {
                helperError = std::current_exception();
                filled.release();
                return;
            }
            filled.release();
        }
    });
    // Whatever way this thread leaves, the helper is let go and waited for.
    const auto release = [&](void*) {
        stopped = true;
        handed.release();
        helper.wait();
    };
    const std::unique_ptr<void, decltype(release)> releaseOnExit(&stopped, release);
    for (std::size_t first = 0; first < rows; first += 2 * kBlockRows) {
        fill(blocks[0], first);
        hand(blocks[0]);
        if (first + kBlockRows < rows) {
            filled.acquire();
            if (helperError)
                std::rethrow_exception(helperError);
            hand(blocks[1]);
            handed.release();
        }
    }
}

}  // namespace corvalen::measured
