// SPDX-License-Identifier: MIT
#include "cursor_model.h"

#include <Qt>

#include <algorithm>

namespace corvalen::sweepwindow {

bool CursorModel::Show(std::unique_ptr<MeasuredSweep> sweep, std::optional<measured::Band> band, CursorStart start)
{
    const std::optional<double> keptHz =
        start == CursorStart::AtSameFrequency && sweep_ ? std::optional(sweep_->FrequencyAt(row_)) : std::nullopt;
    // The charts let go of the old sweep before it goes.
    emit SweepChanged(nullptr, 0);
    sweep_ = std::move(sweep);
    const bool bandHeld = !band || sweep_->SetBand(*band);
    row_ = keptHz ? sweep_->RowNear(*keptHz) : WidestOr(sweep_->FrequencyAt(0));
    emit SweepChanged(sweep_.get(), row_);
    emit Moved(row_);
    return bandHeld;
}

void CursorModel::Clear()
{
    emit SweepChanged(nullptr, 0);
    sweep_.reset();
    row_ = 0;
}

bool CursorModel::SetBand(measured::Band band)
{
    if (!sweep_)
        return true;
    const double cursorHz = sweep_->FrequencyAt(row_);
    if (!sweep_->SetBand(band))
        return false;
    const bool inside = cursorHz >= band.fromHz && cursorHz <= band.toHz;
    row_ = inside ? sweep_->RowNear(cursorHz) : WidestOr(cursorHz);
    emit SweepChanged(sweep_.get(), row_);
    emit Moved(row_);
    return true;
}

std::size_t CursorModel::WidestOr(double frequencyHz) const
{
    const auto& widest = sweep_->Worst().widestLimits;
    return sweep_->RowNear(widest ? widest->frequencyHz : frequencyHz);
}

void CursorModel::MoveTo(std::size_t row)
{
    if (!sweep_)
        return;
    row_ = std::min(row, sweep_->RowCount() - 1);
    emit Moved(row_);
}

void CursorModel::MoveToFrequency(double frequencyHz)
{
    if (sweep_)
        MoveTo(sweep_->RowNear(frequencyHz));
}

void CursorModel::Step(CursorStep step)
{
    if (!sweep_)
        return;
    const std::size_t last = sweep_->RowCount() - 1;
    switch (step) {
    case CursorStep::PointDown: return MoveTo(row_ > 0 ? row_ - 1 : 0);
    case CursorStep::PointUp: return MoveTo(std::min(row_ + 1, last));
    case CursorStep::TenthDown: return MoveTo(sweep_->TenthAway(row_, false));
    case CursorStep::TenthUp: return MoveTo(sweep_->TenthAway(row_, true));
    case CursorStep::First: return MoveTo(0);
    case CursorStep::Last: return MoveTo(last);
    }
}

std::optional<CursorStep> CursorModel::StepOfKey(int key)
{
    switch (key) {
    case Qt::Key_Left: return CursorStep::PointDown;
    case Qt::Key_Right: return CursorStep::PointUp;
    case Qt::Key_PageDown: return CursorStep::TenthDown;
    case Qt::Key_PageUp: return CursorStep::TenthUp;
    case Qt::Key_Home: return CursorStep::First;
    case Qt::Key_End: return CursorStep::Last;
    default: return std::nullopt;
    }
}

}  // namespace corvalen::sweepwindow
