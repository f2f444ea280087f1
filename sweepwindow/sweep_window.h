// SPDX-License-Identifier: MIT
#pragma once

// Corvalen Sweep's window: a source, a chain of two-ports (none, one or more)
// and a load, each a fixed value or a measured file; the one-off values of
// fixed sides, or the sweep's two charts with one frequency cursor and the
// readout of its row.

#include "bench_result.h"
#include "bench_texts.h"
#include "readout.h"

#include <QHash>
#include <QStringList>
#include <QWidget>

#include <array>
#include <cstddef>
#include <memory>
#include <optional>

class QCheckBox;
class QComboBox;
class QFileSystemWatcher;
class QGridLayout;
class QHBoxLayout;
class QLayout;
class QTimer;
class QVBoxLayout;
class QLabel;
class QMenu;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace corvalen::sweepwindow {

class SweepChartView;
class SmithChartView;

class SweepWindow final : public QWidget {
    Q_OBJECT
public:
    explicit SweepWindow(const InputTexts& texts, QWidget* parent = nullptr);
    ~SweepWindow() override;

    // The readout at the cursor as the clipboard gets it.
    QString ReadoutText() const;
    // The sweep shown, if any, and the row of its cursor.
    const MeasuredSweep* Shown() const { return sweep_.get(); }
    std::size_t CursorRow() const { return cursorRow_; }
    void MoveCursorTo(std::size_t row);
    // What an input says beside it: what it holds, or what is wrong with it.
    // `element` counts the two-ports of the chain from the source.
    QString InputNote(InputField field, std::size_t element = 0) const;
    QLineEdit* Input(InputField field, std::size_t element = 0) const;
    QCheckBox* Reversed(std::size_t element) const;
    // A two-port input below the last, as Add two-port gives.
    void AddTwoPort(const TwoPortText& text = {});
    QLineEdit* BandEnd(bool to) const { return to ? bandTo_ : bandFrom_; }
    QString BandNote() const;
    // The inputs as they stand, and the files read lately, newest first, to remember between runs.
    InputTexts Texts() const;
    const QStringList& RecentFiles() const { return recentFiles_; }
    // Files read in an earlier run, kept after those read in this one.
    void AddEarlierFiles(const QStringList& paths);

    // Writes the table as corvalen-cli sweep does (CSV for a name ending in
    // .csv, else TSV); an empty string when written, else why not.
    QString ExportTable(const QString& path) const;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct InputRow {
        QLineEdit* edit;
        QLabel* note;
        QComboBox* chooser;  // the reflection of a multi-port file; none for Z0
    };
    // A two-port of the chain: its input, Reversed, Remove (not on the first) and Open.
    struct TwoPortRow {
        QLabel* label;
        QHBoxLayout* holder;
        QLineEdit* edit;
        QCheckBox* reversed;
        QPushButton* remove;
        QPushButton* open;
        QLabel* note;
    };
    // A line of the inputs' grid: label, field, button, note.
    struct GridLine {
        QWidget* label;
        QLayout* field;
        QWidget* button;
        QWidget* note;
    };

    // The layout table's pixels at the window's logical DPI, which its texts are drawn at.
    int Scaled(int pixelsAt96Dpi) const;
    void BuildInputs();
    QPushButton* OpenButton(QLineEdit* edit);
    void AddTwoPortRow(const TwoPortText& text);
    void RemoveTwoPort(QLineEdit* edit);
    // Places every line of the inputs, the chain as it now is, and the Tab order with them.
    void LayOutInputs();
    void BuildCharts();
    GridLine BuildBandRow();
    // The band typed, or nothing (its refusal shown) when it cannot be read.
    std::optional<measured::Band> BandTyped();
    void ApplyBand();
    void SetBandTexts(const QString& from, const QString& to);
    QWidget* BuildReadoutPanel();
    void BuildActionButtons(QVBoxLayout* column, QWidget* panel);
    // Reads the inputs again; a reload keeps the cursor at its frequency.
    void Recompute(bool reload = false);
    // Every input's note from what was read, or, for fixed values, from the texts.
    void ShowRead(const ReadTexts& read, const ReadOutcome* outcome = nullptr);
    void ReadInBackground(const ReadTexts& read, bool reload);
    // Stops the read running on its thread, if any: its result would go unused.
    void CancelRead();
    void ShowSweep(std::unique_ptr<MeasuredSweep> sweep, bool keepCursor);
    void ShowOneOff(const OneOff& oneOff);
    void ShowReadout(const std::vector<ReadoutLine>& lines);
    void ShowWorstCase();
    QLabel* NoteOf(InputField field, std::size_t element = 0) const;
    // Each input's note and the edit it speaks of, the chain's in order.
    std::vector<std::pair<QLabel*, QLineEdit*>> NotesAndInputs() const;
    // Sets what an input's note says of `text`, in red for a fault.
    void SetNote(QLabel* note, const QString& text, const QString& message, bool fault = false);
    void MarkProblem(InputField field, std::size_t element, const QString& message);
    void StepCursor(int key);
    void OpenFile(QLineEdit* edit);
    void FillOpenMenu(QMenu* menu, QLineEdit* edit);
    // Offers the reflections of the file a side names, when it holds more than one.
    void UpdateChooser(InputField field);
    void CopyReadout();
    void ExportWithDialog();
    void SaveChartWithDialog(bool smith);
    void WatchFiles(const measured::BenchInput& bench);
    void ReloadChanged(const QString& path);

    std::array<InputRow, 4> inputs_{};  // by InputField; the two-ports are in chain_
    std::vector<TwoPortRow> chain_;
    QGridLayout* inputGrid_ = nullptr;
    std::array<GridLine, 3> sideLines_{};  // Source, Load, Z0
    GridLine bandLine_{};
    QHBoxLayout* addLine_ = nullptr;
    QPushButton* addTwoPort_ = nullptr;
    QHash<QLabel*, QString> noteFor_;  // the input text each note speaks of
    SweepChartView* sweepChart_ = nullptr;
    SmithChartView* smithChart_ = nullptr;
    QWidget* charts_ = nullptr;
    QGridLayout* readoutGrid_ = nullptr;
    QLabel* readoutTitle_ = nullptr;
    QLabel* verdict_ = nullptr;
    QPushButton* widestLimits_ = nullptr;
    QPushButton* largestError_ = nullptr;
    QLabel* status_ = nullptr;
    QProgressBar* reading_ = nullptr;
    int readGeneration_ = 0;
    std::shared_ptr<touchstone::ReadProgress> readProgress_;  // of the read on a thread, while it runs
    QLineEdit* bandFrom_ = nullptr;
    QLineEdit* bandTo_ = nullptr;
    QLabel* bandNote_ = nullptr;
    QFileSystemWatcher* watcher_ = nullptr;
    QTimer* reloadDelay_ = nullptr;
    std::vector<std::array<QLabel*, 3>> readoutLabels_;
    std::vector<QPushButton*> sweepOnly_;  // export and save: nothing to do without a sweep

    QStringList recentFiles_;
    std::unique_ptr<MeasuredSweep> sweep_;
    std::optional<OneOff> oneOff_;
    std::size_t cursorRow_ = 0;
};

}  // namespace corvalen::sweepwindow
