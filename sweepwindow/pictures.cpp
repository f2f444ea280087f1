// SPDX-License-Identifier: MIT
#include "pictures.h"

#include "chart_views.h"
#include "plot/picture_file.h"

namespace corvalen::sweepwindow {

std::string SaveSweepPicture(const MeasuredSweep& sweep, const std::string& path)
{
    const measuredtext::PlotSeries series = sweep.Series();
    return plot::WritePicture(SweepChartOf(sweep, series), path);
}

std::string SaveSmithPicture(const MeasuredSweep& sweep, const std::string& path)
{
    const measuredtext::SmithSeries load = sweep.LoadPoints();
    const measuredtext::SmithSeries sourceConjugate = sweep.SourceConjugatePoints();
    return plot::WritePicture(SmithChartOf(load, sourceConjugate), path);
}

}  // namespace corvalen::sweepwindow
