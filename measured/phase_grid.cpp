// SPDX-License-Identifier: MIT
#include "phase_grid.h"

#include "dilogarithm.h"
#include "quantities.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <limits>
#include <numbers>
#include <optional>

namespace corvalen::measured {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
// The dilogarithm's series of a product of reflections is summed while its terms
// fall by this much at least, and to a rest far below what the tolerance sees.
constexpr double kSeparableLargest = 0.9;
constexpr double kSeriesRestNepers2 = 1e-17;

using Complex = std::complex<double>;
// An element seen from one end: near is the reflection of the port facing that end.
struct Facing {
    Complex near, far, transfer;
    bool phaseKnown;
};

// The elements between one end and a junction, in the order walked from that end.
struct Path {
    std::span<const ChainElement> elements;
    bool fromLoad;

    std::size_t size() const { return elements.size(); }
    Facing operator[](std::size_t k) const
    {
        const ChainElement& g = fromLoad ? elements[elements.size() - 1 - k] : elements[k];
        return fromLoad ? Facing{g.s22, g.s11, g.s21s12, g.phaseKnown} : Facing{g.s11, g.s22, g.s21s12, g.phaseKnown};
    }
};

Path PathFromSource(std::span<const ChainElement> elements, std::size_t junction)
{
    return {elements.first(junction), false};
}

Path PathFromLoad(std::span<const ChainElement> elements, std::size_t junction)
{
    return {elements.subspan(junction), true};
}

// The reflection looking from a junction toward one end, with the logarithm of
// the factors of D on the way, at every point of the grid of unknown phases.
// Where the phase is uniform (independent of the rest), gamma holds |Gamma|.
struct GridState {
    Complex gamma;
    double nepers;
};
struct GridWalk {
    std::vector<GridState> states;
    bool phaseUniform;
};

// Each step hands the states it leads to to `next`, so that a walk of one
// state (no phase to average over) needs no memory of its own.
template <typename Next>
void StepMeasured(const GridState& state, bool phaseUniform, const Facing& step, std::span<const Complex> circle,
                  Next&& next)
{
    const std::size_t turns = phaseUniform ? circle.size() : 1;
    for (std::size_t i = 0; i < turns; ++i) {
        const Complex gamma = phaseUniform ? state.gamma.real() * circle[i] : state.gamma;
        const Complex loop = 1.0 - step.near * gamma;
        next({step.far + step.transfer * gamma / loop, state.nepers + 0.5 * std::log(std::norm(loop))});
    }
}

// Two independent uniform phases matter: the loop's (near against the incoming
// reflection) and the transfer's against far. A third turns the reflection
// passed on, so it leaves with a uniform phase.
template <typename Next>
void StepUnknown(const GridState& state, const Facing& step, std::span<const Complex> circle, Next&& next)
{
    const double near = Magnitude(step.near), far = Magnitude(step.far), transfer = Magnitude(step.transfer);
    const std::size_t loopTurns = near > 0.0 ? circle.size() : 1;
    const std::size_t transferTurns = far > 0.0 && transfer > 0.0 ? circle.size() : 1;
    const double incoming = Magnitude(state.gamma);
    for (std::size_t i = 0; i < loopTurns; ++i) {
        const Complex loop = 1.0 - near * incoming * circle[i];
        const Complex bounce = transfer * incoming / loop;
        const double nepers = state.nepers + 0.5 * std::log(std::norm(loop));
        for (std::size_t k = 0; k < transferTurns; ++k)
            next({Magnitude(far + bounce * circle[k]), nepers});
    }
}

template <typename Next>
void Step(const GridState& state, bool phaseUniform, const Facing& step, std::span<const Complex> circle, Next&& next)
{
    if (step.phaseKnown)
        StepMeasured(state, phaseUniform, step, circle, next);
    else
        StepUnknown(state, step, circle, next);
}

GridWalk WalkFrom(const Termination& end, const Path& path, const std::vector<Complex>& circle)
{
    GridWalk walk{{{end.gamma.value_or(end.gammaMagnitude), 0.0}}, !end.gamma};
    for (std::size_t k = 0; k < path.size(); ++k) {
        const std::size_t turns = path[k].phaseKnown ? (walk.phaseUniform ? circle.size() : 1) : circle.size() * circle.size();
        std::vector<GridState> next;
        next.reserve(walk.states.size() * turns);
        for (const GridState& state : walk.states)
            Step(state, walk.phaseUniform, path[k], circle, [&next](const GridState& s) { next.push_back(s); });
        walk = {std::move(next), !path[k].phaseKnown};
    }
    return walk;
}

// The walk where no phase is left to average over: one state.
GridState OnlyState(const Termination& end, const Path& path)
{
    constexpr Complex kNoTurn[] = {1.0};
    GridState state{end.gamma.value_or(end.gammaMagnitude), 0.0};
    bool phaseUniform = !end.gamma;
    for (std::size_t k = 0; k < path.size(); ++k) {
        Step(state, phaseUniform, path[k], kNoTurn, [&state](const GridState& s) { state = s; });
        phaseUniform = !path[k].phaseKnown;
    }
    return state;
}

int WalkPhaseCount(bool endUniform, const Path& path)
{
    int count = 0;
    bool uniform = endUniform;
    for (std::size_t k = 0; k < path.size(); ++k) {
        const Facing step = path[k];
        if (step.phaseKnown) {
            count += uniform ? 1 : 0;
        } else {
            count += (step.near != 0.0 ? 1 : 0) + (step.far != 0.0 && step.transfer != 0.0 ? 1 : 0);
        }
        uniform = !step.phaseKnown;
    }
    return count;
}

std::vector<Complex> UnitCircle(int points)
{
    std::vector<Complex> circle;
    for (int i = 0; i < points; ++i)
        circle.push_back(std::polar(1.0, 2.0 * std::numbers::pi * i / points));
    return circle;
}


// The variance of ln |D| over every pair of a state walked from the source and
// one walked from the load, where every product of their reflections stays
// well below 1: there the mean over the pairs of Li2(a b) / 2 (a and b the
// squared magnitudes) is the sum over k of mean(a^k) mean(b^k) / 2 k^2, and the
// rest of ln |D| adds a part from each walk, independent of the other. That
// takes (left + right) x terms products instead of left x right dilogarithms;
// nothing where it would not be fewer.
std::optional<double> SeparableVarianceNepers2(const GridWalk& left, const GridWalk& right)
{
    const auto squares = [](const GridWalk& walk) {
        std::vector<double> squared;
        for (const GridState& state : walk.states)
            squared.push_back(std::norm(state.gamma));
        return squared;
    };
    const std::vector<double> a = squares(left), b = squares(right);
    const double largest = *std::max_element(a.begin(), a.end()) * *std::max_element(b.begin(), b.end());
    if (!Separates(largest, a.size(), b.size()))
        return std::nullopt;
    const auto variance = [](const GridWalk& walk) {
        double mean = 0.0, sum = 0.0;
        for (const GridState& state : walk.states)
            mean += state.nepers / static_cast<double>(walk.states.size());
        for (const GridState& state : walk.states)
            sum += (state.nepers - mean) * (state.nepers - mean);
        return sum / static_cast<double>(walk.states.size());
    };
    const auto meanPower = [](std::vector<double>& powers, const std::vector<double>& squared) {
        double sum = 0.0;
        for (std::size_t i = 0; i < powers.size(); ++i)
            sum += powers[i] *= squared[i];
        return sum / static_cast<double>(powers.size());
    };
    std::vector<double> aPowers(a.size(), 1.0), bPowers(b.size(), 1.0);
    double series = 0.0, bound = 1.0;
    // What is left out after term k is below largest^(k + 1) / (k + 1)^2 / (1 - largest).
    for (double k = 1.0; (bound *= largest) / (k * k) >= kSeriesRestNepers2 * (1.0 - largest); k += 1.0)
        series += meanPower(aPowers, a) * meanPower(bPowers, b) / (k * k);
    return variance(left) + variance(right) + 0.5 * series;
}

// The error's distribution as a mix of one closed form per sample: with
// |D|^2 = e^(2 rest) (1 + r^2 - 2 r cos theta), P(ln |D| <= y) = arccos(t) / pi,
// t = (1 + r^2 - e^(2 (y - rest))) / 2 r, clamped to [-1, 1].
class Distribution {
public:
    explicit Distribution(std::span<const PhaseSample> samples)
    {
        for (const PhaseSample& s : samples) {
            const double r = s.r;
            terms_.push_back({1.0 + r * r, 2.0 * r, std::exp(-2.0 * s.restNepers), s.restNepers});
            lowest_ = std::min(lowest_, s.restNepers + std::log(std::max(std::abs(1.0 - r), 1e-300)));
            highest_ = std::max(highest_, s.restNepers + std::log1p(r));
        }
    }

    double Cdf(double nepers) const
    {
        const double grown = std::exp(2.0 * nepers);
        double sum = 0.0;
        for (const Term& term : terms_) {
            if (term.spread == 0.0) {
                sum += nepers >= term.rest ? 1.0 : 0.0;
                continue;
            }
            const double t = (term.centre - grown * term.shrink) / term.spread;
            sum += t <= -1.0 ? 1.0 : t >= 1.0 ? 0.0 : std::acos(t) / std::numbers::pi;
        }
        return sum / static_cast<double>(terms_.size());
    }

    // Regula falsi with the Illinois step: the CDF is continuous and rises.
    double Quantile(double probability) const
    {
        double low = lowest_, high = highest_;
        double lowExcess = -probability, highExcess = 1.0 - probability;
        int retained = 0;
        for (int i = 0; i < 200 && high - low > 1e-12; ++i) {
            double x = (low * highExcess - high * lowExcess) / (highExcess - lowExcess);
            if (!(x > low && x < high))
                x = 0.5 * (low + high);
            const double excess = Cdf(x) - probability;
            if (excess == 0.0)
                return x;
            if (excess > 0.0) {
                high = x, highExcess = excess;
                lowExcess *= retained < 0 ? 0.5 : 1.0;
                retained = -1;
            } else {
                low = x, lowExcess = excess;
                highExcess *= retained > 0 ? 0.5 : 1.0;
                retained = 1;
            }
        }
        return 0.5 * (low + high);
    }

private:
    struct Term {
        double centre, spread, shrink, rest;
    };
    std::vector<Term> terms_;
    double lowest_ = kInfinity, highest_ = -kInfinity;
};

}  // namespace

// Given the outer phases, ln |1 - r e^(j theta)| = -sum r^k cos(k theta) / k has mean
// 0 (ConditionalMeanNepers) and variance Li2(r^2) / 2; past r = 1, take out ln r and use 1 / r.
double ConditionalVarianceNepers2(double r)
{
    return 0.5 * Dilogarithm(r > 1.0 ? 1.0 / (r * r) : r * r);
}

bool Separates(double largest, std::size_t leftStates, std::size_t rightStates)
{
    const double terms = std::log(kSeriesRestNepers2) / std::log(largest);
    const auto left = static_cast<double>(leftStates), right = static_cast<double>(rightStates);
    return largest < kSeparableLargest && !((left + right) * terms > left * right);
}

double SampleVarianceNepers2(std::span<const PhaseSample> samples)
{
    double mean = 0.0;
    for (const PhaseSample& s : samples)
        mean += s.restNepers + ConditionalMeanNepers(s.r);
    mean /= static_cast<double>(samples.size());
    double sum = 0.0;
    for (const PhaseSample& s : samples) {
        const double centred = s.restNepers + ConditionalMeanNepers(s.r) - mean;
        sum += centred * centred + ConditionalVarianceNepers2(s.r);
    }
    return sum / static_cast<double>(samples.size());
}

InnerJunction ChooseInnerJunction(const Termination& source, std::span<const ChainElement> elements,
                                  const Termination& load)
{
    // Whether the reflection on either side of a junction has a uniform phase of its own.
    const auto uniformAt = [&](std::size_t junction) {
        return (junction == 0 ? !source.gamma : !elements[junction - 1].phaseKnown)
               || (junction == elements.size() ? !load.gamma : !elements[junction].phaseKnown);
    };
    InnerJunction inner{0, std::numeric_limits<int>::max()};
    int unevenness = 0;
    for (std::size_t junction = 0; junction <= elements.size(); ++junction) {
        const int left = WalkPhaseCount(!source.gamma, PathFromSource(elements, junction));
        const int right = WalkPhaseCount(!load.gamma, PathFromLoad(elements, junction));
        if (uniformAt(junction)
            && (left + right < inner.outerPhases
                || (left + right == inner.outerPhases && std::abs(left - right) < unevenness))) {
            inner = {junction, left + right};
            unevenness = std::abs(left - right);
        }
    }
    return inner;
}

PhaseGrid::PhaseGrid(const Termination& source, std::span<const ChainElement> elements, const Termination& load,
                     InnerJunction inner)
    : source_(source), load_(load), elements_(elements), junction_(inner.junction)
{
}

PhaseSample PhaseGrid::OnlySample() const
{
    const GridState left = OnlyState(source_, PathFromSource(elements_, junction_));
    const GridState right = OnlyState(load_, PathFromLoad(elements_, junction_));
    return {left.nepers + right.nepers, Magnitude(left.gamma) * Magnitude(right.gamma)};
}

namespace {

std::vector<PhaseSample> PairSamples(const GridWalk& left, const GridWalk& right)
{
    std::vector<PhaseSample> samples;
    samples.reserve(left.states.size() * right.states.size());
    for (const GridState& l : left.states) {
        for (const GridState& r : right.states)
            samples.push_back({l.nepers + r.nepers, Magnitude(l.gamma) * Magnitude(r.gamma)});
    }
    return samples;
}

}  // namespace

std::vector<PhaseSample> PhaseGrid::Samples(int pointsPerPhase) const
{
    const std::vector<Complex> circle = UnitCircle(pointsPerPhase);
    return PairSamples(WalkFrom(source_, PathFromSource(elements_, junction_), circle),
                       WalkFrom(load_, PathFromLoad(elements_, junction_), circle));
}

double PhaseGrid::VarianceNepers2(int pointsPerPhase) const
{
    const std::vector<Complex> circle = UnitCircle(pointsPerPhase);
    const GridWalk left = WalkFrom(source_, PathFromSource(elements_, junction_), circle);
    const GridWalk right = WalkFrom(load_, PathFromLoad(elements_, junction_), circle);
    if (const std::optional<double> separable = SeparableVarianceNepers2(left, right))
        return *separable;
    return SampleVarianceNepers2(PairSamples(left, right));
}

std::pair<double, double> SampleQuantilesNepers(std::span<const PhaseSample> samples, double lowTail, double highTail)
{
    const Distribution distribution(samples);
    return {distribution.Quantile(lowTail), distribution.Quantile(highTail)};
}

}  // namespace corvalen::measured
