// SPDX-License-Identifier: MIT
#include "readout_panel.h"

#include "cursor_model.h"
#include "pictures.h"

#include <QAction>
#include <QClipboard>
#include <QFileDialog>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QSaveFile>
#include <QScrollArea>
#include <QVBoxLayout>

#include <algorithm>

namespace corvalen::sweepwindow {
namespace {

// The coverage interval after the standard uncertainty it goes with, as corvalen-cli mismatch prints it.
std::vector<ReadoutLine> WithCoverage(std::vector<ReadoutLine> lines, const OneOff& oneOff, const QLocale& locale)
{
    const auto signedDb = [&locale](double db) { return (db >= 0 ? QStringLiteral("+") : QString()) + FourDecimals(db, locale); };
    const auto percent = QString::number(kCoverageProbability * 100);
    for (const auto& [prefix, coverage] : {std::pair{QString(), oneOff.values.coverage},
                                           std::pair{QStringLiteral("Through: "), oneOff.values.throughCoverage}}) {
        const auto after = std::find_if(lines.begin(), lines.end(), [&prefix](const ReadoutLine& line) {
            return line.label.compare(prefix + QStringLiteral("standard uncertainty"), Qt::CaseInsensitive) == 0;
        });
        if (coverage && after != lines.end())
            lines.insert(after + 1, {prefix + percent + QStringLiteral(" % interval"),
                                     signedDb(coverage->lowDb) + QStringLiteral(" / ") + signedDb(coverage->highDb),
                                     QStringLiteral("dB")});
    }
    return lines;
}

QString WorstCaption(const char* what, const std::optional<measured::RowValues>& row, bool error, const QLocale& here)
{
    if (!row)
        return {};
    // Through the chain where there is one, as the worst case is sought.
    const measured::MismatchValues& values = row->through ? *row->through : row->direct;
    const QString value =
        error ? QStringLiteral("error %1 dB").arg(FourDecimals(values.mismatchErrorDb.value_or(0.0), here))
              : QStringLiteral("%1 / %2 dB").arg(FourDecimals(values.plusUncertaintyDb, here),
                                                 FourDecimals(values.minusUncertaintyDb, here));
    // Two lines: a frequency of a million-point sweep needs all its digits, and the panel is narrow.
    return QStringLiteral("%1 at %2\n%3").arg(QString::fromUtf8(what), LocaleFrequencyText(row->frequencyHz, here), value);
}

}  // namespace

ReadoutPanel::ReadoutPanel(CursorModel& cursor, QWidget* parent)
    : QWidget(parent)
    , cursor_(cursor)
{
    // At a large DPI on a small screen the values scroll rather than push the window off the screen,
    // and the commands stay in sight below them, however far they scroll.
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* scroll = new QScrollArea(this);
    auto* values = new QWidget(scroll);
    scroll->setWidget(values);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    // It takes the focus to scroll from the keyboard; a screen reader names it there.
    scroll->setAccessibleName(QStringLiteral("Readout"));
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    outer->addWidget(scroll, 1);
    auto* column = new QVBoxLayout(values);
    column->setContentsMargins(0, 0, 0, 0);
    widestLimits_ = new QPushButton(values);
    largestError_ = new QPushButton(values);
    for (QPushButton* button : {widestLimits_, largestError_}) {
        button->hide();
        column->addWidget(button);
        connect(button, &QPushButton::clicked, this, [this, button] {
            if (const MeasuredSweep* sweep = cursor_.Sweep()) {
                const auto& worst = button == widestLimits_ ? sweep->Worst().widestLimits : sweep->Worst().largestError;
                if (worst)
                    cursor_.MoveToFrequency(worst->frequencyHz);
            }
        });
    }
    title_ = new QLabel(QStringLiteral("Give a source and a load: a file or a value each."), values);
    title_->setWordWrap(true);
    column->addWidget(title_);
    grid_ = new QGridLayout;
    column->addLayout(grid_);
    verdict_ = new QLabel(values);
    verdict_->setWordWrap(true);
    column->addWidget(verdict_);
    column->addStretch(1);

    AddCommand(QStringLiteral("&Copy"), QKeySequence::Copy, [this] { Copy(); });
    sweepOnly_ = {AddCommand(QStringLiteral("&Export table..."), QKeySequence(Qt::CTRL | Qt::Key_E), [this] { ExportWithDialog(); }),
                  AddCommand(QStringLiteral("Save &plot..."), QKeySequence(Qt::CTRL | Qt::Key_S),
                             [this] { SaveWithDialog(Chart::Plot); }),
                  AddCommand(QStringLiteral("Save S&mith chart..."), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S),
                             [this] { SaveWithDialog(Chart::Smith); })};
    for (QAction* action : sweepOnly_)
        action->setEnabled(false);
    connect(&cursor_, &CursorModel::SweepChanged, this, &ReadoutPanel::ShowSweep);
    connect(&cursor_, &CursorModel::Moved, this, &ReadoutPanel::ShowRow);
}

// A command is a QAction whose shortcut works anywhere in the window, shown as a button with the shortcut as its tip.
QAction* ReadoutPanel::AddCommand(const QString& text, const QKeySequence& keys, const std::function<void()>& act)
{
    auto* action = new QAction(text, this);
    action->setShortcut(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, this, act);
    addAction(action);
    auto* button = new QPushButton(text, this);
    button->setToolTip(keys.toString(QKeySequence::NativeText));
    connect(button, &QPushButton::clicked, action, &QAction::trigger);
    connect(action, &QAction::enabledChanged, button, &QPushButton::setEnabled);
    layout()->addWidget(button);
    return action;
}

void ReadoutPanel::ShowSweep()
{
    const MeasuredSweep* sweep = cursor_.Sweep();
    for (QAction* action : sweepOnly_)
        action->setEnabled(sweep != nullptr);
    if (!sweep)
        return;
    oneOff_.reset();
    verdict_->clear();
    const measured::WorstCase& worst = sweep->Worst();
    widestLimits_->setText(WorstCaption("Widest limits", worst.widestLimits, false, locale()));
    widestLimits_->setVisible(worst.widestLimits.has_value());
    largestError_->setText(WorstCaption("Largest error", worst.largestError, true, locale()));
    largestError_->setVisible(worst.largestError.has_value());
}

void ReadoutPanel::ShowRow(std::size_t row)
{
    const MeasuredSweep* sweep = cursor_.Sweep();
    if (!sweep)
        return;
    title_->setText(QStringLiteral("<b>At the cursor</b> (row %1 of %2)").arg(row + 1).arg(sweep->RowCount()));
    ShowLines(ReadoutLines(sweep->RowAt(row), true, locale()));
}

void ReadoutPanel::ShowOneOff(const OneOff& oneOff)
{
    oneOff_ = oneOff;
    widestLimits_->hide();
    largestError_->hide();
    title_->setText(QStringLiteral("<b>One-off values</b>"));
    ShowLines(WithCoverage(ReadoutLines(oneOff.values.pair, false, locale()), oneOff, locale()));
    verdict_->setText(QString::fromStdString(oneOff.verdict));
}

void ReadoutPanel::ShowLines(const std::vector<ReadoutLine>& lines)
{
    while (labels_.size() < lines.size()) {
        const int row = static_cast<int>(labels_.size());
        std::array<QLabel*, 3> labels{new QLabel(this), new QLabel(this), new QLabel(this)};
        for (int column = 0; column < 3; ++column)
            grid_->addWidget(labels[static_cast<std::size_t>(column)], row, column);
        labels[1]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        labels[1]->setTextInteractionFlags(Qt::TextSelectableByMouse);
        labels_.push_back(labels);
    }
    for (std::size_t i = 0; i < labels_.size(); ++i) {
        const bool used = i < lines.size();
        for (QLabel* label : labels_[i])
            label->setVisible(used);
        if (!used)
            continue;
        labels_[i][0]->setText(lines[i].label);
        labels_[i][1]->setText(lines[i].value);
        labels_[i][2]->setText(lines[i].unit);
        // A value without a unit ("Source VSWR 1.6667") is read without a trailing space.
        labels_[i][1]->setAccessibleName(
            (lines[i].label + QLatin1Char(' ') + lines[i].value + QLatin1Char(' ') + lines[i].unit).trimmed());
    }
}

QString ReadoutPanel::Text() const
{
    if (const MeasuredSweep* sweep = cursor_.Sweep())
        return ReadoutReport(ReadoutLines(sweep->RowAt(cursor_.Row()), true, locale()));
    if (oneOff_)
        return ReadoutReport(WithCoverage(ReadoutLines(oneOff_->values.pair, false, locale()), *oneOff_, locale()));
    return {};
}

void ReadoutPanel::Copy()
{
    const QString text = Text();
    if (!text.isEmpty())
        QGuiApplication::clipboard()->setText(text);
}

QString ReadoutPanel::ExportTable(const QString& path) const
{
    const MeasuredSweep* sweep = cursor_.Sweep();
    if (!sweep)
        return QStringLiteral("no measured data to export");
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    bool written = true;
    sweep->WriteTable(path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive) ? ',' : '\t',
                      [&file, &written](std::string_view part) {
                          written = written && file.write(part.data(), static_cast<qint64>(part.size()))
                                                   == static_cast<qint64>(part.size());
                      });
    if (!written || !file.commit())
        return file.errorString();
    return {};
}

void ReadoutPanel::ExportWithDialog()
{
    if (!cursor_.Sweep())
        return;
    const QString path = QFileDialog::getSaveFileName(window(), QStringLiteral("Export the table"), QString(),
                                                      QStringLiteral("CSV (*.csv);;Tab-separated (*.tsv *.txt)"));
    if (path.isEmpty())
        return;
    const QString failure = ExportTable(path);
    emit Said(failure.isEmpty() ? QStringLiteral("Table written to %1").arg(path)
                                : QStringLiteral("Cannot write %1: %2").arg(path, failure));
}

void ReadoutPanel::SaveWithDialog(Chart chart)
{
    const MeasuredSweep* sweep = cursor_.Sweep();
    if (!sweep)
        return;
    const bool smith = chart == Chart::Smith;
    const QString path = QFileDialog::getSaveFileName(
        window(), smith ? QStringLiteral("Save the Smith chart") : QStringLiteral("Save the plot"), QString(),
        QStringLiteral("PNG picture (*.png);;SVG drawing (*.svg)"));
    if (path.isEmpty())
        return;
    const std::string failure = smith ? SaveSmithPicture(*sweep, path.toStdString())
                                      : SaveSweepPicture(*sweep, path.toStdString());
    emit Said(failure.empty() ? QStringLiteral("Saved %1").arg(path)
                              : QStringLiteral("Cannot save %1: %2").arg(path, QString::fromStdString(failure)));
}

}  // namespace corvalen::sweepwindow
