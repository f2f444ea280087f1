// SPDX-License-Identifier: MIT
#pragma once

// The chain of two-ports between the source and the load, one line of the
// inputs' grid each: its input, Reversed, Remove (not on the first, whose
// empty input means no two-port) and Open, with the note beside. Lines are
// numbered from the source ("Two-port", "Two-port 2", ...) and renumbered when
// one goes; Add two-port puts one below the last.

#include "bench_texts.h"

#include <QObject>
#include <QString>

#include <cstddef>
#include <vector>

class QCheckBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace corvalen::sweepwindow {

class InputGrid;
class InputNote;
class RecentFiles;
enum class NoteKind;

class ChainEditor final : public QObject {
    Q_OBJECT
public:
    // Its widgets are `host`'s children, placed in `grid`; `host` filters its
    // inputs' events, to take a file dropped on one.
    ChainEditor(QWidget* host, InputGrid& grid, const RecentFiles& recent);

    std::size_t Count() const { return rows_.size(); }
    std::vector<TwoPortText> Texts() const;
    // A two-port below the last; with a text, the chain is edited.
    void Append(const TwoPortText& text = {});
    // Any but the first.
    void Remove(std::size_t element);
    QString Text(std::size_t element) const;
    void SetText(std::size_t element, const QString& text);
    void SetReversed(std::size_t element, bool reversed);

    QString Note(std::size_t element) const;
    const QString& NoteSpeaksOf(std::size_t element) const;
    void SetNote(std::size_t element, const QString& message, NoteKind kind);

signals:
    // A text or a Reversed box changed: the chain reads differently.
    void Edited();

private:
    struct Row {
        QLabel* label;
        QHBoxLayout* holder;
        QLineEdit* edit;
        QCheckBox* reversed;
        QPushButton* remove;  // none on the first
        QPushButton* open;
        InputNote* note;
    };
    // The first line's input may stay empty, holding no two-port; the others can go.
    Row MakeRow(const TwoPortText& text);
    // Names every line by its place, and hands the lines to the grid.
    void Renumber();

    QWidget* host_;
    InputGrid& grid_;
    const RecentFiles& recent_;
    std::vector<Row> rows_;
    QHBoxLayout* addLine_;
    QPushButton* addButton_;
};

}  // namespace corvalen::sweepwindow
