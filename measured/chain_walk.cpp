// SPDX-License-Identifier: MIT
#include "chain_walk.h"

#include "dilogarithm.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <span>

namespace corvalen::measured {
namespace {

using Complex = std::complex<double>;

// Chebyshev nodes of r^2 between two elements. The moments that follow are
// analytic in r^2 and converge geometrically in the nodes; a tail probability is
// less smooth in r^2 where a single junction dominates what follows, and 16
// nodes keep it within 1e-5 dB from three elements on (docs/uncertainty.md).
constexpr int kMagnitudeNodes = 16;
// A loop's phase is sampled until the periodic trapezoid rule's error,
// about (|near| r)^samples, is below this.
constexpr double kLoopTolerance = 1e-17;
constexpr int kFewestLoopSamples = 8;
// The grid of the accumulated error: this many points per standard deviation of
// the whole error, and phase samples enough to put this many in each cell a
// junction's error spans, so that none is skipped.
constexpr double kGridPointsPerSigma = 64.0;
constexpr double kSamplesPerCell = 4.0;
// The spread of the reflection passed on, smooth in the loop's phase, is
// computed on at least this many of its samples and interpolated linearly
// between them: the quantiles move by about 4e-6 dB against twice as many.
constexpr int kFewestSpreadSamples = 64;
// About 0.8 s of work on the 2-core machine the benchmark runs on: the grid's
// points times the kernels' lengths times the nodes squared, summed over the
// elements (sixteen pads of 3 dB, VSWR 1.3 between 1.5 and 2.0: 3.5e8, 72 ms).
constexpr double kMostGridWork = 4e9;
// A loop 1 - near Gamma that can come this close to vanishing is past the walk:
// its logarithm would need ever more samples.
constexpr double kLargestLoopRadius = 0.99;

// Points on which a law of r^2 is carried: Chebyshev nodes of the first kind on
// [low, high], one node where the range is a point.
class Nodes {
public:
    Nodes(double lowMagnitude, double highMagnitude)
        : lowMagnitude_(lowMagnitude)
        , highMagnitude_(highMagnitude)
    {
        const double low = lowMagnitude * lowMagnitude, high = highMagnitude * highMagnitude;
        const int count = high - low > 1e-12 * (1.0 + high) ? kMagnitudeNodes : 1;
        for (int j = 0; j < count; ++j) {
            const double angle = std::numbers::pi * (2.0 * j + 1.0) / (2.0 * count);
            squares_.push_back(0.5 * (low + high) + 0.5 * (high - low) * std::cos(angle));
            barycentric_.push_back((j % 2 == 0 ? 1.0 : -1.0) * std::sin(angle));
        }
    }

    std::size_t size() const { return squares_.size(); }
    double Magnitude(std::size_t j) const { return std::sqrt(std::max(squares_[j], 0.0)); }
    double LowMagnitude() const { return lowMagnitude_; }
    double HighMagnitude() const { return highMagnitude_; }

    // The weights that spread a point at r^2 = square over the nodes, keeping the
    // mean of every polynomial of degree below size(): Lagrange's, in barycentric form.
    void Spread(double square, std::span<double> weights) const
    {
        double sum = 0.0;
        for (std::size_t j = 0; j < size(); ++j) {
            const double gap = square - squares_[j];
            if (gap == 0.0) {
                std::fill(weights.begin(), weights.end(), 0.0);
                weights[j] = 1.0;
                return;
            }
            weights[j] = barycentric_[j] / gap;
            sum += weights[j];
        }
        for (double& w : weights)
            w /= sum;
    }

private:
    double lowMagnitude_, highMagnitude_;
    std::vector<double> squares_, barycentric_;
};

// The range of |Gamma| passed on by an element, whatever the phases, from that of the one it meets.
struct MagnitudeRange {
    double low, high;
};
MagnitudeRange RangeAfter(MagnitudeRange in, const WalkElement& element)
{
    const double near = std::abs(element.near), far = std::abs(element.far), transfer = std::abs(element.transfer);
    const double most = transfer * in.high / std::max(1.0 - near * in.high, 1e-9);
    const double least = element.phaseKnown ? 0.0 : transfer * in.low / (1.0 + near * in.low);
    return {std::max({0.0, far - most, least - far}), far + most};
}

Nodes NodesAfter(const Nodes& in, const WalkElement& element)
{
    const MagnitudeRange out = RangeAfter({in.LowMagnitude(), in.HighMagnitude()}, element);
    return Nodes(out.low, out.high);
}

// Samples of a loop 1 - c e^(j phi), |c| = radius, for the trapezoid rule to
// reach kLoopTolerance and, on a grid of cells of cellNepers (0: none), to put
// kSamplesPerCell samples in every cell its logarithm spans.
int LoopSamples(double radius, double cellNepers)
{
    if (radius <= 0.0)
        return 1;
    double samples = radius < 1.0 ? std::log(kLoopTolerance) / std::log(radius) + 2.0 : 4096.0;
    if (cellNepers > 0.0)
        samples = std::max(samples, kSamplesPerCell * std::log((1.0 + radius) / std::max(1.0 - radius, 1e-9)) / cellNepers);
    return static_cast<int>(std::clamp(std::ceil(samples), static_cast<double>(kFewestLoopSamples), 65536.0));
}

// The loop 1 - near Gamma at |Gamma| = r and the loop's phase phi.
Complex LoopAt(double r, const WalkElement& element, double phi)
{
    const Complex gamma = std::polar(r, phi);
    return 1.0 - (element.phaseKnown ? element.near : Complex(std::abs(element.near))) * gamma;
}

// How the reflection an element passes on spreads over the nodes `out`, at
// |Gamma| = r and the loop's phase phi. A pad's second phase (of S21 S12 against
// S11) is averaged exactly: r'^2 is of degree one in its cosine, the spread of
// degree out.size() - 1 in r'^2, so out.size() + 1 samples hold it exactly.
void SpreadAt(double r, const WalkElement& element, const Nodes& out, double phi, std::span<double> spread)
{
    const Complex loop = LoopAt(r, element, phi);
    if (element.phaseKnown) {
        out.Spread(std::norm(element.far + element.transfer * std::polar(r, phi) / loop), spread);
        return;
    }
    const double far = std::abs(element.far), bounce = std::abs(element.transfer) * r / std::abs(loop);
    const int turns = far > 0.0 && bounce > 0.0 ? static_cast<int>(out.size()) + 1 : 1;
    std::vector<double> weights(out.size());
    std::fill(spread.begin(), spread.end(), 0.0);
    for (int k = 0; k < turns; ++k) {
        out.Spread(far * far + bounce * bounce + 2.0 * far * bounce * std::cos(2.0 * std::numbers::pi * k / turns), weights);
        for (std::size_t j = 0; j < spread.size(); ++j)
            spread[j] += weights[j] / turns;
    }
}

// Passes one node's |Gamma| = r through an element: for each sample of the
// unknown phase of the loop 1 - near Gamma, `take` gets the sample's weight, the
// loop's logarithm (the junction's share of ln |D|) and how the reflection passed
// on spreads over the nodes `out`. The spread, smooth in the phase, is computed
// on as many samples as its own convergence needs and interpolated linearly
// between them for the finer samples a grid of cellNepers asks for.
template <typename Take>
void Pass(double r, const WalkElement& element, const Nodes& out, double cellNepers, Take&& take)
{
    const double radius = std::abs(element.near) * r;
    int coarse = cellNepers > 0.0 ? std::max(LoopSamples(radius, 0.0), kFewestSpreadSamples) : LoopSamples(radius, 0.0);
    if (element.phaseKnown && r > 0.0)
        coarse = std::max(coarse, static_cast<int>(out.size()) + 1);
    if (r == 0.0 || (radius == 0.0 && !element.phaseKnown))
        coarse = 1;
    const int finer = coarse == 1 ? 1 : (LoopSamples(radius, cellNepers) + coarse - 1) / coarse;
    std::vector<std::vector<double>> spreads(static_cast<std::size_t>(coarse), std::vector<double>(out.size()));
    for (int c = 0; c < coarse; ++c)
        SpreadAt(r, element, out, 2.0 * std::numbers::pi * c / coarse, spreads[static_cast<std::size_t>(c)]);
    std::vector<double> spread(out.size());
    const int samples = coarse * finer;
    for (int p = 0; p < samples; ++p) {
        const std::vector<double>& before = spreads[static_cast<std::size_t>(p / finer)];
        const std::vector<double>& after = spreads[static_cast<std::size_t>((p / finer + 1) % coarse)];
        const double share = static_cast<double>(p % finer) / finer;
        for (std::size_t j = 0; j < spread.size(); ++j)
            spread[j] = before[j] + share * (after[j] - before[j]);
        const Complex loop = LoopAt(r, element, 2.0 * std::numbers::pi * p / samples);
        take(1.0 / samples, 0.5 * std::log(std::norm(loop)), std::span<const double>(spread));
    }
}

// The last junction, at the source: ln |1 - r e^(j theta)| over a uniform theta
// has mean max(0, ln r) and variance Li2(min(r, 1 / r)^2) / 2.
double LastMeanNepers(double r)
{
    return r > 1.0 ? std::log(r) : 0.0;
}

double LastVarianceNepers2(double r)
{
    return 0.5 * Dilogarithm(r > 1.0 ? 1.0 / (r * r) : r * r);
}

// The error accumulated from the load, on points origin + k cell, each node's
// law a row of masses: a value between points is spread over the four points
// around it with cubic Lagrange weights, which keeps its mass and its first
// three moments, so the grid neither widens nor shifts the law.
class ErrorGrid {
public:
    ErrorGrid(double lowNepers, double highNepers, double cellNepers)
        : origin_(lowNepers - 2.0 * cellNepers)
        , cell_(cellNepers)
        , points_(static_cast<std::size_t>(std::ceil((highNepers - lowNepers) / cellNepers)) + 5)
    {
    }

    std::size_t Points() const { return points_; }
    double Cell() const { return cell_; }
    double At(std::size_t k) const { return origin_ + static_cast<double>(k) * cell_; }

    // Where nepers lies, in points from point 0.
    double Position(double nepers) const { return (nepers - origin_) / cell_; }

    // out += row convolved with a kernel whose entry 0 is a shift of `shift` points;
    // what would fall outside the grid is kept at its ends.
    void Convolve(std::span<const double> row, std::span<const double> kernel, long shift, std::vector<double>& out) const
    {
        const long size = static_cast<long>(out.size()), length = static_cast<long>(kernel.size());
        for (long k = 0; k < static_cast<long>(row.size()); ++k) {
            const double mass = row[static_cast<std::size_t>(k)];
            if (mass == 0.0)
                continue;
            const long from = std::max(0L, -(k + shift)), to = std::min(length, size - (k + shift));
            double* const target = out.data() + (k + shift);
            for (long d = from; d < to; ++d)
                target[d] += mass * kernel[static_cast<std::size_t>(d)];
            for (long d = 0; d < std::min(from, length); ++d)
                out.front() += mass * kernel[static_cast<std::size_t>(d)];
            for (long d = std::max(to, 0L); d < length; ++d)
                out.back() += mass * kernel[static_cast<std::size_t>(d)];
        }
    }

private:
    double origin_, cell_;
    std::size_t points_;
};

// Where a value at `position` (in points) goes on a grid: the four points around
// it, from `first`, with cubic Lagrange weights.
struct Stencil {
    long first;
    double weights[4];
};
Stencil StencilAt(double position)
{
    const double below = std::floor(position), d = position - below;
    return {static_cast<long>(below) - 1,
            {-d * (d - 1.0) * (d - 2.0) / 6.0, (d + 1.0) * (d - 1.0) * (d - 2.0) / 2.0,
             -(d + 1.0) * d * (d - 2.0) / 2.0, (d + 1.0) * d * (d - 1.0) / 6.0}};
}

// Adds `mass` through a stencil to a row, what falls outside at its ends.
void Deposit(std::vector<double>& row, const Stencil& stencil, double mass)
{
    const long last = static_cast<long>(row.size()) - 1;
    for (long t = 0; t < 4; ++t)
        row[static_cast<std::size_t>(std::clamp(stencil.first + t, 0L, last))] += mass * stencil.weights[t];
}

// The kernel of one junction's share of ln |D| for a loop of radius c: its
// first point, in cells, and how many it spans (with the stencil's margins).
struct KernelSpan {
    long first;
    std::size_t length;
};
KernelSpan SpanOf(double radius, double cellNepers)
{
    const double low = std::log(std::max(1.0 - radius, 1e-300)), high = std::log1p(radius);
    const long first = static_cast<long>(std::floor(low / cellNepers)) - 2;
    return {first, static_cast<std::size_t>(static_cast<long>(std::floor(high / cellNepers)) + 4 - first)};
}

// The quantile where the cumulative sum of the masses, a CDF at the midpoints
// between points, reaches `tail`: inverse cubic interpolation through the four
// midpoints around the crossing, the CDF being smooth and rising there.
double Quantile(const ErrorGrid& grid, const std::vector<double>& masses, double tail)
{
    std::vector<double> below(masses.size());
    double sum = 0.0;
    for (std::size_t k = 0; k < masses.size(); ++k)
        below[k] = sum += masses[k];
    const std::size_t crossing = static_cast<std::size_t>(std::lower_bound(below.begin(), below.end(), tail) - below.begin());
    const std::size_t first = std::clamp(crossing, std::size_t{2}, below.size() - 2) - 2;
    double nepers = 0.0;
    for (std::size_t a = first; a < first + 4; ++a) {
        double weight = grid.At(a) + 0.5 * grid.Cell();
        for (std::size_t b = first; b < first + 4; ++b)
            weight *= b == a ? 1.0 : (tail - below[b]) / (below[a] - below[b]);
        nepers += weight;
    }
    return nepers;
}

// At each node of r^2: the probability, and the means over it of the error and of its square.
struct NodeMoments {
    std::vector<double> mass, first, second;

    explicit NodeMoments(std::size_t nodes)
        : mass(nodes), first(nodes), second(nodes)
    {
    }

    // Adds what `from` (at node i) passes on, the junction's share `nepers` with
    // probability weight, over the spread of the reflection passed on.
    void Add(const NodeMoments& from, std::size_t i, double weight, double nepers, std::span<const double> spread)
    {
        for (std::size_t j = 0; j < spread.size(); ++j) {
            const double w = weight * spread[j];
            mass[j] += w * from.mass[i];
            first[j] += w * (from.first[i] + nepers * from.mass[i]);
            second[j] += w * (from.second[i] + 2.0 * nepers * from.first[i] + nepers * nepers * from.mass[i]);
        }
    }
};

NodeMoments Passed(const Nodes& in, const NodeMoments& moments, const WalkElement& element, const Nodes& out)
{
    NodeMoments next(out.size());
    for (std::size_t i = 0; i < in.size(); ++i)
        Pass(in.Magnitude(i), element, out, 0.0, [&](double weight, double nepers, std::span<const double> spread) {
            next.Add(moments, i, weight, nepers, spread);
        });
    return next;
}

}  // namespace

bool Walkable(const WalkChain& chain)
{
    MagnitudeRange range{chain.loadMagnitude, chain.loadMagnitude};
    for (const WalkElement& element : chain.fromLoad) {
        if (!(std::abs(element.near) * range.high <= kLargestLoopRadius))
            return false;
        range = RangeAfter(range, element);
    }
    return std::isfinite(chain.sourceMagnitude * range.high);
}

// For each node of r^2 on [0, 1], what the pad passes on from a certain r there,
// on nodes over the same range (or over all it can pass on, where that is wider):
// passed[i].mass[j], .first[j] and .second[j] are the probability of reaching
// node j and the means of the loop's logarithm and its square over it.
struct PadAverages::Table {
    Nodes in;
    Nodes out;
    std::vector<NodeMoments> passed;
};

PadAverages::PadAverages(const WalkElement& pad)
    : pad_(pad)
    , table_(std::make_unique<Table>(Table{Nodes(0.0, 1.0), Nodes(0.0, 1.0), {}}))
{
    // Interpolated in r^2 below the loop's singularity at 1 / |S22|^2: from 4 on,
    // 16 nodes reach rounding.
    constexpr double kLargestReflection = 0.5;
    usable_ = !pad.phaseKnown && std::abs(pad.near) <= kLargestReflection;
    if (!usable_)
        return;
    const double most = NodesAfter(table_->in, pad).HighMagnitude();
    if (most > 1.0)
        table_->out = Nodes(0.0, most);
    for (std::size_t i = 0; i < table_->in.size(); ++i) {
        NodeMoments certain(1);
        certain.mass[0] = 1.0;
        const double r = table_->in.Magnitude(i);
        table_->passed.push_back(Passed(Nodes(r, r), certain, pad, table_->out));
    }
}

PadAverages::~PadAverages() = default;
PadAverages::PadAverages(PadAverages&&) noexcept = default;
PadAverages& PadAverages::operator=(PadAverages&&) noexcept = default;

bool PadAverages::Holds(const WalkElement& element) const
{
    return usable_ && !element.phaseKnown && std::abs(element.near) == std::abs(pad_.near)
           && std::abs(element.far) == std::abs(pad_.far) && std::abs(element.transfer) == std::abs(pad_.transfer);
}

bool Reuses(const WalkChain& chain, std::span<const PadAverages> pads)
{
    return std::any_of(chain.fromLoad.begin(), chain.fromLoad.end(), [&](const WalkElement& element) {
        return std::any_of(pads.begin(), pads.end(), [&](const PadAverages& pad) { return pad.Holds(element); });
    });
}

namespace {

// Closes the walk at the source's junction, whose phase is uniform.
WalkMoments AtSource(const WalkChain& chain, const Nodes& nodes, const NodeMoments& moments)
{
    double mean = 0.0, square = 0.0;
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        const double r = chain.sourceMagnitude * nodes.Magnitude(i);
        const double lastMean = LastMeanNepers(r);
        mean += moments.first[i] + lastMean * moments.mass[i];
        square += moments.second[i] + 2.0 * lastMean * moments.first[i]
                  + (lastMean * lastMean + LastVarianceNepers2(r)) * moments.mass[i];
    }
    return {chain.offsetNepers + mean, std::max(square - mean * mean, 0.0)};
}

// The moments at `nodes` spread over the nodes `onto`, keeping every polynomial's mean.
NodeMoments Respread(const Nodes& nodes, const NodeMoments& moments, const Nodes& onto)
{
    NodeMoments spread(onto.size());
    std::vector<double> weights(onto.size());
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        onto.Spread(nodes.Magnitude(i) * nodes.Magnitude(i), weights);
        for (std::size_t j = 0; j < onto.size(); ++j) {
            spread.mass[j] += weights[j] * moments.mass[i];
            spread.first[j] += weights[j] * moments.first[i];
            spread.second[j] += weights[j] * moments.second[i];
        }
    }
    return spread;
}

// Through a pad whose averages are made, the moments on its nodes: the error's
// moments shifted by the loop's (e'^2 = e^2 + 2 e dn + dn^2), node by node.
NodeMoments ThroughTable(const PadAverages::Table& table, const NodeMoments& moments)
{
    NodeMoments next(table.out.size());
    for (std::size_t i = 0; i < table.passed.size(); ++i) {
        const NodeMoments& from = table.passed[i];
        for (std::size_t j = 0; j < next.mass.size(); ++j) {
            next.mass[j] += from.mass[j] * moments.mass[i];
            next.first[j] += from.mass[j] * moments.first[i] + from.first[j] * moments.mass[i];
            next.second[j] += from.mass[j] * moments.second[i] + 2.0 * from.first[j] * moments.first[i]
                              + from.second[j] * moments.mass[i];
        }
    }
    return next;
}

}  // namespace

WalkMoments WalkedMoments(const WalkChain& chain, std::span<const PadAverages> pads)
{
    std::optional<Nodes> own(std::in_place, chain.loadMagnitude, chain.loadMagnitude);
    const Nodes* nodes = &*own;  // the table's own nodes where a table passed it on
    NodeMoments moments(1);
    moments.mass[0] = 1.0;
    for (const WalkElement& element : chain.fromLoad) {
        const auto table = std::find_if(pads.begin(), pads.end(), [&](const PadAverages& p) { return p.Holds(element); });
        if (table != pads.end() && nodes->HighMagnitude() <= 1.0) {
            const PadAverages::Table& averages = table->Averages();
            if (nodes != &averages.in)
                moments = Respread(*nodes, moments, averages.in);
            moments = ThroughTable(averages, moments);
            nodes = &averages.out;
            continue;
        }
        Nodes next = NodesAfter(*nodes, element);
        moments = Passed(*nodes, moments, element, next);
        own = std::move(next);
        nodes = &*own;
    }
    return AtSource(chain, *nodes, moments);
}

std::optional<WalkQuantiles> WalkedQuantiles(const WalkChain& chain, double lowTail, double highTail)
{
    // The grid: its cell from the whole error's spread, its range from the
    // largest loop at each junction; and the work it will take, refused past a second or so.
    if (!Walkable(chain))
        return std::nullopt;
    const WalkMoments moments = WalkedMoments(chain);
    const double cell = std::sqrt(moments.varianceNepers2) / kGridPointsPerSigma;
    if (!(cell > 0.0))
        return std::nullopt;
    std::vector<Nodes> nodes{Nodes(chain.loadMagnitude, chain.loadMagnitude)};
    double low = 0.0, high = 0.0, kernels = 0.0;
    for (const WalkElement& element : chain.fromLoad) {
        const double radius = std::abs(element.near) * nodes.back().HighMagnitude();
        low += std::log(std::max(1.0 - radius, 1e-300)), high += std::log1p(radius);
        kernels += static_cast<double>(SpanOf(radius, cell).length * nodes.back().size()) * kMagnitudeNodes;
        nodes.push_back(NodesAfter(nodes.back(), element));
    }
    const double lastRadius = chain.sourceMagnitude * nodes.back().HighMagnitude();
    low += std::log(std::max(1.0 - lastRadius, 1e-300)), high += std::log1p(lastRadius);
    low = std::max(low, moments.meanNepers - chain.offsetNepers - 40.0 * std::sqrt(moments.varianceNepers2));
    const ErrorGrid grid(low, high, cell);
    if (kernels * static_cast<double>(grid.Points()) > kMostGridWork)
        return std::nullopt;

    std::vector<std::vector<double>> rows(1, std::vector<double>(grid.Points()));
    Deposit(rows[0], StencilAt(grid.Position(0.0)), 1.0);
    for (std::size_t e = 0; e < chain.fromLoad.size(); ++e) {
        const Nodes& in = nodes[e];
        const Nodes& out = nodes[e + 1];
        std::vector<std::vector<double>> next(out.size(), std::vector<double>(grid.Points()));
        for (std::size_t i = 0; i < in.size(); ++i) {
            const double r = in.Magnitude(i);
            const KernelSpan span = SpanOf(std::abs(chain.fromLoad[e].near) * r, cell);
            std::vector<std::vector<double>> kernel(out.size(), std::vector<double>(span.length));
            Pass(r, chain.fromLoad[e], out, cell, [&](double weight, double nepers, std::span<const double> spread) {
                const Stencil stencil = StencilAt(nepers / cell - static_cast<double>(span.first));
                for (std::size_t j = 0; j < out.size(); ++j)
                    Deposit(kernel[j], stencil, weight * spread[j]);
            });
            for (std::size_t j = 0; j < out.size(); ++j)
                grid.Convolve(rows[i], kernel[j], span.first, next[j]);
        }
        rows.swap(next);
    }
    // The source's junction, its phase uniform: symmetric in theta, so half the circle.
    std::vector<double> total(grid.Points());
    const Nodes& last = nodes.back();
    for (std::size_t i = 0; i < last.size(); ++i) {
        const double r = chain.sourceMagnitude * last.Magnitude(i);
        const KernelSpan span = SpanOf(r, cell);
        std::vector<double> kernel(span.length);
        const int samples = LoopSamples(r, cell);
        for (int p = 0; p < samples; ++p) {
            const double nepers = 0.5 * std::log(std::norm(1.0 - std::polar(r, std::numbers::pi * (p + 0.5) / samples)));
            Deposit(kernel, StencilAt(nepers / cell - static_cast<double>(span.first)), 1.0 / samples);
        }
        grid.Convolve(rows[i], kernel, span.first, total);
    }
    return WalkQuantiles{chain.offsetNepers + Quantile(grid, total, lowTail), chain.offsetNepers + Quantile(grid, total, highTail)};
}

}  // namespace corvalen::measured
