// SPDX-License-Identifier: MIT
#pragma once

// What an input says beside it: what it holds, or in red what is wrong with
// it; it remembers the text it speaks of, so that a note on a text still
// standing is kept while another input is fixed.

#include <QLabel>

namespace corvalen::sweepwindow {

enum class NoteKind { Plain, Fault };

class InputNote final : public QLabel {
public:
    explicit InputNote(QWidget* parent)
        : QLabel(parent)
    {
        setTextInteractionFlags(Qt::TextSelectableByMouse);
        setWordWrap(true);
    }

    void Say(const QString& inputText, const QString& message, NoteKind kind = NoteKind::Plain)
    {
        speaksOf_ = inputText;
        setText(message);
        setAccessibleName(message);
        // Red is read as a fault on light and dark faces alike.
        setStyleSheet(kind == NoteKind::Fault ? QStringLiteral("color: #d02020") : QString());
    }
    const QString& SpeaksOf() const { return speaksOf_; }

private:
    QString speaksOf_;
};

}  // namespace corvalen::sweepwindow
