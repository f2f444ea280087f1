// SPDX-License-Identifier: MIT
#include "band_editor.h"

#include "bench_texts.h"
#include "input_grid.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace corvalen::sweepwindow {

BandEditor::BandEditor(QWidget* host, InputGrid& grid)
    : QObject(host)
{
    auto* row = new QHBoxLayout;
    from_ = new QLineEdit(host);
    to_ = new QLineEdit(host);
    for (const auto& [edit, text] : {std::pair{from_, "&From:"}, std::pair{to_, "T&o:"}}) {
        auto* label = new QLabel(QString::fromUtf8(text), host);
        label->setBuddy(edit);
        edit->setPlaceholderText(QStringLiteral("the whole sweep"));
        edit->setAccessibleName(QStringLiteral("Band ") + label->text().remove(QLatin1Char('&')).chopped(1));
        connect(edit, &QLineEdit::textChanged, this, &BandEditor::Edited);
        row->addWidget(label);
        row->addWidget(edit, 1);
    }
    auto* reset = new QAction(QStringLiteral("&Reset band"), this);
    connect(reset, &QAction::triggered, this, [this] { SetTexts({}); });
    auto* resetButton = new QPushButton(reset->text(), host);
    connect(resetButton, &QPushButton::clicked, reset, &QAction::trigger);
    note_ = new QLabel(host);
    note_->setWordWrap(true);
    grid.SetLines(GridSection::Band, {{new QLabel(QStringLiteral("Band:"), host), row, resetButton, note_}});
}

BandTexts BandEditor::Texts() const
{
    return {from_->text(), to_->text()};
}

void BandEditor::SetTexts(const BandTexts& texts)
{
    {
        const QSignalBlocker quietFrom(from_);
        const QSignalBlocker quietTo(to_);
        from_->setText(texts.from);
        to_->setText(texts.to);
    }
    emit Edited();
}

std::optional<measured::Band> BandEditor::Band()
{
    const auto band = ReadBand(from_->text().trimmed().toStdString(), to_->text().trimmed().toStdString());
    if (const auto* refusal = std::get_if<std::string>(&band)) {
        SayFault(QString::fromStdString(*refusal));
        return std::nullopt;
    }
    note_->clear();
    note_->setStyleSheet({});
    return std::get<measured::Band>(band);
}

void BandEditor::SayHoldsNoRow(const QString& message)
{
    SayFault(message);
}

void BandEditor::SayFault(const QString& message)
{
    note_->setText(message);
    note_->setStyleSheet(QStringLiteral("color: #d02020"));
}

QString BandEditor::Note() const
{
    return note_->text();
}

}  // namespace corvalen::sweepwindow
