// SPDX-License-Identifier: MIT
#include "sweep_window.h"

#include "chart_views.h"
#include "cursor_model.h"
#include "input_panel.h"
#include "loader.h"
#include "plot/drawing.h"
#include "readout_panel.h"
#include "sweep_window_layout.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMimeData>
#include <QProgressBar>
#include <QScreen>
#include <QSplitter>
#include <QVBoxLayout>

namespace corvalen::sweepwindow {
namespace {

// Files this large take a noticeable moment to read: the bar shows how much of them is read.
constexpr qint64 kBarBytes = 8 << 20;

}  // namespace

SweepWindow::SweepWindow(const InputTexts& texts, QWidget* parent)
    : QWidget(parent)
    , inputs_(new InputPanel(texts, this))
    , cursor_(new CursorModel(this))
    , loader_(new Loader(this))
    , status_(new QLabel(this))
    , reading_(new QProgressBar(this))
{
    setWindowTitle(QStringLiteral("Corvalen Sweep"));
    setAcceptDrops(true);
    auto* middle = new QHBoxLayout;
    middle->addWidget(BuildCharts(), 1);
    middle->addWidget(BuildReadout());
    middle->addStretch(0);
    reading_->setRange(0, 100);  // percent of all the files' bytes
    reading_->setAccessibleName(QStringLiteral("Reading the files"));
    reading_->hide();
    status_->setWordWrap(true);
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* page = new QVBoxLayout(this);
    page->addWidget(inputs_);
    page->addLayout(middle, 1);
    page->addWidget(reading_);
    page->addWidget(status_);

    auto* quit = new QAction(QStringLiteral("&Quit"), this);
    quit->setShortcut(QKeySequence::Quit);
    connect(quit, &QAction::triggered, this, &QWidget::close);
    addAction(quit);
    // The texts grow with the logical DPI, so the room for them does too; never beyond the screen.
    const QSize wanted(layout::Scaled(this, layout::kWindowSize.width()), layout::Scaled(this, layout::kWindowSize.height()));
    resize(screen() ? wanted.boundedTo(screen()->availableSize()) : wanted);

    connect(inputs_, &InputPanel::Edited, this, &SweepWindow::Recompute);
    connect(&inputs_->BandInput(), &BandEditor::Edited, this, &SweepWindow::ApplyBand);
    connect(loader_, &Loader::Started, this, [this](qint64 fileBytes) {
        reading_->setValue(0);
        reading_->setVisible(fileBytes > kBarBytes);
        if (fileBytes > kBarBytes)
            status_->setText(QStringLiteral("Reading %1 MB of files...").arg(fileBytes >> 20));
    });
    connect(loader_, &Loader::Progress, this, [this](int percent) {
        reading_->setValue(percent);
        // The rows come after the files, which the bar does not count: it says what is left.
        if (percent == 100 && reading_->isVisible())
            status_->setText(QStringLiteral("Computing the sweep..."));
    });
    connect(loader_, &Loader::Finished, this, [this](const std::shared_ptr<Loaded>& loaded) { ShowLoaded(*loaded); });
    Recompute();
}

SweepWindow::~SweepWindow() = default;

QWidget* SweepWindow::BuildCharts()
{
    sweepChart_ = new SweepChartView(this);
    sweepChart_->setObjectName(QStringLiteral("sweepChart"));
    sweepChart_->setAccessibleName(QStringLiteral("Mismatch across frequency"));
    sweepChart_->setMinimumSize(layout::kSweepChartMinimum);
    smithChart_ = new SmithChartView(this);
    smithChart_->setObjectName(QStringLiteral("smithChart"));
    smithChart_->setAccessibleName(QStringLiteral("Smith chart"));
    smithChart_->setMinimumSize(layout::kSmithChartMinimum);
    auto* charts = new QSplitter(Qt::Horizontal, this);
    charts->addWidget(sweepChart_);
    charts->addWidget(smithChart_);
    charts->setStretchFactor(0, layout::kSweepChartStretch);
    charts->setStretchFactor(1, layout::kSmithChartStretch);
    charts_ = charts;
    for (ChartView* chart : {static_cast<ChartView*>(sweepChart_), static_cast<ChartView*>(smithChart_)}) {
        connect(chart, &ChartView::RowPicked, cursor_, &CursorModel::MoveTo);
        connect(chart, &ChartView::CursorKey, cursor_, [this](int key) {
            if (const auto step = CursorModel::StepOfKey(key))
                cursor_->Step(*step);
        });
        connect(cursor_, &CursorModel::SweepChanged, chart, &ChartView::Show);
        connect(cursor_, &CursorModel::Moved, chart, [this, chart](std::size_t row) {
            chart->SetCursorRow(row);
            // A screen reader on a chart hears where the cursor is.
            chart->setAccessibleDescription(QStringLiteral("Cursor at ")
                                            + LocaleFrequencyText(cursor_->Sweep()->FrequencyAt(row), locale()));
        });
    }
    connect(cursor_, &CursorModel::SweepChanged, charts_, [this](const MeasuredSweep* sweep) {
        if (sweep)
            charts_->show();
    });
    connect(sweepChart_, &ChartView::BandPicked, this, [this](double fromHz, double toHz) {
        inputs_->SetBand({plot::FrequencyText(fromHz), plot::FrequencyText(toHz)});
    });
    return charts_;
}

QWidget* SweepWindow::BuildReadout()
{
    readout_ = new ReadoutPanel(*cursor_, this);
    connect(readout_, &ReadoutPanel::Said, status_, &QLabel::setText);
    readout_->setMinimumWidth(layout::Scaled(this, layout::kReadoutMinimumWidth));
    readout_->setMaximumWidth(layout::Scaled(this, layout::kReadoutMaximumWidth));
    return readout_;
}

void SweepWindow::Recompute()
{
    inputs_->SayFailure({});
    auto texts = ReadInputTexts(inputs_->Texts());
    if (const auto* problems = std::get_if<std::vector<InputProblem>>(&texts)) {
        loader_->Stop();
        reading_->hide();
        ShowStatus();
        inputs_->ShowProblems(*problems);
        return;
    }
    loader_->Load(std::get<ReadTexts>(std::move(texts)));
}

void SweepWindow::ShowLoaded(Loaded& loaded)
{
    reading_->hide();
    inputs_->SayFailure(QString::fromStdString(loaded.failure));
    if (loaded.oneOff) {
        cursor_->Clear();
        charts_->hide();
        readout_->ShowOneOff(*loaded.oneOff);
    } else if (loaded.outcome.sweep) {
        const auto start = loaded.origin == LoadOrigin::Reload ? CursorStart::AtSameFrequency : CursorStart::AtWidestLimits;
        if (!cursor_->Show(std::move(loaded.outcome.sweep), inputs_->BandInput().Band(), start))
            inputs_->BandInput().SayHoldsNoRow(QStringLiteral("no frequency of the sweep lies in this band: the whole sweep is shown"));
    }
    if (loaded.failure.empty())
        inputs_->ShowRead(loaded.read, loaded.oneOff ? nullptr : &loaded.outcome);
    if (loaded.failure.empty() && !loaded.outcome.Failed())
        inputs_->Recent().Read(loaded.files);
    ShowStatus();
    emit Computed();
}

// The worst case follows the band; the cursor stays where it was if the band holds it.
void SweepWindow::ApplyBand()
{
    const auto band = inputs_->BandInput().Band();
    if (!band || !cursor_->Sweep())
        return;
    if (!cursor_->SetBand(*band))
        return inputs_->BandInput().SayHoldsNoRow(QStringLiteral("no frequency of the sweep lies in this band"));
    ShowStatus();
}

void SweepWindow::ShowStatus()
{
    status_->setText(cursor_->Sweep() ? QString::fromStdString(cursor_->Sweep()->Notes()) : QString());
}

InputTexts SweepWindow::Texts() const
{
    return inputs_->Texts();
}

QString SweepWindow::InputText(InputField field, std::size_t element) const
{
    return inputs_->FieldText(field, element);
}

void SweepWindow::SetInputText(InputField field, const QString& text, std::size_t element)
{
    inputs_->SetFieldText(field, text, element);
}

void SweepWindow::SetReversed(std::size_t element, bool reversed)
{
    inputs_->SetReversed(element, reversed);
}

void SweepWindow::AddTwoPort(const TwoPortText& text)
{
    inputs_->AddTwoPort(text);
}

BandTexts SweepWindow::Band() const
{
    return inputs_->Band();
}

void SweepWindow::SetBand(const BandTexts& texts)
{
    inputs_->SetBand(texts);
}

QString SweepWindow::InputNote(InputField field, std::size_t element) const
{
    return inputs_->Note(field, element);
}

QString SweepWindow::BandNote() const
{
    return inputs_->BandInput().Note();
}

QString SweepWindow::Failure() const
{
    return inputs_->Failure();
}

bool SweepWindow::Busy() const
{
    return loader_->Busy();
}

QString SweepWindow::ReadoutText() const
{
    return readout_->Text();
}

const MeasuredSweep* SweepWindow::Shown() const
{
    return cursor_->Sweep();
}

std::size_t SweepWindow::CursorRow() const
{
    return cursor_->Row();
}

void SweepWindow::MoveCursorTo(std::size_t row)
{
    cursor_->MoveTo(row);
}

const QStringList& SweepWindow::RecentFiles() const
{
    return inputs_->Recent().Paths();
}

void SweepWindow::AddEarlierFiles(const QStringList& paths)
{
    inputs_->Recent().AddEarlier(paths);
}

QString SweepWindow::ExportTable(const QString& path) const
{
    return readout_->ExportTable(path);
}

void SweepWindow::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

// Dropped on the window: two files are the source and the load; one fills
// the load, or the source when the load holds a file already.
void SweepWindow::dropEvent(QDropEvent* event)
{
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile())
            paths << url.toLocalFile();
    if (paths.isEmpty())
        return;
    event->acceptProposedAction();
    inputs_->TakeDroppedFiles(paths);
}

}  // namespace corvalen::sweepwindow
