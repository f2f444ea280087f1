// SPDX-License-Identifier: MIT
#pragma once

// The band the charts, the worst case and the table are narrowed to: From,
// To and Reset band on one line of the inputs' grid, and a note that says why
// a band typed cannot be read or holds no frequency of the sweep.

#include "measured/sweep.h"

#include <QObject>
#include <QString>

#include <optional>

class QLabel;
class QLineEdit;
class QWidget;

namespace corvalen::sweepwindow {

class InputGrid;

struct BandTexts {
    QString from;
    QString to;
};

class BandEditor final : public QObject {
    Q_OBJECT
public:
    BandEditor(QWidget* host, InputGrid& grid);

    BandTexts Texts() const;
    // Both ends at once, as a band dragged on the plot gives them: one change.
    void SetTexts(const BandTexts& texts);
    // The band typed; nothing, with the refusal in the note, when it cannot be read.
    std::optional<measured::Band> Band();
    // The band reads well but the sweep has no frequency in it.
    void SayHoldsNoRow(const QString& message);
    QString Note() const;

signals:
    void Edited();

private:
    void SayFault(const QString& message);

    QLineEdit* from_;
    QLineEdit* to_;
    QLabel* note_;
};

}  // namespace corvalen::sweepwindow
