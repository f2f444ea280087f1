// SPDX-License-Identifier: MIT
#pragma once

// Corvalen Sweep's window: a source, a chain of two-ports (none, one or more)
// and a load, each a fixed value or a measured file; the one-off values of
// fixed sides, or the sweep's two charts with one frequency cursor and the
// readout of its row. The parts are wired here: the inputs, the loader that
// reads and computes off the interface thread, the cursor, charts and readout.

#include "band_editor.h"
#include "bench_result.h"
#include "bench_texts.h"

#include <QStringList>
#include <QWidget>

#include <cstddef>
#include <memory>

class QLabel;
class QProgressBar;

namespace corvalen::sweepwindow {

class CursorModel;
class InputPanel;
class Loader;
struct Loaded;
class ReadoutPanel;
class SmithChartView;
class SweepChartView;

class SweepWindow final : public QWidget {
    Q_OBJECT
public:
    explicit SweepWindow(const InputTexts& texts, QWidget* parent = nullptr);
    ~SweepWindow() override;

    // The inputs as they stand, each as typed, and the band.
    InputTexts Texts() const;
    // `element` counts the two-ports of the chain from the source.
    QString InputText(InputField field, std::size_t element = 0) const;
    void SetInputText(InputField field, const QString& text, std::size_t element = 0);
    void SetReversed(std::size_t element, bool reversed);
    // A two-port input below the last, as Add two-port gives.
    void AddTwoPort(const TwoPortText& text = {});
    BandTexts Band() const;
    void SetBand(const BandTexts& texts);
    // What an input says beside it: what it holds, or what is wrong with it.
    QString InputNote(InputField field, std::size_t element = 0) const;
    QString BandNote() const;
    // The red line under the inputs where a computation failed; empty otherwise.
    QString Failure() const;

    // Whether inputs are being read or computed; Computed() follows each result shown.
    bool Busy() const;
    // The readout at the cursor as the clipboard gets it.
    QString ReadoutText() const;
    // The sweep shown, if any, and the row of its cursor.
    const MeasuredSweep* Shown() const;
    std::size_t CursorRow() const;
    void MoveCursorTo(std::size_t row);

    // The files read lately, newest first, to remember between runs.
    const QStringList& RecentFiles() const;
    // Files read in an earlier run, kept after those read in this one.
    void AddEarlierFiles(const QStringList& paths);

    // Writes the table as corvalen-cli sweep does (CSV for a name ending in
    // .csv, else TSV); an empty string when written, else why not.
    QString ExportTable(const QString& path) const;

signals:
    void Computed();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QWidget* BuildCharts();
    QWidget* BuildReadout();
    // Reads the inputs again; whatever is wrong marks its input and leaves the last good result shown.
    void Recompute();
    void ShowLoaded(Loaded& loaded);
    void ApplyBand();
    void ShowStatus();

    InputPanel* inputs_;
    CursorModel* cursor_;
    Loader* loader_;
    ReadoutPanel* readout_ = nullptr;
    SweepChartView* sweepChart_ = nullptr;
    SmithChartView* smithChart_ = nullptr;
    QWidget* charts_ = nullptr;
    QLabel* status_;
    QProgressBar* reading_;
};

}  // namespace corvalen::sweepwindow
