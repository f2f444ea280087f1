// SPDX-License-Identifier: MIT
#include "measuredtext/chart_series.h"

#include <algorithm>
#include <complex>

namespace corvalen::measuredtext {

void PlotSeries::Append(const measured::RowValues& row)
{
    frequencyHz.push_back(row.frequencyHz);
    plusDb.push_back(row.direct.plusUncertaintyDb);
    minusDb.push_back(row.direct.minusUncertaintyDb);
    if (row.direct.mismatchErrorDb)
        errorDb.push_back(*row.direct.mismatchErrorDb);
    mismatchLossDb.push_back(row.loadMismatchLossDb);
    if (row.source.gammaMagnitude > 1.0)
        sourceAboveOneHz.push_back(row.frequencyHz);
    if (row.load.gammaMagnitude > 1.0)
        loadAboveOneHz.push_back(row.frequencyHz);
    if (row.through) {
        throughPlusDb.push_back(row.through->plusUncertaintyDb);
        throughMinusDb.push_back(row.through->minusUncertaintyDb);
        if (row.through->mismatchErrorDb)
            throughErrorDb.push_back(*row.through->mismatchErrorDb);
    }
}

std::string ChainName(const measured::Bench& bench)
{
    std::string chain;
    for (const measured::Through& twoPort : bench.chain)
        chain.append(chain.empty() ? "" : " then ").append(twoPort.name);
    return chain;
}

SmithSeries SmithSeriesOf(const measured::Side& side, SmithSide as, measured::Band band)
{
    SmithSeries series;
    series.name = side.name;
    const measured::Reflection* measured = side.Measured();
    if (!measured) {
        series.fixedGammaMagnitude = std::get<measured::SideValues>(side.value).gammaMagnitude;
        return series;
    }
    const auto& hz = measured->frequencyHz;
    const auto first = std::lower_bound(hz.begin(), hz.end(), band.fromHz);
    const auto end = std::upper_bound(first, hz.end(), band.toHz);
    series.frequencyHz = std::span<const double>(first, end);
    const auto offset = static_cast<std::size_t>(first - hz.begin());
    series.real.reserve(series.frequencyHz.size());
    series.imaginary.reserve(series.frequencyHz.size());
    for (std::size_t i = offset; i < offset + series.frequencyHz.size(); ++i) {
        const std::complex<double> gamma = measured->gamma[i];
        series.real.push_back(gamma.real());
        series.imaginary.push_back(as == SmithSide::SourceConjugate ? -gamma.imag() : gamma.imag());
    }
    return series;
}

}  // namespace corvalen::measuredtext
