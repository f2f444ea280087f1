// SPDX-License-Identifier: MIT
#include "chain_walk.h"

#include "walk_steps.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <span>

namespace corvalen::measured {

using namespace walk;

namespace {

// A loop 1 - near Gamma that can come this close to vanishing is past the walk:
// its logarithm would need ever more samples.
constexpr double kLargestLoopRadius = 0.99;

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

PadAverages::PadAverages(const WalkElement& pad, double reach)
    : pad_(pad)
    , table_(std::make_unique<Table>(Table{Nodes(0.0, reach), Nodes(0.0, reach), {}}))
{
    // Interpolated in r^2 on [0, reach^2] below the loop's singularity at 1 / |S22|^2:
    // from 4 reach^2 on, 16 nodes reach rounding.
    constexpr double kLargestLoop = 0.5;
    usable_ = !pad.phaseKnown && std::abs(pad.near) * reach <= kLargestLoop;
    const double most = NodesAfter(table_->in, pad).HighMagnitude();
    if (most > reach)
        table_->out = Nodes(0.0, most);
    if (!usable_)
        return;
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

double PadAverages::Reach() const
{
    return table_->in.HighMagnitude();
}

double PadAverages::PassesOn() const
{
    return table_->out.HighMagnitude();
}

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
        const double mass = moments.mass[i];
        if (moments.first[i] == 0.0 && moments.second[i] == 0.0) {
            // Where nothing has accrued yet (the load's own node): only the pad's share.
            for (std::size_t j = 0; j < next.mass.size(); ++j) {
                next.mass[j] += from.mass[j] * mass;
                next.first[j] += from.first[j] * mass;
                next.second[j] += from.second[j] * mass;
            }
            continue;
        }
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

double WalkWorkNs(const WalkChain& chain, std::span<const PadAverages> pads)
{
    // Measured: a pad's averages applied about 1.5 us; a spread weight, with its
    // division, about 4 ns; the source's junction a dilogarithm, about 50 ns, a node.
    constexpr double kTableNs = 1500.0, kWeightNs = 4.0, kJunctionNs = 50.0;
    MagnitudeRange range{chain.loadMagnitude, chain.loadMagnitude};
    double nodes = 1.0, work = 0.0;
    const double most = kMagnitudeNodes;
    for (const WalkElement& element : chain.fromLoad) {
        const auto table = std::find_if(pads.begin(), pads.end(), [&](const PadAverages& p) {
            return p.Holds(element) && range.high <= p.Reach();
        });
        if (table != pads.end()) {
            work += kTableNs;
            range = {0.0, table->PassesOn()};
        } else {
            const double samples = LoopSamples(std::abs(element.near) * range.high, 0.0);
            work += kWeightNs * nodes * samples * (element.phaseKnown ? 1.0 : most + 1.0) * most;
            range = RangeAfter(range, element);
        }
        nodes = range.high > range.low ? most : 1.0;
    }
    return work + kJunctionNs * nodes;
}

WalkMoments WalkedMoments(const WalkChain& chain, std::span<const PadAverages> pads)
{
    std::optional<Nodes> own(std::in_place, chain.loadMagnitude, chain.loadMagnitude);
    const Nodes* nodes = &*own;  // the table's own nodes where a table passed it on
    NodeMoments moments(1);
    moments.mass[0] = 1.0;
    for (const WalkElement& element : chain.fromLoad) {
        const auto table = std::find_if(pads.begin(), pads.end(), [&](const PadAverages& p) {
            return p.Holds(element) && nodes->HighMagnitude() <= p.Reach();
        });
        if (table != pads.end()) {
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

}  // namespace corvalen::measured
