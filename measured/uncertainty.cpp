// SPDX-License-Identifier: MIT
#include "uncertainty.h"

#include "chain_walk.h"
#include "dilogarithm.h"
#include "quantities.h"

#include <algorithm>
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
// The dilogarithm's series of a product of reflections is summed while its terms
// fall by this much at least, and to a rest far below what the tolerance sees.
constexpr double kSeparableLargest = 0.9;
constexpr double kSeriesRestNepers2 = 1e-17;
// Up to this many unknown phases besides the innermost one, a grid over all of
// them; past it, the chain is walked element by element (chain_walk.h).
constexpr int kMostGridPhases = 4;

using Complex = std::complex<double>;

ChainMismatch::Group Cascade(const ChainMismatch::Group& first, const ChainMismatch::Group& second)
{
    const Complex loop = 1.0 - first.s22 * second.s11;
    return {first.s11 + first.s21s12 * second.s11 / loop, first.s21s12 * second.s21s12 / (loop * loop),
            second.s22 + second.s21s12 * first.s22 / loop, true};
}

// A group seen from one end: near is the reflection of the port facing that end.
struct Facing {
    Complex near, far, transfer;
    bool phaseKnown;
};

// The groups between one end and a junction, in the order walked from that end.
struct Path {
    std::span<const ChainMismatch::Group> groups;
    bool fromLoad;

    std::size_t size() const { return groups.size(); }
    Facing operator[](std::size_t k) const
    {
        const ChainMismatch::Group& g = fromLoad ? groups[groups.size() - 1 - k] : groups[k];
        return fromLoad ? Facing{g.s22, g.s11, g.s21s12, g.phaseKnown} : Facing{g.s11, g.s22, g.s21s12, g.phaseKnown};
    }
};

Path PathFromSource(std::span<const ChainMismatch::Group> groups, std::size_t junction)
{
    return {groups.first(junction), false};
}

Path PathFromLoad(std::span<const ChainMismatch::Group> groups, std::size_t junction)
{
    return {groups.subspan(junction), true};
}

// The reflection looking from a junction toward one end, with the logarithm of
// the factors of D on the way, at every point of the grid of unknown phases.
// Where the phase is uniform (independent of the rest), gamma holds |Gamma|.
struct WalkState {
    Complex gamma;
    double nepers;
};
struct Walk {
    std::vector<WalkState> states;
    bool phaseUniform;
};

// Each step hands the states it leads to to `next`, so that a walk of one
// state (no phase to average over) needs no memory of its own.
template <typename Next>
void StepMeasured(const WalkState& state, bool phaseUniform, const Facing& step, std::span<const Complex> circle,
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
void StepUnknown(const WalkState& state, const Facing& step, std::span<const Complex> circle, Next&& next)
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
void Step(const WalkState& state, bool phaseUniform, const Facing& step, std::span<const Complex> circle, Next&& next)
{
    if (step.phaseKnown)
        StepMeasured(state, phaseUniform, step, circle, next);
    else
        StepUnknown(state, step, circle, next);
}

Walk WalkFrom(const Termination& end, const Path& path, const std::vector<Complex>& circle)
{
    Walk walk{{{end.gamma.value_or(end.gammaMagnitude), 0.0}}, !end.gamma};
    for (std::size_t k = 0; k < path.size(); ++k) {
        const std::size_t turns = path[k].phaseKnown ? (walk.phaseUniform ? circle.size() : 1) : circle.size() * circle.size();
        std::vector<WalkState> next;
        next.reserve(walk.states.size() * turns);
        for (const WalkState& state : walk.states)
            Step(state, walk.phaseUniform, path[k], circle, [&next](const WalkState& s) { next.push_back(s); });
        walk = {std::move(next), !path[k].phaseKnown};
    }
    return walk;
}

// The walk where no phase is left to average over: one state.
WalkState OnlyState(const Termination& end, const Path& path)
{
    constexpr Complex kNoTurn[] = {1.0};
    WalkState state{end.gamma.value_or(end.gammaMagnitude), 0.0};
    bool phaseUniform = !end.gamma;
    for (std::size_t k = 0; k < path.size(); ++k) {
        Step(state, phaseUniform, path[k], kNoTurn, [&state](const WalkState& s) { state = s; });
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

// The chain as the walk from the load takes it: a measured group next to a
// measured end is folded into that end (its factor of D into the offset), so
// that every junction left meets a reflection of uniform phase.
WalkChain WalkChainOf(const Termination& source, std::span<const ChainMismatch::Group> groups, const Termination& load)
{
    WalkChain chain{load.gammaMagnitude, {}, source.gammaMagnitude, 0.0};
    if (source.gamma && !groups.empty() && groups.front().phaseKnown) {
        const ChainMismatch::Group& g = groups.front();
        const Complex loop = 1.0 - *source.gamma * g.s11;
        chain.offsetNepers += 0.5 * std::log(std::norm(loop));
        chain.sourceMagnitude = Magnitude(g.s22 + g.s21s12 * *source.gamma / loop);
        groups = groups.subspan(1);
    }
    if (load.gamma && !groups.empty() && groups.back().phaseKnown) {
        const ChainMismatch::Group& g = groups.back();
        const Complex loop = 1.0 - g.s22 * *load.gamma;
        chain.offsetNepers += 0.5 * std::log(std::norm(loop));
        chain.loadMagnitude = Magnitude(g.s11 + g.s21s12 * *load.gamma / loop);
        groups = groups.first(groups.size() - 1);
    }
    for (std::size_t k = groups.size(); k-- > 0;)
        chain.fromLoad.push_back({groups[k].s22, groups[k].s11, groups[k].s21s12, groups[k].phaseKnown});
    return chain;
}

std::vector<Complex> UnitCircle(int points)
{
    std::vector<Complex> circle;
    for (int i = 0; i < points; ++i)
        circle.push_back(std::polar(1.0, 2.0 * std::numbers::pi * i / points));
    return circle;
}

// Given the outer phases, ln |1 - r e^(j theta)| = -sum r^k cos(k theta) / k has mean
// 0 and variance Li2(r^2) / 2; past r = 1, take out ln r and use 1 / r.
double ConditionalMeanNepers(double r)
{
    return r > 1.0 ? std::log(r) : 0.0;
}

double ConditionalVarianceNepers2(double r)
{
    return 0.5 * Dilogarithm(r > 1.0 ? 1.0 / (r * r) : r * r);
}

template <typename Sample>
double VarianceNepers2(std::span<const Sample> samples)
{
    double mean = 0.0;
    for (const Sample& s : samples)
        mean += s.restNepers + ConditionalMeanNepers(s.reflectionProduct);
    mean /= static_cast<double>(samples.size());
    double sum = 0.0;
    for (const Sample& s : samples) {
        const double centred = s.restNepers + ConditionalMeanNepers(s.reflectionProduct) - mean;
        sum += centred * centred + ConditionalVarianceNepers2(s.reflectionProduct);
    }
    return sum / static_cast<double>(samples.size());
}

// The variance of ln |D| over every pair of a state walked from the source and
// one walked from the load, where every product of their reflections stays
// well below 1: there the mean over the pairs of Li2(a b) / 2 (a and b the
// squared magnitudes) is the sum over k of mean(a^k) mean(b^k) / 2 k^2, and the
// rest of ln |D| adds a part from each walk, independent of the other. That
// takes (left + right) x terms products instead of left x right dilogarithms;
// nothing where it would not be fewer.
std::optional<double> SeparableVarianceNepers2(const Walk& left, const Walk& right)
{
    const auto squares = [](const Walk& walk) {
        std::vector<double> squared;
        for (const WalkState& state : walk.states)
            squared.push_back(std::norm(state.gamma));
        return squared;
    };
    const std::vector<double> a = squares(left), b = squares(right);
    const double largest = *std::max_element(a.begin(), a.end()) * *std::max_element(b.begin(), b.end());
    const double terms = std::log(kSeriesRestNepers2) / std::log(largest);
    const auto count = [](const std::vector<double>& v) { return static_cast<double>(v.size()); };
    if (!(largest < kSeparableLargest) || (count(a) + count(b)) * terms > count(a) * count(b))
        return std::nullopt;
    const auto variance = [](const Walk& walk) {
        double mean = 0.0, sum = 0.0;
        for (const WalkState& state : walk.states)
            mean += state.nepers / static_cast<double>(walk.states.size());
        for (const WalkState& state : walk.states)
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
    template <typename Sample>
    explicit Distribution(const std::vector<Sample>& samples)
    {
        for (const Sample& s : samples) {
            const double r = s.reflectionProduct;
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
                             const PadAverages* padAverages)
    : source_(source), load_(load), padAverages_(padAverages)
{
    groups_.reserve(chain.size());
    for (const ChainTwoPort& twoPort : chain) {
        const Group group{twoPort.s11, twoPort.s21 * twoPort.s12, twoPort.s22, twoPort.phaseKnown};
        if (!groups_.empty() && groups_.back().phaseKnown && group.phaseKnown)
            groups_.back() = Cascade(groups_.back(), group);
        else
            groups_.push_back(group);
        random_ = random_ || !group.phaseKnown;
    }
    random_ = random_ || !source.gamma || !load.gamma;
    if (!random_)
        return;
    // The innermost phase is taken where it leaves the fewest to average over,
    // split as evenly as may be between the walks from either end, whose pairs'
    // variance can separate (SeparableVarianceNepers2).
    outerPhases_ = std::numeric_limits<int>::max();
    int unevenness = 0;
    for (std::size_t junction = 0; junction <= groups_.size(); ++junction) {
        const int left = WalkPhaseCount(!source_.gamma, PathFromSource(groups_, junction));
        const int right = WalkPhaseCount(!load_.gamma, PathFromLoad(groups_, junction));
        if (RandomAt(junction)
            && (left + right < outerPhases_ || (left + right == outerPhases_ && std::abs(left - right) < unevenness))) {
            innerJunction_ = junction;
            outerPhases_ = left + right;
            unevenness = std::abs(left - right);
        }
    }
}

// Whether the reflection on either side of a junction has a uniform phase of its own.
bool ChainMismatch::RandomAt(std::size_t junction) const
{
    const bool left = junction == 0 ? !source_.gamma : !groups_[junction - 1].phaseKnown;
    const bool right = junction == groups_.size() ? !load_.gamma : !groups_[junction].phaseKnown;
    return left || right;
}

ChainMismatch::Sample ChainMismatch::OnlySample() const
{
    const WalkState left = OnlyState(source_, PathFromSource(groups_, innerJunction_));
    const WalkState right = OnlyState(load_, PathFromLoad(groups_, innerJunction_));
    return {left.nepers + right.nepers, Magnitude(left.gamma) * Magnitude(right.gamma)};
}

std::vector<ChainMismatch::Sample> ChainMismatch::Samples(int pointsPerPhase) const
{
    const std::vector<Complex> circle = UnitCircle(pointsPerPhase);
    return PairSamples(WalkFrom(source_, PathFromSource(groups_, innerJunction_), circle),
                       WalkFrom(load_, PathFromLoad(groups_, innerJunction_), circle));
}

double ChainMismatch::GridVarianceNepers2(int pointsPerPhase) const
{
    const std::vector<Complex> circle = UnitCircle(pointsPerPhase);
    const Walk left = WalkFrom(source_, PathFromSource(groups_, innerJunction_), circle);
    const Walk right = WalkFrom(load_, PathFromLoad(groups_, innerJunction_), circle);
    if (const std::optional<double> separable = SeparableVarianceNepers2(left, right))
        return *separable;
    return VarianceNepers2<Sample>(PairSamples(left, right));
}

template <typename Walk>
std::vector<ChainMismatch::Sample> ChainMismatch::PairSamples(const Walk& left, const Walk& right)
{
    std::vector<Sample> samples;
    samples.reserve(left.states.size() * right.states.size());
    for (const WalkState& l : left.states) {
        for (const WalkState& r : right.states)
            samples.push_back({l.nepers + r.nepers, Magnitude(l.gamma) * Magnitude(r.gamma)});
    }
    return samples;
}

ErrorLimitsDb ChainMismatch::LimitsDb() const
{
    const double source = source_.gammaMagnitude;
    if (groups_.empty()) {
        const double product = source * load_.gammaMagnitude;
        return {20.0 * std::log10(1.0 + product), product < 1.0 ? 20.0 * std::log10(1.0 - product) : -kInfinity};
    }
    // Bound |Gamma| looking toward the load at each junction, and each factor
    // 1 - S22_k Gamma_(k+1) beyond the first two-port by 1 +- its bound.
    double reflection = load_.gammaMagnitude, upper = 1.0, lower = 1.0;
    for (std::size_t k = groups_.size(); k-- > 1;) {
        const double loop = Magnitude(groups_[k].s22) * reflection;
        if (loop >= 1.0)
            return {kInfinity, -kInfinity};
        upper *= 1.0 + loop;
        lower *= 1.0 - loop;
        reflection = Magnitude(groups_[k].s11) + Magnitude(groups_[k].s21s12) * reflection / (1.0 - loop);
    }
    const Group& first = groups_.front();
    const double a = source * Magnitude(first.s11);
    const double b = Magnitude(first.s22) * reflection;
    const double c = Magnitude(first.s21s12) * source * reflection;
    const double lowest = ((1.0 - a) * (1.0 - b) - c) * lower;
    return {20.0 * std::log10(((1.0 + a) * (1.0 + b) + c) * upper),
            lowest > 0.0 ? 20.0 * std::log10(lowest) : -kInfinity};
}

std::optional<double> ChainMismatch::ErrorDb() const
{
    if (random_)
        return std::nullopt;
    const Complex gs = *source_.gamma, gl = *load_.gamma;
    if (groups_.empty())
        return 10.0 * std::log10(std::norm(1.0 - gs * gl));
    const Group& g = groups_.front();
    return 10.0 * std::log10(std::norm((1.0 - gs * g.s11) * (1.0 - g.s22 * gl) - g.s21s12 * gs * gl));
}

std::optional<double> ChainMismatch::StandardUncertaintyDb() const
{
    if (!random_)
        return std::nullopt;
    if (outerPhases_ == 0) {
        const Sample only = OnlySample();
        return kDbPerNeper * std::sqrt(VarianceNepers2(std::span(&only, 1)));
    }
    if (outerPhases_ > kMostGridPhases || padAverages_) {
        const WalkChain walk = WalkChainOf(source_, groups_, load_);
        const bool reuse = padAverages_ && padAverages_->Serves(walk);
        if (outerPhases_ > kMostGridPhases || reuse) {
            if (!Walkable(walk))
                return std::nullopt;
            return kDbPerNeper * std::sqrt(WalkedMoments(walk, reuse ? padAverages_ : nullptr).varianceNepers2);
        }
    }
    // Converging geometrically, the error of the finer grid is about d^3 / d'^2 from the last two
    // differences d and d' of successive grids. A grid of 2 points per phase can be too coarse
    // for that (through a two-port of |S11| 0.71 between 1.5 and 2.0, 2, 4 and 8 points gave
    // d^3 / d'^2 = 3e-7 dB where the 8 points' error was 2.5e-6 dB), so with it in d' the
    // error is taken as d^2 / d', as if convergence were only linear.
    double coarse = kInfinity, lastStep = kInfinity;
    for (int points = 2;; points *= 2) {
        const double fine = kDbPerNeper * std::sqrt(GridVarianceNepers2(points));
        const double step = std::abs(fine - coarse);
        const double errorDb = points >= 16 ? step * step * step / (lastStep * lastStep) : step * step / lastStep;
        if ((points >= 8 && (step < kStandardToleranceDb || errorDb < kStandardToleranceDb))
            || std::pow(2.0 * points, outerPhases_) > kMostSamples)
            return fine;
        coarse = fine, lastStep = step;
    }
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
    if (!random_)
        return std::nullopt;
    const double lowTail = (1.0 - probability) / 2.0, highTail = (1.0 + probability) / 2.0;
    if (outerPhases_ == 0) {
        // 1 + r^2 - 2 r cos theta rises with theta from 0 to pi: the quantile q is at theta = q pi.
        const Sample s = OnlySample();
        const auto quantile = [&](double q) {
            const double r = s.reflectionProduct;
            return kDbPerNeper * (s.restNepers + 0.5 * std::log(1.0 + r * r - 2.0 * r * std::cos(q * std::numbers::pi)));
        };
        return CoverageIntervalDb{quantile(lowTail), quantile(highTail)};
    }
    if (outerPhases_ > kMostGridPhases) {
        const std::optional<WalkQuantiles> walked = WalkedQuantiles(WalkChainOf(source_, groups_, load_), lowTail, highTail);
        if (!walked)
            return std::nullopt;
        return CoverageIntervalDb{OnCommonGrid(kDbPerNeper * walked->lowNepers), OnCommonGrid(kDbPerNeper * walked->highNepers)};
    }
    double lowNepers = kInfinity, highNepers = kInfinity;
    for (int points = 16;; points *= 2) {
        const Distribution distribution(Samples(points));
        const double low = distribution.Quantile(lowTail), high = distribution.Quantile(highTail);
        const bool settled = std::abs(low - lowNepers) < kQuantileToleranceNepers
                             && std::abs(high - highNepers) < kQuantileToleranceNepers;
        lowNepers = low, highNepers = high;
        if (settled || std::pow(2.0 * points, outerPhases_) > kMostSamples)
            return CoverageIntervalDb{OnCommonGrid(kDbPerNeper * lowNepers), OnCommonGrid(kDbPerNeper * highNepers)};
    }
}

}  // namespace corvalen::measured
