// SPDX-License-Identifier: MIT
#pragma once

// The readout beside the charts: the worst case's buttons, the values at the
// cursor (or the one-off values of fixed sides, with their coverage interval),
// the verdict on the chain, and a QAction each for Copy, Export table, Save
// plot and Save Smith chart, with their shortcuts and buttons.

#include "bench_result.h"
#include "readout.h"

#include <QWidget>

#include <array>
#include <functional>
#include <optional>
#include <vector>

class QAction;
class QGridLayout;
class QLabel;
class QPushButton;

namespace corvalen::sweepwindow {

class CursorModel;

class ReadoutPanel final : public QWidget {
    Q_OBJECT
public:
    explicit ReadoutPanel(CursorModel& cursor, QWidget* parent = nullptr);

    void ShowOneOff(const OneOff& oneOff);
    // The readout as the clipboard gets it.
    QString Text() const;
    // Writes the table as corvalen-cli sweep does (CSV for a name ending in
    // .csv, else TSV); an empty string when written, else why not.
    QString ExportTable(const QString& path) const;

signals:
    // What became of a command: a file written, or why not.
    void Said(const QString& message);

private:
    enum class Chart { Plot, Smith };
    QAction* AddCommand(const QString& text, const QKeySequence& keys, const std::function<void()>& act);
    void ShowSweep();
    void ShowRow(std::size_t row);
    void ShowLines(const std::vector<ReadoutLine>& lines);
    void Copy();
    void ExportWithDialog();
    void SaveWithDialog(Chart chart);

    CursorModel& cursor_;
    std::optional<OneOff> oneOff_;
    QPushButton* widestLimits_;
    QPushButton* largestError_;
    QLabel* title_;
    QGridLayout* grid_;
    QLabel* verdict_;
    std::vector<std::array<QLabel*, 3>> labels_;
    std::vector<QAction*> sweepOnly_;  // export and save: nothing to do without a sweep
};

}  // namespace corvalen::sweepwindow
