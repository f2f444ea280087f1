// SPDX-License-Identifier: MIT
#include "chain_editor.h"

#include "input_grid.h"
#include "input_note.h"
#include "recent_files.h"
#include "sweep_window_layout.h"

#include <QAction>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace corvalen::sweepwindow {

ChainEditor::ChainEditor(QWidget* host, InputGrid& grid, const RecentFiles& recent)
    : QObject(host)
    , host_(host)
    , grid_(grid)
    , recent_(recent)
{
    auto* add = new QAction(QStringLiteral("A&dd two-port"), this);
    add->setToolTip(QStringLiteral("Another two-port between the last one and the load"));
    connect(add, &QAction::triggered, this, [this] {
        Append();
        rows_.back().edit->setFocus();
    });
    addButton_ = new QPushButton(add->text(), host);
    addButton_->setAccessibleName(QStringLiteral("Add a two-port to the chain, nearest the load"));
    addButton_->setToolTip(add->toolTip());
    connect(addButton_, &QPushButton::clicked, add, &QAction::trigger);
    addLine_ = new QHBoxLayout;
    addLine_->addWidget(addButton_);
    addLine_->addStretch(1);
}

std::vector<TwoPortText> ChainEditor::Texts() const
{
    std::vector<TwoPortText> texts;
    for (const Row& row : rows_)
        texts.push_back({row.edit->text().trimmed().toStdString(), row.reversed->isChecked()});
    return texts;
}

ChainEditor::Row ChainEditor::MakeRow(const TwoPortText& text)
{
    const bool first = rows_.empty();
    Row row{};
    row.edit = new QLineEdit(QString::fromStdString(text.text), host_);
    row.edit->setPlaceholderText(first ? QStringLiteral("optional: a two-port file, or loss=10,vswr=1.1")
                                       : QStringLiteral("the next two-port toward the load: a file, or loss=3,vswr=1.2"));
    row.edit->setMinimumWidth(layout::Scaled(host_, layout::kInputMinimumWidth));
    row.edit->installEventFilter(host_);
    row.label = new QLabel(host_);
    row.label->setBuddy(row.edit);
    row.reversed = new QCheckBox(first ? QStringLiteral("Re&versed") : QStringLiteral("Reversed"), host_);
    row.reversed->setToolTip(QStringLiteral("Port 2 of the two-port file faces the source"));
    row.reversed->setChecked(text.reversed);
    row.holder = new QHBoxLayout;
    row.holder->addWidget(row.edit, 1);
    row.holder->addWidget(row.reversed);
    if (!first) {
        row.remove = new QPushButton(QStringLiteral("Remove"), host_);
        row.remove->setToolTip(QStringLiteral("Take this two-port out of the chain"));
        connect(row.remove, &QPushButton::clicked, this, [this, edit = row.edit] {
            for (std::size_t i = 0; i < rows_.size(); ++i)
                if (rows_[i].edit == edit)
                    return Remove(i);
        });
        row.holder->addWidget(row.remove);
    }
    row.note = new InputNote(host_);
    connect(row.edit, &QLineEdit::textChanged, this, &ChainEditor::Edited);
    connect(row.reversed, &QCheckBox::toggled, this, &ChainEditor::Edited);
    return row;
}

void ChainEditor::Append(const TwoPortText& text)
{
    rows_.push_back(MakeRow(text));
    rows_.back().open = OpenButton(host_, rows_.back().edit, recent_);
    Renumber();
    if (!text.text.empty())
        emit Edited();
}

void ChainEditor::Remove(std::size_t element)
{
    if (element == 0 || element >= rows_.size())
        return;
    const Row row = rows_[element];
    for (QWidget* widget : std::initializer_list<QWidget*>{row.label, row.edit, row.reversed, row.remove, row.open, row.note}) {
        widget->hide();
        widget->deleteLater();
    }
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(element));
    Renumber();
    delete row.holder;
    addButton_->setFocus();
    // Even an empty one: a result still being computed names its two-ports by their places before.
    emit Edited();
}

void ChainEditor::Renumber()
{
    std::vector<GridLine> lines;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        Row& row = rows_[i];
        const QString name = i == 0 ? QStringLiteral("Two-port") : QStringLiteral("Two-port %1").arg(i + 1);
        row.label->setText(i == 0 ? QStringLiteral("&Two-port:") : name + QLatin1Char(':'));
        row.edit->setAccessibleName(name);
        row.edit->setObjectName(QStringLiteral("twoPort%1").arg(i + 1));
        row.reversed->setAccessibleName(name + QStringLiteral(" reversed"));
        if (row.remove)
            row.remove->setAccessibleName(QStringLiteral("Remove ") + name);
        row.open->setAccessibleName(QStringLiteral("Open a file for ") + name);
        lines.push_back({row.label, row.holder, row.open, row.note});
    }
    lines.push_back({nullptr, addLine_, nullptr, nullptr});
    grid_.SetLines(GridSection::Chain, std::move(lines));
}

QString ChainEditor::Text(std::size_t element) const
{
    return rows_.at(element).edit->text();
}

void ChainEditor::SetText(std::size_t element, const QString& text)
{
    rows_.at(element).edit->setText(text);
}

void ChainEditor::SetReversed(std::size_t element, bool reversed)
{
    rows_.at(element).reversed->setChecked(reversed);
}

QString ChainEditor::Note(std::size_t element) const
{
    return rows_.at(element).note->text();
}

const QString& ChainEditor::NoteSpeaksOf(std::size_t element) const
{
    return rows_.at(element).note->SpeaksOf();
}

void ChainEditor::SetNote(std::size_t element, const QString& message, NoteKind kind)
{
    rows_.at(element).note->Say(rows_.at(element).edit->text(), message, kind);
}

}  // namespace corvalen::sweepwindow
