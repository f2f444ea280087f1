// SPDX-License-Identifier: MIT
#pragma once

// The inputs above the charts: the source and the load (each a file, with a
// chooser of its reflections, or a value), the chain of two-ports, Z0 and the
// band; an Open button with the recent files beside each file's input; a file
// dropped on an input or on the window; the note beside each input; and one
// red line under them when a computation fails.

#include "band_editor.h"
#include "bench_result.h"
#include "bench_texts.h"
#include "input_grid.h"
#include "input_note.h"
#include "recent_files.h"

#include <QWidget>

#include <array>
#include <cstddef>
#include <memory>
#include <optional>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;

namespace corvalen::sweepwindow {

class ChainEditor;

class InputPanel final : public QWidget {
    Q_OBJECT
public:
    explicit InputPanel(const InputTexts& texts, QWidget* parent = nullptr);

    InputTexts Texts() const;
    // `element` counts the two-ports of the chain from the source.
    QString FieldText(InputField field, std::size_t element = 0) const;
    void SetFieldText(InputField field, const QString& text, std::size_t element = 0);
    void SetReversed(std::size_t element, bool reversed);
    void AddTwoPort(const TwoPortText& text = {});
    // Two files are the source and the load; one fills the load, or the
    // source when the load holds a file already.
    void TakeDroppedFiles(const QStringList& paths);

    BandTexts Band() const;
    void SetBand(const BandTexts& texts);
    BandEditor& BandInput() { return *band_; }

    // What an input says beside it: what it holds, or what is wrong with it.
    QString Note(InputField field, std::size_t element = 0) const;
    // Each problem at its input; an input changed since its note was written,
    // and not at fault, says nothing until it is read.
    void ShowProblems(const std::vector<InputProblem>& problems);
    // What each input holds as read, or why it cannot be read; fixed values
    // and pads from their texts alone.
    void ShowRead(const ReadTexts& read, const ReadOutcome* outcome);
    // One line under the inputs, in red; empty hides it.
    void SayFailure(const QString& message);
    QString Failure() const;

    RecentFiles& Recent() { return recent_; }

signals:
    // Any input or Reversed box changed; the band apart.
    void Edited();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Side {
        QLineEdit* edit;
        InputNote* note;
        QComboBox* chooser;  // the reflection of a multi-port file; none for Z0
    };
    Side MakeSide(InputField field, const QString& label, const QString& placeholder, GridSection section);
    // Offers the reflections of the file a side names, when it holds more than one.
    void UpdateChooser(const Side& side);
    const Side& SideOf(InputField field) const;
    void SetNote(InputField field, std::size_t element, const QString& message, NoteKind kind);

    RecentFiles recent_;
    std::unique_ptr<InputGrid> grid_;
    std::array<Side, 3> sides_{};  // source, load, Z0
    ChainEditor* chain_ = nullptr;
    BandEditor* band_ = nullptr;
    QLabel* failure_ = nullptr;
};

}  // namespace corvalen::sweepwindow
