// SPDX-License-Identifier: MIT
#include "uncertainty.h"

#include "chain_walk.h"
#include "one_phase_grid.h"
#include "phase_grid.h"
#include "quantities.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <limits>
#include <numbers>

namespace corvalen::measured {
namespace {

constexpr double kDbPerNeper = 20.0 / std::numbers::ln10;
constexpr double kInfinity = std::numeric_limits<double>::infinity();
// The phase grids stop doubling here: about 16 MB of samples.
constexpr double kMostSamples = 1 << 20;
// How close the standard uncertainty is taken (it converges geometrically in
// the points per phase), and how closely successive grids must agree on a
// quantile (whose conditional distribution has kinks: the finer grid's error is
// about half that).
constexpr double kStandardToleranceDb = 1e-6;
constexpr double kQuantileToleranceNepers = 5e-6;
// The grid's points per phase for the standard uncertainty: doubled from the
// first, not stopped before the second, and the error estimated as cubic in the
// last step from the third on (below, in StandardUncertaintyDb). The coverage
// interval's start from the fourth.
constexpr int kFirstPointsPerPhase = 2;
constexpr int kFewestPointsToStop = 8;
constexpr int kPointsForCubicEstimate = 16;
constexpr int kFirstCoveragePointsPerPhase = 16;
// Up to this many unknown phases besides the innermost one, a grid over all of
// them; past it, the chain is walked element by element (chain_walk.h).
constexpr int kMostGridPhases = 4;

using Complex = std::complex<double>;

ChainElement Cascade(const ChainElement& first, const ChainElement& second)
{
    const Complex loop = 1.0 - first.s22 * second.s11;
    return {first.s11 + first.s21s12 * second.s11 / loop, first.s21s12 * second.s21s12 / (loop * loop),
            second.s22 + second.s21s12 * first.s22 / loop, true};
}

// The chain as the walk from the load takes it: a measured group next to a
// measured end is folded into that end (its factor of D into the offset), so
// that every junction left meets a reflection of uniform phase.
WalkChain WalkChainOf(const Termination& source, std::span<const ChainElement> elements, const Termination& load)
{
    WalkChain chain{load.gammaMagnitude, {}, source.gammaMagnitude, 0.0};
    if (source.gamma && !elements.empty() && elements.front().phaseKnown) {
        const ChainElement& g = elements.front();
        const Complex loop = 1.0 - *source.gamma * g.s11;
        chain.offsetNepers += 0.5 * std::log(std::norm(loop));
        chain.sourceMagnitude = Magnitude(g.s22 + g.s21s12 * *source.gamma / loop);
        elements = elements.subspan(1);
    }
    if (load.gamma && !elements.empty() && elements.back().phaseKnown) {
        const ChainElement& g = elements.back();
        const Complex loop = 1.0 - g.s22 * *load.gamma;
        chain.offsetNepers += 0.5 * std::log(std::norm(loop));
        chain.loadMagnitude = Magnitude(g.s11 + g.s21s12 * *load.gamma / loop);
        elements = elements.first(elements.size() - 1);
    }
    for (std::size_t k = elements.size(); k-- > 0;)
        chain.fromLoad.push_back({elements[k].s22, elements[k].s11, elements[k].s21s12, elements[k].phaseKnown});
    return chain;
}

// A sweep's chain of up to four unknown phases keeps the grid, and with it the
// values printed before the walk, but for one pad between measured ends: there the
// pad's averages, made once, spare every row its two phases (and agree with the
// grid's to the printed digit on every row of 100,001-point sweeps).
bool ReusesOnlyPad(const WalkChain& walk, std::span<const PadAverages> pads)
{
    return walk.fromLoad.size() == 1 && Reuses(walk, pads);
}

// (points per phase)^phases, exact, without pow's cost on every row.
double GridSamples(int pointsPerPhase, int phases)
{
    double samples = 1.0;
    for (int k = 0; k < phases; ++k)
        samples *= pointsPerPhase;
    return samples;
}

// The standard uncertainty from the grid's variances at 2, 4, 8 ... points per phase,
// once it has settled; empty where a variance is.
// Converging geometrically, the error of the finer grid is about d^3 / d'^2 from the last two
// differences d and d' of successive grids. A grid of 2 points per phase can be too coarse
// for that (through a two-port of |S11| 0.71 between 1.5 and 2.0, 2, 4 and 8 points gave
// d^3 / d'^2 = 3e-7 dB where the 8 points' error was 2.5e-6 dB), so with it in d' the
// error is taken as d^2 / d', as if convergence were only linear.
template <typename Variance>
std::optional<double> SettledDb(int outerPhases, Variance&& varianceNepers2)
{
    double coarse = kInfinity, lastStep = kInfinity;
    for (int points = kFirstPointsPerPhase;; points *= 2) {
        const std::optional<double> variance = varianceNepers2(points);
        if (!variance)
            return std::nullopt;
        const double fine = kDbPerNeper * std::sqrt(*variance);
        const double step = std::abs(fine - coarse);
        const double errorDb = points >= kPointsForCubicEstimate ? step * step * step / (lastStep * lastStep)
                                                                 : step * step / lastStep;
        if ((points >= kFewestPointsToStop && (step < kStandardToleranceDb || errorDb < kStandardToleranceDb))
            || GridSamples(2 * points, outerPhases) > kMostSamples)
            return fine;
        coarse = fine, lastStep = step;
    }
}

}  // namespace

Termination MeasuredTermination(Complex gamma)
{
    return {Magnitude(gamma), gamma};
}

Termination PhaseUnknownTermination(double gammaMagnitude)
{
    return {gammaMagnitude, std::nullopt};
}

ChainTwoPort PadTwoPort(const Pad& pad)
{
    const double transmission = AmplitudeOfLoss(pad.lossDb);
    const double reflection = FixedSideValues(pad.vswr).gammaMagnitude;
    return {reflection, transmission, transmission, reflection, false};
}


ChainMismatch::ChainMismatch(const Termination& source, std::span<const ChainTwoPort> chain, const Termination& load,
                             std::span<const PadAverages> padAverages)
    : source_(source), load_(load), padAverages_(padAverages)
{
    elements_.reserve(chain.size());
    for (const ChainTwoPort& twoPort : chain) {
        const ChainElement element{twoPort.s11, twoPort.s21 * twoPort.s12, twoPort.s22, twoPort.phaseKnown};
        if (!elements_.empty() && elements_.back().phaseKnown && element.phaseKnown)
            elements_.back() = Cascade(elements_.back(), element);
        else
            elements_.push_back(element);
        somePhaseUnknown_ = somePhaseUnknown_ || !element.phaseKnown;
    }
    somePhaseUnknown_ = somePhaseUnknown_ || !source.gamma || !load.gamma;
    if (somePhaseUnknown_) {
        const InnerJunction inner = ChooseInnerJunction(source_, elements_, load_);
        innerJunction_ = inner.junction, outerPhases_ = inner.outerPhases;
    }
}

ErrorLimitsDb ChainMismatch::LimitsDb() const
{
    const double source = source_.gammaMagnitude;
    if (elements_.empty()) {
        const double product = source * load_.gammaMagnitude;
        return {20.0 * std::log10(1.0 + product), product < 1.0 ? 20.0 * std::log10(1.0 - product) : -kInfinity};
    }
    // Bound |Gamma| looking toward the load at each junction, and each factor
    // 1 - S22_k Gamma_(k+1) beyond the first two-port by 1 +- its bound.
    double reflection = load_.gammaMagnitude, upper = 1.0, lower = 1.0;
    for (std::size_t k = elements_.size(); k-- > 1;) {
        const double loop = Magnitude(elements_[k].s22) * reflection;
        if (loop >= 1.0)
            return {kInfinity, -kInfinity};
        upper *= 1.0 + loop;
        lower *= 1.0 - loop;
        reflection = Magnitude(elements_[k].s11) + Magnitude(elements_[k].s21s12) * reflection / (1.0 - loop);
    }
    const ChainElement& first = elements_.front();
    const double a = source * Magnitude(first.s11);
    const double b = Magnitude(first.s22) * reflection;
    const double c = Magnitude(first.s21s12) * source * reflection;
    const double lowest = ((1.0 - a) * (1.0 - b) - c) * lower;
    return {20.0 * std::log10(((1.0 + a) * (1.0 + b) + c) * upper),
            lowest > 0.0 ? 20.0 * std::log10(lowest) : -kInfinity};
}

std::optional<double> ChainMismatch::ErrorDb() const
{
    if (somePhaseUnknown_)
        return std::nullopt;
    const Complex gs = *source_.gamma, gl = *load_.gamma;
    if (elements_.empty())
        return 10.0 * std::log10(std::norm(1.0 - gs * gl));
    // Every phase measured: the whole chain was cascaded into one element.
    assert(elements_.size() == 1 && elements_.front().phaseKnown);
    const ChainElement& g = elements_.front();
    return 10.0 * std::log10(std::norm((1.0 - gs * g.s11) * (1.0 - g.s22 * gl) - g.s21s12 * gs * gl));
}

std::optional<double> ChainMismatch::StandardUncertaintyDb() const
{
    if (!somePhaseUnknown_)
        return std::nullopt;
    const PhaseGrid grid(source_, elements_, load_, {innerJunction_, outerPhases_});
    if (outerPhases_ == 0) {
        const PhaseSample only = grid.OnlySample();
        return kDbPerNeper * std::sqrt(SampleVarianceNepers2(std::span(&only, 1)));
    }
    if (outerPhases_ > kMostGridPhases || !padAverages_.empty()) {
        const WalkChain walk = WalkChainOf(source_, elements_, load_);
        if (outerPhases_ > kMostGridPhases || ReusesOnlyPad(walk, padAverages_)) {
            if (!Walkable(walk))
                return std::nullopt;
            return kDbPerNeper * std::sqrt(WalkedMoments(walk, padAverages_).varianceNepers2);
        }
    }
    if (OnePhaseGrid::Fits(source_, elements_, load_, {innerJunction_, outerPhases_})) {
        OnePhaseGrid one(source_, elements_.front(), load_, kFewestPointsToStop);
        if (const std::optional<double> settled = SettledDb(outerPhases_, [&](int points) { return one.VarianceNepers2(points); }))
            return settled;
    }
    return SettledDb(outerPhases_, [&](int points) { return std::optional<double>(grid.VarianceNepers2(points)); });
}

double ChainMismatch::StandardUncertaintyWorkNs() const
{
    if (!somePhaseUnknown_ || outerPhases_ == 0)
        return 0.0;
    const WalkChain walk = WalkChainOf(source_, elements_, load_);
    if (outerPhases_ > kMostGridPhases || ReusesOnlyPad(walk, padAverages_))
        return WalkWorkNs(walk, padAverages_);
    return 0.0;
}

namespace {

// Quantiles found by iteration are good to a few 1e-6 dB; on a grid of 1e-9 dB,
// still far finer, the last bits of the system's logarithms, in which C
// libraries differ, leave the printed digits alike on every system.
double OnCommonGrid(double db)
{
    return std::round(db * 1e9) / 1e9;
}

}  // namespace

std::optional<CoverageIntervalDb> ChainMismatch::CoverageDb(double probability) const
{
    if (!somePhaseUnknown_)
        return std::nullopt;
    const double lowTail = (1.0 - probability) / 2.0, highTail = (1.0 + probability) / 2.0;
    const PhaseGrid grid(source_, elements_, load_, {innerJunction_, outerPhases_});
    if (outerPhases_ == 0) {
        // 1 + r^2 - 2 r cos theta rises with theta from 0 to pi: the quantile q is at theta = q pi.
        const PhaseSample s = grid.OnlySample();
        const auto quantile = [&](double q) {
            const double r = s.r;
            return kDbPerNeper * (s.restNepers + 0.5 * std::log(1.0 + r * r - 2.0 * r * std::cos(q * std::numbers::pi)));
        };
        return CoverageIntervalDb{quantile(lowTail), quantile(highTail)};
    }
    if (outerPhases_ > kMostGridPhases) {
        const std::optional<WalkQuantiles> walked = WalkedQuantiles(WalkChainOf(source_, elements_, load_), lowTail, highTail);
        if (!walked)
            return std::nullopt;
        return CoverageIntervalDb{OnCommonGrid(kDbPerNeper * walked->lowNepers), OnCommonGrid(kDbPerNeper * walked->highNepers)};
    }
    double lowNepers = kInfinity, highNepers = kInfinity;
    for (int points = kFirstCoveragePointsPerPhase;; points *= 2) {
        const auto [low, high] = SampleQuantilesNepers(grid.Samples(points), lowTail, highTail);
        const bool settled = std::abs(low - lowNepers) < kQuantileToleranceNepers
                             && std::abs(high - highNepers) < kQuantileToleranceNepers;
        lowNepers = low, highNepers = high;
        if (settled || std::pow(2.0 * points, outerPhases_) > kMostSamples)
            return CoverageIntervalDb{OnCommonGrid(kDbPerNeper * lowNepers), OnCommonGrid(kDbPerNeper * highNepers)};
    }
}

}  // namespace corvalen::measured