// SPDX-License-Identifier: MIT
#pragma once

// The grid of a single unknown phase as a sweep's row refines it by doubling:
// every point of a grid is a point of the next, so each grid keeps the samples
// of the one before and computes only the new half, with nothing from the heap.
// Each value and each sum is PhaseGrid::VarianceNepers2's, taken in the same
// order, so that the rows keep their digits to the last bit.

#include "phase_grid.h"
#include "uncertainty.h"

#include <array>
#include <cstddef>
#include <optional>
#include <span>

namespace corvalen::measured {

class OnePhaseGrid {
public:
    static constexpr int kMostPoints = 1024;

    // Whether it stands for PhaseGrid: a chain cascaded into one measured element
    // between a source and a load of unknown phase, the phase taken at the source.
    static bool Fits(const Termination& source, std::span<const ChainElement> elements, const Termination& load,
                     InnerJunction inner);
    // The first grid asked for samples that of fewestPoints points at once: the
    // caller goes at least that far, and samples made together run side by side.
    OnePhaseGrid(const Termination& source, const ChainElement& element, const Termination& load, int fewestPoints);

    // The variance of ln |D| on pointsPerPhase points, asked for with 2, 4, 8 ...
    // points in turn. Empty past kMostPoints, and where PhaseGrid would sum it
    // as a series instead: then PhaseGrid must be asked.
    std::optional<double> VarianceNepers2(int pointsPerPhase);

private:
    // Samples every point of the grid `stride` apart that the grids before lack.
    void Sample(std::size_t stride);

    double sourceMagnitude_;
    double loadMagnitude_;
    ChainElement element_;
    std::size_t fewestStride_;
    std::size_t stride_ = 0;  // between the positions sampled, 0 before the first
    // At each point's position in the finest grid: the sample's mean ln |D| over the
    // phase at the junction, its variance there, and the squared magnitude of the
    // reflection at the junction.
    std::array<double, kMostPoints> means_;
    std::array<double, kMostPoints> variances_;
    std::array<double, kMostPoints> norms_;
};

}  // namespace corvalen::measured
