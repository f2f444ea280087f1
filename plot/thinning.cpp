// SPDX-License-Identifier: MIT
#include "plot/thinning.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <optional>

namespace corvalen::plot {

namespace {

// One pixel column's points, each kept with its place in the trace.
class Column {
public:
    explicit Column(long index, QPointF point)
        : index_(index), first_(point), low_(point), high_(point), last_(point)
    {
    }
    long Index() const { return index_; }
    void Take(QPointF point, std::size_t order)
    {
        // Pixels grow downwards: the lowest value has the largest y.
        if (point.y() > low_.y()) {
            low_ = point;
            lowOrder_ = order;
        }
        if (point.y() < high_.y()) {
            high_ = point;
            highOrder_ = order;
        }
        last_ = point;
    }
    void AddTo(Polyline& line) const
    {
        line.Add(first_);
        line.Add(lowOrder_ < highOrder_ ? low_ : high_);
        line.Add(lowOrder_ < highOrder_ ? high_ : low_);
        line.Add(last_);
    }

private:
    long index_;
    QPointF first_, low_, high_, last_;
    std::size_t lowOrder_ = 0, highOrder_ = 0;
};

// The last points kept, for NearbyThinned to compare each new point with.
constexpr std::size_t kRecentKept = 16;
constexpr qreal kLeastMovePixels = 0.75;

}  // namespace

Polyline ColumnEnvelope(std::span<const double> x, std::span<const double> y, const QTransform& toPixels)
{
    Polyline line;
    std::optional<Column> column;
    const auto close = [&] {
        if (column)
            column->AddTo(line);
        column.reset();
    };
    for (std::size_t i = 0; i < std::min(x.size(), y.size()); ++i) {
        if (!std::isfinite(x[i]) || !std::isfinite(y[i])) {
            close();
            line.Break();
            continue;
        }
        const QPointF point = toPixels.map(QPointF(x[i], y[i]));
        const long index = std::lround(std::clamp<qreal>(point.x(), -1e9, 1e9));
        if (!column || column->Index() != index) {
            close();
            column.emplace(index, point);
        }
        column->Take(point, i);
    }
    close();
    return line;
}

Polyline NearbyThinned(std::span<const double> x, std::span<const double> y, const QTransform& toPixels)
{
    Polyline line;
    std::array<QPointF, kRecentKept> recent;
    std::size_t kept = 0;  // since the last break
    std::optional<QPointF> dropped;  // the latest point not kept, if nothing was kept after it
    const auto near = [&](QPointF point) {
        return std::any_of(recent.begin(), recent.begin() + static_cast<long>(std::min(kept, kRecentKept)),
                           [&](QPointF other) {
                               const QPointF apart = point - other;
                               return QPointF::dotProduct(apart, apart) < kLeastMovePixels * kLeastMovePixels;
                           });
    };
    const auto endRun = [&] {
        if (dropped)
            line.Add(*dropped);
        dropped.reset();
        kept = 0;
        line.Break();
    };
    for (std::size_t i = 0; i < std::min(x.size(), y.size()); ++i) {
        if (!std::isfinite(x[i]) || !std::isfinite(y[i])) {
            endRun();
            continue;
        }
        const QPointF point = toPixels.map(QPointF(x[i], y[i]));
        if (near(point)) {
            dropped = point;
            continue;
        }
        line.Add(point);
        recent[kept++ % kRecentKept] = point;
        dropped.reset();
    }
    endRun();
    return line;
}

}  // namespace corvalen::plot
