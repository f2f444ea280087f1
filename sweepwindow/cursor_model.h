// SPDX-License-Identifier: MIT
#pragma once

// The sweep shown and the row of its frequency cursor, which both charts and
// the readout follow: where the cursor starts (the widest limits, or where it
// was when a file is read again), its moves and steps, and the band that
// narrows the sweep with the cursor kept inside it.

#include "bench_result.h"

#include <QObject>

#include <cstddef>
#include <memory>
#include <optional>

namespace corvalen::sweepwindow {

// Where the cursor goes on a new sweep.
enum class CursorStart { AtWidestLimits, AtSameFrequency };

enum class CursorStep { PointDown, PointUp, TenthDown, TenthUp, First, Last };

class CursorModel final : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Takes the sweep narrowed to `band` where it has rows there; false, and
    // the whole sweep shown, where it has none.
    bool Show(std::unique_ptr<MeasuredSweep> sweep, std::optional<measured::Band> band, CursorStart start);
    void Clear();
    // False, and nothing changed, when the band holds no row of the sweep.
    // The cursor stays where it was if the band holds it, else goes to the widest limits.
    bool SetBand(measured::Band band);

    void MoveTo(std::size_t row);
    void MoveToFrequency(double frequencyHz);
    void Step(CursorStep step);
    // The step a key on a chart asks for, if any.
    static std::optional<CursorStep> StepOfKey(int key);

    const MeasuredSweep* Sweep() const { return sweep_.get(); }
    std::size_t Row() const { return row_; }

signals:
    // A sweep shown, cleared or narrowed: the charts draw it again. The sweep
    // given lives until the next SweepChanged.
    void SweepChanged(const corvalen::sweepwindow::MeasuredSweep* sweep, std::size_t row);
    void Moved(std::size_t row);

private:
    std::size_t WidestOr(double frequencyHz) const;

    std::unique_ptr<MeasuredSweep> sweep_;
    std::size_t row_ = 0;
};

}  // namespace corvalen::sweepwindow
