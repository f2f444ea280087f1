// SPDX-License-Identifier: MIT
#include "sweep_window.h"

#include "chart_views.h"
#include "pictures.h"
#include "plot/drawing.h"
#include "touchstone/touchstone.h"
#include "sweep_window_layout.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QSaveFile>
#include <QScrollArea>
#include <QScreen>
#include <QShortcut>
#include <QSplitter>
#include <QTimer>
#include <QThread>
#include <QVBoxLayout>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>

namespace corvalen::sweepwindow {
namespace {

struct FieldText {
    InputField field;
    const char* label;
    const char* placeholder;
};

constexpr std::array<FieldText, 4> kFields{{
    {InputField::Source, "&Source", "a file (amp.s2p:S22) or a value: 1.5, vswr=1.5, rl=23, gamma=0.07"},
    {InputField::TwoPort, "&Two-port", "optional: a two-port file, or loss=10,vswr=1.1"},
    {InputField::Load, "&Load", "a file (sensor.s1p) or a value: 1.5, vswr=1.5, rl=23, gamma=0.07"},
    {InputField::Z0, "Z&0 (ohms)", "50"},
}};

constexpr int kReloadQuietMs = 300;
constexpr qsizetype kRecentFiles = 8;
// Files this large take a noticeable moment to read: more than a frame.
constexpr std::uintmax_t kBackgroundBytes = 8u << 20;
// How often the bar takes the reader's figure: ten times a second reads as smooth.
constexpr int kReadPollMs = 100;

std::uintmax_t FileBytes(const measured::BenchInput& bench)
{
    std::uintmax_t bytes = 0;
    const auto add = [&bytes](const std::string& path) {
        std::error_code error;
        const std::uintmax_t size = std::filesystem::file_size(path, error);
        bytes += error ? 0 : size;
    };
    for (const measured::SideInput* side : {&bench.source, &bench.load})
        if (const auto* file = std::get_if<measured::ReflectionFile>(&side->value))
            add(file->path);
    for (const measured::TwoPortInput& through : bench.chain)
        if (const auto* path = std::get_if<std::string>(&through.value))
            add(*path);
    return bytes;
}

std::size_t Index(InputField field)
{
    return static_cast<std::size_t>(field);
}

QString Text(const std::string& utf8)
{
    return QString::fromStdString(utf8);
}

// "50 ohms" where every port has it, else "ports 50 / 75 ohms".
QString OhmsText(const std::vector<double>& portOhms)
{
    QStringList each;
    for (const double ohms : portOhms)
        each << QString::fromStdString(touchstone::FrequencyText(ohms));  // the shortest form, as for hertz
    if (std::adjacent_find(portOhms.begin(), portOhms.end(), std::not_equal_to<>()) == portOhms.end())
        return each.value(0) + QStringLiteral(" ohms");
    return QStringLiteral("ports ") + each.join(QStringLiteral(" / ")) + QStringLiteral(" ohms");
}

QString Described(const std::optional<Extent>& extent, const char* otherwise)
{
    if (!extent)
        return QString::fromUtf8(otherwise);
    return QStringLiteral("%1 %2, %3 to %4, %5")
        .arg(extent->points)
        .arg(extent->points == 1 ? QStringLiteral("point") : QStringLiteral("points"),
             plot::FrequencyText(extent->firstHz), plot::FrequencyText(extent->lastHz), OhmsText(extent->portOhms));
}

QString FileFilter()
{
    return QStringLiteral("Touchstone files (*.s*p *.S*P *.ts *.TS);;All files (*)");
}

}  // namespace

SweepWindow::SweepWindow(const InputTexts& texts, QWidget* parent)
    : QWidget(parent)
{
    setWindowTitle(QStringLiteral("Corvalen Sweep"));
    setAcceptDrops(true);
    inputGrid_ = new QGridLayout;
    BuildInputs();
    BuildCharts();

    auto* middle = new QHBoxLayout;
    middle->addWidget(charts_, 1);
    // At a large DPI on a small screen the readout scrolls rather than pushing the window off the screen.
    auto* readout = new QScrollArea(this);
    readout->setWidget(BuildReadoutPanel());
    readout->setWidgetResizable(true);
    readout->setFrameShape(QFrame::NoFrame);
    // It takes the focus to scroll from the keyboard; a screen reader names it there.
    readout->setAccessibleName(QStringLiteral("Readout"));
    readout->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    readout->setMinimumWidth(Scaled(layout::kReadoutMinimumWidth));
    readout->setMaximumWidth(Scaled(layout::kReadoutMaximumWidth));
    // The commands stay in sight below it, however far the readout scrolls.
    auto* side = new QVBoxLayout;
    side->addWidget(readout, 1);
    auto* actions = new QVBoxLayout;
    BuildActionButtons(actions, this);
    for (QPushButton* button : sweepOnly_)
        button->setEnabled(false);
    side->addLayout(actions);
    middle->addLayout(side);
    middle->addStretch(0);
    reading_ = new QProgressBar(this);
    reading_->setRange(0, 100);  // percent of all the files' bytes
    reading_->setAccessibleName(QStringLiteral("Reading the files"));
    reading_->hide();
    status_ = new QLabel(this);
    status_->setWordWrap(true);
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* page = new QVBoxLayout(this);
    page->addLayout(inputGrid_);
    page->addLayout(middle, 1);
    page->addWidget(reading_);
    page->addWidget(status_);

    connect(new QShortcut(QKeySequence::Quit, this), &QShortcut::activated, this, &QWidget::close);
    // The texts grow with the logical DPI, so the room for them does too; never beyond the screen.
    const QSize wanted(Scaled(layout::kWindowSize.width()), Scaled(layout::kWindowSize.height()));
    resize(screen() ? wanted.boundedTo(screen()->availableSize()) : wanted);
    inputs_[Index(InputField::Source)].edit->setText(Text(texts.source));
    for (const TwoPortText& twoPort : texts.chain)
        AddTwoPortRow(twoPort);
    if (chain_.empty())
        AddTwoPortRow({});
    inputs_[Index(InputField::Load)].edit->setText(Text(texts.load));
    inputs_[Index(InputField::Z0)].edit->setText(Text(texts.z0Ohms));
    // An analyser saving again writes for a while: read once it has been quiet a moment.
    watcher_ = new QFileSystemWatcher(this);
    reloadDelay_ = new QTimer(this);
    reloadDelay_->setSingleShot(true);
    reloadDelay_->setInterval(kReloadQuietMs);
    connect(watcher_, &QFileSystemWatcher::fileChanged, this, &SweepWindow::ReloadChanged);
    connect(reloadDelay_, &QTimer::timeout, this, [this] { Recompute(true); });
    for (const InputRow& row : inputs_)
        if (row.edit)
            connect(row.edit, &QLineEdit::textChanged, this, [this] { Recompute(); });
    Recompute();
}

// A read still running uses nothing of the window, but must end before the program does.
SweepWindow::~SweepWindow()
{
    CancelRead();
    for (QThread* reader : findChildren<QThread*>(Qt::FindDirectChildrenOnly))
        reader->wait();
}

int SweepWindow::Scaled(int pixelsAt96Dpi) const
{
    return pixelsAt96Dpi * logicalDpiY() / 96;
}

void SweepWindow::BuildCharts()
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
        connect(chart, &ChartView::RowPicked, this, &SweepWindow::MoveCursorTo);
        connect(chart, &ChartView::CursorKey, this, &SweepWindow::StepCursor);
    }
    connect(sweepChart_, &ChartView::BandPicked, this, [this](double fromHz, double toHz) {
        SetBandTexts(plot::FrequencyText(fromHz), plot::FrequencyText(toHz));
    });
}

void SweepWindow::BuildInputs()
{
    for (const FieldText& field : kFields) {
        if (field.field == InputField::TwoPort)
            continue;  // the chain's rows are added as it grows
        auto* edit = new QLineEdit(this);
        edit->setPlaceholderText(QString::fromUtf8(field.placeholder));
        edit->setMinimumWidth(Scaled(layout::kInputMinimumWidth));
        edit->installEventFilter(this);
        auto* label = new QLabel(QString::fromUtf8(field.label) + QLatin1Char(':'), this);
        label->setBuddy(edit);
        edit->setAccessibleName(label->text().remove(QLatin1Char('&')).chopped(1));
        auto* note = new QLabel(this);
        note->setTextInteractionFlags(Qt::TextSelectableByMouse);
        note->setWordWrap(true);
        QComboBox* chooser = nullptr;
        auto* holder = new QHBoxLayout;
        holder->addWidget(edit, 1);
        if (field.field == InputField::Source || field.field == InputField::Load) {
            chooser = new QComboBox(this);
            chooser->setObjectName(edit->accessibleName().toLower() + QStringLiteral("Chooser"));
            chooser->setAccessibleName(edit->accessibleName() + QStringLiteral(" reflection"));
            chooser->setPlaceholderText(QStringLiteral("reflection"));
            chooser->hide();
            holder->addWidget(chooser);
            connect(edit, &QLineEdit::textChanged, this, [this, which = field.field] { UpdateChooser(which); });
            connect(chooser, &QComboBox::activated, this, [this, which = field.field, chooser] {
                QLineEdit* input = inputs_[Index(which)].edit;
                const auto split = touchstone::SplitFileChoice(input->text().trimmed().toStdString());
                input->setText(Text(split.path) + QLatin1Char(':') + chooser->currentText());
            });
        }
        QPushButton* open = field.field == InputField::Z0 ? nullptr : OpenButton(edit);
        const std::size_t line = field.field == InputField::Source ? 0 : field.field == InputField::Load ? 1 : 2;
        sideLines_[line] = {label, holder, open, note};
        inputs_[Index(field.field)] = {edit, note, chooser};
    }
    addTwoPort_ = new QPushButton(QStringLiteral("A&dd two-port"), this);
    addTwoPort_->setAccessibleName(QStringLiteral("Add a two-port to the chain, nearest the load"));
    addTwoPort_->setToolTip(QStringLiteral("Another two-port between the last one and the load"));
    connect(addTwoPort_, &QPushButton::clicked, this, [this] {
        AddTwoPort();
        chain_.back().edit->setFocus();
    });
    addLine_ = new QHBoxLayout;
    addLine_->addWidget(addTwoPort_);
    addLine_->addStretch(1);
    bandLine_ = BuildBandRow();
    inputGrid_->setColumnStretch(1, 1);
    inputGrid_->setColumnStretch(3, 1);
}

QPushButton* SweepWindow::OpenButton(QLineEdit* edit)
{
    auto* open = new QPushButton(QStringLiteral("Open..."), this);
    open->setAccessibleName(QStringLiteral("Open a file for ") + edit->accessibleName());
    // The menu is filled as it opens, with the files read most lately.
    auto* menu = new QMenu(open);
    open->setMenu(menu);
    connect(menu, &QMenu::aboutToShow, this, [this, menu, edit] { FillOpenMenu(menu, edit); });
    return open;
}

void SweepWindow::AddTwoPort(const TwoPortText& text)
{
    AddTwoPortRow(text);
    if (!text.text.empty())
        Recompute();
}

void SweepWindow::AddTwoPortRow(const TwoPortText& text)
{
    const bool first = chain_.empty();
    TwoPortRow row{};
    row.edit = new QLineEdit(Text(text.text), this);
    row.edit->setPlaceholderText(first ? QString::fromUtf8(kFields[Index(InputField::TwoPort)].placeholder)
                                       : QStringLiteral("the next two-port toward the load: a file, or loss=3,vswr=1.2"));
    row.edit->setMinimumWidth(Scaled(layout::kInputMinimumWidth));
    row.edit->installEventFilter(this);
    row.label = new QLabel(this);
    row.label->setBuddy(row.edit);
    row.reversed = new QCheckBox(first ? QStringLiteral("Re&versed") : QStringLiteral("Reversed"), this);
    row.reversed->setObjectName(first ? QStringLiteral("reverseTwoPort") : QString());
    row.reversed->setToolTip(QStringLiteral("Port 2 of the two-port file faces the source"));
    row.reversed->setChecked(text.reversed);
    row.holder = new QHBoxLayout;
    row.holder->addWidget(row.edit, 1);
    row.holder->addWidget(row.reversed);
    // The first stays, an empty input meaning no two-port; the others can go.
    if (!first) {
        row.remove = new QPushButton(QStringLiteral("Remove"), this);
        row.remove->setToolTip(QStringLiteral("Take this two-port out of the chain"));
        connect(row.remove, &QPushButton::clicked, this, [this, edit = row.edit] { RemoveTwoPort(edit); });
        row.holder->addWidget(row.remove);
    }
    row.note = new QLabel(this);
    row.note->setTextInteractionFlags(Qt::TextSelectableByMouse);
    row.note->setWordWrap(true);
    connect(row.edit, &QLineEdit::textChanged, this, [this] { Recompute(); });
    connect(row.reversed, &QCheckBox::toggled, this, [this] { Recompute(); });
    chain_.push_back(row);
    chain_.back().open = OpenButton(row.edit);
    LayOutInputs();
}

void SweepWindow::RemoveTwoPort(QLineEdit* edit)
{
    const auto row = std::find_if(chain_.begin(), chain_.end(), [edit](const TwoPortRow& r) { return r.edit == edit; });
    if (row == chain_.begin() || row == chain_.end())
        return;
    const bool heldSomething = !edit->text().trimmed().isEmpty();
    for (QWidget* widget : std::initializer_list<QWidget*>{row->label, row->edit, row->reversed, row->remove, row->open, row->note}) {
        widget->hide();
        widget->deleteLater();
    }
    noteFor_.remove(row->note);
    QHBoxLayout* holder = row->holder;
    chain_.erase(row);
    LayOutInputs();
    delete holder;
    addTwoPort_->setFocus();
    if (heldSomething)
        Recompute();
}

void SweepWindow::LayOutInputs()
{
    while (QLayoutItem* item = inputGrid_->takeAt(0))
        if (!item->layout())
            delete item;  // a widget's place; a layout is its own item, and is placed again below
    std::vector<GridLine> lines{sideLines_[0]};
    for (std::size_t i = 0; i < chain_.size(); ++i) {
        TwoPortRow& row = chain_[i];
        const QString name = i == 0 ? QStringLiteral("Two-port") : QStringLiteral("Two-port %1").arg(i + 1);
        row.label->setText(i == 0 ? QStringLiteral("&Two-port:") : name + QLatin1Char(':'));
        row.edit->setAccessibleName(name);
        row.reversed->setAccessibleName(name + QStringLiteral(" reversed"));
        if (row.remove)
            row.remove->setAccessibleName(QStringLiteral("Remove ") + name);
        row.open->setAccessibleName(QStringLiteral("Open a file for ") + name);
        lines.push_back({row.label, row.holder, row.open, row.note});
    }
    lines.push_back({nullptr, addLine_, nullptr, nullptr});
    lines.insert(lines.end(), {sideLines_[1], sideLines_[2], bandLine_});
    std::vector<QWidget*> tabOrder;
    for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
        const GridLine& line = lines[static_cast<std::size_t>(i)];
        if (line.label)
            inputGrid_->addWidget(line.label, i, 0);
        inputGrid_->addLayout(line.field, i, 1);
        for (int item = 0; item < line.field->count(); ++item)
            if (QWidget* widget = line.field->itemAt(item)->widget(); widget && (widget->focusPolicy() & Qt::TabFocus))
                tabOrder.push_back(widget);
        if (line.button) {
            inputGrid_->addWidget(line.button, i, 2);
            tabOrder.push_back(line.button);
        }
        if (line.note)
            inputGrid_->addWidget(line.note, i, 3);
    }
    // Top to bottom, left to right, however the chain grew.
    for (std::size_t i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
}

SweepWindow::GridLine SweepWindow::BuildBandRow()
{
    auto* row = new QHBoxLayout;
    bandFrom_ = new QLineEdit(this);
    bandTo_ = new QLineEdit(this);
    for (const auto& [edit, text] : {std::pair{bandFrom_, "&From:"}, std::pair{bandTo_, "T&o:"}}) {
        auto* label = new QLabel(QString::fromUtf8(text), this);
        label->setBuddy(edit);
        edit->setPlaceholderText(QStringLiteral("the whole sweep"));
        edit->setAccessibleName(QStringLiteral("Band ") + label->text().remove(QLatin1Char('&')).chopped(1));
        connect(edit, &QLineEdit::textChanged, this, &SweepWindow::ApplyBand);
        row->addWidget(label);
        row->addWidget(edit, 1);
    }
    auto* reset = new QPushButton(QStringLiteral("&Reset band"), this);
    connect(reset, &QPushButton::clicked, this, [this] { SetBandTexts({}, {}); });
    bandNote_ = new QLabel(this);
    bandNote_->setWordWrap(true);
    return {new QLabel(QStringLiteral("Band:"), this), row, reset, bandNote_};
}

QString SweepWindow::BandNote() const
{
    return bandNote_->text();
}

void SweepWindow::SetBandTexts(const QString& from, const QString& to)
{
    {
        const QSignalBlocker quietFrom(bandFrom_);
        const QSignalBlocker quietTo(bandTo_);
        bandFrom_->setText(from);
        bandTo_->setText(to);
    }
    ApplyBand();
}

std::optional<measured::Band> SweepWindow::BandTyped()
{
    const auto band = ReadBand(bandFrom_->text().trimmed().toStdString(), bandTo_->text().trimmed().toStdString());
    if (const auto* refusal = std::get_if<std::string>(&band)) {
        bandNote_->setText(Text(*refusal));
        bandNote_->setStyleSheet(QStringLiteral("color: #d02020"));
        return std::nullopt;
    }
    bandNote_->clear();
    bandNote_->setStyleSheet({});
    return std::get<measured::Band>(band);
}

// The worst case follows the band; the cursor stays where it was if the band holds it.
void SweepWindow::ApplyBand()
{
    const auto band = BandTyped();
    if (!band || !sweep_)
        return;
    const double cursorHz = sweep_->FrequencyAt(cursorRow_);
    if (!sweep_->SetBand(*band)) {
        bandNote_->setText(QStringLiteral("no frequency of the sweep lies in this band"));
        bandNote_->setStyleSheet(QStringLiteral("color: #d02020"));
        return;
    }
    const bool inside = cursorHz >= band->fromHz && cursorHz <= band->toHz;
    const auto& widest = sweep_->Worst().widestLimits;
    cursorRow_ = sweep_->RowNear(inside || !widest ? cursorHz : widest->frequencyHz);
    sweepChart_->Show(sweep_.get(), cursorRow_);
    smithChart_->Show(sweep_.get(), cursorRow_);
    ShowWorstCase();
    status_->setText(Text(sweep_->Notes()));
    MoveCursorTo(cursorRow_);
}

// Copy, Export and the two Saves, each with its shortcut.
void SweepWindow::BuildActionButtons(QVBoxLayout* column, QWidget* panel)
{
    const struct {
        const char* text;
        QKeySequence keys;
        void (SweepWindow::*act)();
    } buttons[] = {
        {"&Copy", QKeySequence::Copy, &SweepWindow::CopyReadout},
        {"&Export table...", QKeySequence(Qt::CTRL | Qt::Key_E), &SweepWindow::ExportWithDialog},
    };
    for (const auto& button : buttons) {
        auto* push = new QPushButton(QString::fromUtf8(button.text), panel);
        push->setToolTip(button.keys.toString(QKeySequence::NativeText));
        connect(push, &QPushButton::clicked, this, button.act);
        auto* shortcut = new QShortcut(button.keys, this);
        connect(shortcut, &QShortcut::activated, this, button.act);
        column->addWidget(push);
        if (button.act != &SweepWindow::CopyReadout)
            sweepOnly_.push_back(push);
    }
    for (const bool smith : {false, true}) {
        auto* push = new QPushButton(smith ? QStringLiteral("Save S&mith chart...") : QStringLiteral("Save &plot..."),
                                     panel);
        const QKeySequence keys(smith ? Qt::CTRL | Qt::SHIFT | Qt::Key_S : Qt::CTRL | Qt::Key_S);
        push->setToolTip(keys.toString(QKeySequence::NativeText));
        connect(push, &QPushButton::clicked, this, [this, smith] { SaveChartWithDialog(smith); });
        connect(new QShortcut(keys, this), &QShortcut::activated, this, [this, smith] { SaveChartWithDialog(smith); });
        column->addWidget(push);
        sweepOnly_.push_back(push);
    }
}

QWidget* SweepWindow::BuildReadoutPanel()
{
    auto* panel = new QWidget(this);
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(0, 0, 0, 0);
    widestLimits_ = new QPushButton(panel);
    largestError_ = new QPushButton(panel);
    for (QPushButton* button : {widestLimits_, largestError_}) {
        button->hide();
        column->addWidget(button);
        connect(button, &QPushButton::clicked, this, [this, button] {
            if (!sweep_)
                return;
            const auto& worst = button == widestLimits_ ? sweep_->Worst().widestLimits : sweep_->Worst().largestError;
            if (worst)
                MoveCursorTo(sweep_->RowNear(worst->frequencyHz));
        });
    }
    readoutTitle_ = new QLabel(QStringLiteral("Give a source and a load: a file or a value each."), panel);
    readoutTitle_->setWordWrap(true);
    column->addWidget(readoutTitle_);
    readoutGrid_ = new QGridLayout;
    column->addLayout(readoutGrid_);
    verdict_ = new QLabel(panel);
    verdict_->setWordWrap(true);
    column->addWidget(verdict_);
    column->addStretch(1);
    return panel;
}

InputTexts SweepWindow::Texts() const
{
    const auto text = [this](InputField field) { return inputs_[Index(field)].edit->text().trimmed().toStdString(); };
    InputTexts texts{text(InputField::Source), {}, text(InputField::Load), text(InputField::Z0)};
    for (const TwoPortRow& row : chain_)
        texts.chain.push_back({row.edit->text().trimmed().toStdString(), row.reversed->isChecked()});
    return texts;
}

QLineEdit* SweepWindow::Input(InputField field, std::size_t element) const
{
    return field == InputField::TwoPort ? chain_.at(element).edit : inputs_[Index(field)].edit;
}

QCheckBox* SweepWindow::Reversed(std::size_t element) const
{
    return chain_.at(element).reversed;
}

QLabel* SweepWindow::NoteOf(InputField field, std::size_t element) const
{
    return field == InputField::TwoPort ? chain_.at(element).note : inputs_[Index(field)].note;
}

std::vector<std::pair<QLabel*, QLineEdit*>> SweepWindow::NotesAndInputs() const
{
    std::vector<std::pair<QLabel*, QLineEdit*>> pairs;
    for (const InputField field : {InputField::Source, InputField::Load, InputField::Z0})
        pairs.emplace_back(NoteOf(field), Input(field));
    for (const TwoPortRow& row : chain_)
        pairs.emplace_back(row.note, row.edit);
    return pairs;
}

QString SweepWindow::InputNote(InputField field, std::size_t element) const
{
    return NoteOf(field, element)->text();
}

// Reads the inputs again; whatever is wrong marks its input and leaves the last good result shown.
void SweepWindow::Recompute(bool reload)
{
    ++readGeneration_;  // a read still running for earlier inputs is not shown
    CancelRead();
    auto texts = ReadInputTexts(Texts());
    if (const auto* problems = std::get_if<std::vector<InputProblem>>(&texts)) {
        // An input whose text stands keeps saying what it holds; one changed since is not read yet.
        for (const auto& [note, edit] : NotesAndInputs())
            if (noteFor_.value(note) != edit->text())
                SetNote(note, edit->text(), {});
        for (const InputProblem& problem : *problems)
            MarkProblem(problem.field, problem.element, Text(problem.message));
        return;
    }
    const auto& read = std::get<ReadTexts>(texts);
    if (!HasFile(read.bench)) {
        ShowOneOff(ComputeOneOffResult(read.bench));
        ShowRead(read);
        return;
    }
    if (FileBytes(read.bench) > kBackgroundBytes)
        return ReadInBackground(read, reload);
    ReadOutcome outcome = ReadSweep(read.bench, read.reversed);
    if (outcome.sweep)
        ShowSweep(std::move(outcome.sweep), reload);
    ShowRead(read, &outcome);
}

void SweepWindow::ShowRead(const ReadTexts& read, const ReadOutcome* outcome)
{
    WatchFiles(read.bench);
    const auto show = [this](QLabel* note, QLineEdit* edit, const InputRead* input, const char* otherwise) {
        if (input && !input->failure.empty())
            SetNote(note, edit->text(), Text(input->failure), true);
        else
            SetNote(note, edit->text(), Described(input ? input->extent : std::nullopt, otherwise));
    };
    // Z0 and the empty two-port inputs say nothing; the others say what they hold.
    for (const auto& [note, edit] : NotesAndInputs())
        SetNote(note, edit->text(), {});
    show(NoteOf(InputField::Source), Input(InputField::Source), outcome ? &outcome->source : nullptr,
         "fixed, phase unknown");
    show(NoteOf(InputField::Load), Input(InputField::Load), outcome ? &outcome->load : nullptr, "fixed, phase unknown");
    for (std::size_t i = 0; i < read.chainTexts.size(); ++i) {
        const TwoPortRow& row = chain_[read.chainTexts[i]];
        show(row.note, row.edit, outcome ? &outcome->chain[i] : nullptr, "a pad, phases unknown");
    }
    if (outcome && outcome->Failed())
        return;
    for (const QString& path : watcher_->files()) {
        recentFiles_.removeAll(path);
        recentFiles_.prepend(path);
    }
    recentFiles_ = recentFiles_.mid(0, kRecentFiles);
    for (QPushButton* button : sweepOnly_)
        button->setEnabled(sweep_ != nullptr);
    status_->setText(sweep_ ? Text(sweep_->Notes()) : QString());
}

// Large files are read on a thread of their own, so the window keeps answering,
// and the bar shows how much of them is read. The thread uses nothing of the
// window, which waits for it when it closes; a change of the inputs stops it.
void SweepWindow::ReadInBackground(const ReadTexts& read, bool reload)
{
    const int generation = readGeneration_;
    auto outcome = std::make_shared<ReadOutcome>();
    auto progress = std::make_shared<touchstone::ReadProgress>();
    readProgress_ = progress;
    QThread* reader = QThread::create([read, outcome, progress] {
        *outcome = ReadSweep(read.bench, read.reversed, progress.get());
    });
    reader->setParent(this);
    connect(reader, &QThread::finished, reader, &QObject::deleteLater);
    connect(reader, &QThread::finished, this, [this, read, outcome, generation, reload] {
        if (generation != readGeneration_)
            return;
        readProgress_.reset();
        reading_->hide();
        status_->clear();
        if (outcome->sweep)
            ShowSweep(std::move(outcome->sweep), reload);
        ShowRead(read, outcome.get());
    });
    const std::uintmax_t totalBytes = std::max<std::uintmax_t>(FileBytes(read.bench), 1);
    auto* poll = new QTimer(reader);
    poll->setInterval(kReadPollMs);
    connect(poll, &QTimer::timeout, this, [this, progress, totalBytes, generation] {
        if (generation != readGeneration_)
            return;
        const std::uintmax_t percent = std::min<std::uintmax_t>(100, progress->bytesRead * 100 / totalBytes);
        reading_->setValue(static_cast<int>(percent));
        // The rows come after the files, which the bar does not count: it says what is left.
        if (percent == 100)
            status_->setText(QStringLiteral("Computing the sweep..."));
    });
    reading_->setValue(0);
    reading_->show();
    status_->setText(QStringLiteral("Reading %1 MB of files...").arg(totalBytes >> 20));
    poll->start();
    reader->start();
}

void SweepWindow::CancelRead()
{
    if (!readProgress_)
        return;
    readProgress_->cancelled = true;
    readProgress_.reset();
    reading_->hide();
    status_->setText(sweep_ ? Text(sweep_->Notes()) : QString());
}

void SweepWindow::WatchFiles(const measured::BenchInput& bench)
{
    QStringList paths;
    for (const measured::SideInput* side : {&bench.source, &bench.load})
        if (const auto* file = std::get_if<measured::ReflectionFile>(&side->value))
            paths << Text(file->path);
    for (const measured::TwoPortInput& through : bench.chain)
        if (const auto* path = std::get_if<std::string>(&through.value))
            paths << Text(*path);
    if (!watcher_->files().isEmpty())
        watcher_->removePaths(watcher_->files());
    for (const QString& path : paths)
        if (QFileInfo::exists(path))
            watcher_->addPath(path);
}

// A file saved by replacing it leaves the watch; it is watched again once read.
void SweepWindow::ReloadChanged(const QString&)
{
    reloadDelay_->start();
}

void SweepWindow::SetNote(QLabel* note, const QString& text, const QString& message, bool fault)
{
    noteFor_.insert(note, text);
    note->setText(message);
    note->setAccessibleName(message);
    // Red is read as a fault on light and dark faces alike.
    note->setStyleSheet(fault ? QStringLiteral("color: #d02020") : QString());
}

void SweepWindow::MarkProblem(InputField field, std::size_t element, const QString& message)
{
    SetNote(NoteOf(field, element), Input(field, element)->text(), message, !message.isEmpty());
}

void SweepWindow::ShowSweep(std::unique_ptr<MeasuredSweep> sweep, bool keepCursor)
{
    const std::optional<double> keptHz =
        keepCursor && sweep_ ? std::optional(sweep_->FrequencyAt(cursorRow_)) : std::nullopt;
    sweepChart_->Show(nullptr, 0);
    smithChart_->Show(nullptr, 0);
    sweep_ = std::move(sweep);
    oneOff_.reset();
    if (const auto band = BandTyped(); band && !sweep_->SetBand(*band)) {
        bandNote_->setText(QStringLiteral("no frequency of the sweep lies in this band: the whole sweep is shown"));
        bandNote_->setStyleSheet(QStringLiteral("color: #d02020"));
    }
    const auto& widest = sweep_->Worst().widestLimits;
    cursorRow_ = sweep_->RowNear(keptHz ? *keptHz : widest ? widest->frequencyHz : sweep_->FrequencyAt(0));
    sweepChart_->Show(sweep_.get(), cursorRow_);
    smithChart_->Show(sweep_.get(), cursorRow_);
    charts_->show();
    verdict_->clear();
    ShowWorstCase();
    MoveCursorTo(cursorRow_);
}

void SweepWindow::ShowOneOff(const OneOff& oneOff)
{
    // The charts let go of the sweep before it goes.
    sweepChart_->Show(nullptr, 0);
    smithChart_->Show(nullptr, 0);
    sweep_.reset();
    charts_->hide();
    oneOff_ = oneOff;
    widestLimits_->hide();
    largestError_->hide();
    readoutTitle_->setText(QStringLiteral("<b>One-off values</b>"));
    ShowReadout(ReadoutLines(oneOff.values.pair, false, locale()));
    verdict_->setText(Text(oneOff.verdict));
}

void SweepWindow::ShowWorstCase()
{
    const QLocale here = locale();
    const auto caption = [&here](const char* what, const std::optional<measured::RowValues>& row, bool error) {
        if (!row)
            return QString();
        // Through the chain where there is one, as the worst case is sought.
        const measured::MismatchValues& values = row->through ? *row->through : row->direct;
        const QString value =
            error ? QStringLiteral("error %1 dB").arg(FourDecimals(values.mismatchErrorDb.value_or(0.0), here))
                  : QStringLiteral("%1 / %2 dB")
                        .arg(FourDecimals(values.plusUncertaintyDb, here), FourDecimals(values.minusUncertaintyDb, here));
        // Two lines: a frequency of a million-point sweep needs all its digits, and the panel is narrow.
        return QStringLiteral("%1 at %2\n%3").arg(QString::fromUtf8(what), LocaleFrequencyText(row->frequencyHz, here), value);
    };
    const measured::WorstCase& worst = sweep_->Worst();
    widestLimits_->setText(caption("Widest limits", worst.widestLimits, false));
    widestLimits_->setVisible(worst.widestLimits.has_value());
    largestError_->setText(caption("Largest error", worst.largestError, true));
    largestError_->setVisible(worst.largestError.has_value());
}

void SweepWindow::ShowReadout(const std::vector<ReadoutLine>& lines)
{
    while (readoutLabels_.size() < lines.size()) {
        const int row = static_cast<int>(readoutLabels_.size());
        std::array<QLabel*, 3> labels{new QLabel(this), new QLabel(this), new QLabel(this)};
        for (int column = 0; column < 3; ++column)
            readoutGrid_->addWidget(labels[static_cast<std::size_t>(column)], row, column);
        labels[1]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        labels[1]->setTextInteractionFlags(Qt::TextSelectableByMouse);
        readoutLabels_.push_back(labels);
    }
    for (std::size_t i = 0; i < readoutLabels_.size(); ++i) {
        const bool used = i < lines.size();
        for (QLabel* label : readoutLabels_[i])
            label->setVisible(used);
        if (!used)
            continue;
        readoutLabels_[i][0]->setText(lines[i].label);
        readoutLabels_[i][1]->setText(lines[i].value);
        readoutLabels_[i][2]->setText(lines[i].unit);
        // A value without a unit ("Source VSWR 1.6667") is read without a trailing space.
        readoutLabels_[i][1]->setAccessibleName(
            (lines[i].label + QLatin1Char(' ') + lines[i].value + QLatin1Char(' ') + lines[i].unit).trimmed());
    }
}

void SweepWindow::MoveCursorTo(std::size_t row)
{
    if (!sweep_)
        return;
    cursorRow_ = std::min(row, sweep_->RowCount() - 1);
    sweepChart_->SetCursorRow(cursorRow_);
    smithChart_->SetCursorRow(cursorRow_);
    readoutTitle_->setText(QStringLiteral("<b>At the cursor</b> (row %1 of %2)")
                               .arg(cursorRow_ + 1)
                               .arg(sweep_->RowCount()));
    ShowReadout(ReadoutLines(sweep_->RowAt(cursorRow_), true, locale()));
    // A screen reader on a chart hears where the cursor is.
    const QString at = QStringLiteral("Cursor at ") + LocaleFrequencyText(sweep_->FrequencyAt(cursorRow_), locale());
    sweepChart_->setAccessibleDescription(at);
    smithChart_->setAccessibleDescription(at);
}

void SweepWindow::StepCursor(int key)
{
    if (!sweep_)
        return;
    const std::size_t last = sweep_->RowCount() - 1;
    switch (key) {
    case Qt::Key_Left: MoveCursorTo(cursorRow_ > 0 ? cursorRow_ - 1 : 0); break;
    case Qt::Key_Right: MoveCursorTo(std::min(cursorRow_ + 1, last)); break;
    case Qt::Key_PageDown: MoveCursorTo(sweep_->TenthAway(cursorRow_, false)); break;
    case Qt::Key_PageUp: MoveCursorTo(sweep_->TenthAway(cursorRow_, true)); break;
    case Qt::Key_Home: MoveCursorTo(0); break;
    case Qt::Key_End: MoveCursorTo(last); break;
    default: break;
    }
}

QString SweepWindow::ReadoutText() const
{
    if (sweep_)
        return ReadoutReport(ReadoutLines(sweep_->RowAt(cursorRow_), true, locale()));
    if (oneOff_)
        return ReadoutReport(ReadoutLines(oneOff_->values.pair, false, locale()));
    return {};
}

void SweepWindow::CopyReadout()
{
    const QString text = ReadoutText();
    if (!text.isEmpty())
        QGuiApplication::clipboard()->setText(text);
}

QString SweepWindow::ExportTable(const QString& path) const
{
    if (!sweep_)
        return QStringLiteral("no measured data to export");
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    bool written = true;
    sweep_->WriteTable(path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive) ? ',' : '\t',
                       [&file, &written](std::string_view part) {
                           written = written && file.write(part.data(), static_cast<qint64>(part.size()))
                                                    == static_cast<qint64>(part.size());
                       });
    if (!written || !file.commit())
        return file.errorString();
    return {};
}

void SweepWindow::ExportWithDialog()
{
    if (!sweep_)
        return;
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Export the table"), QString(),
                                                      QStringLiteral("CSV (*.csv);;Tab-separated (*.tsv *.txt)"));
    if (path.isEmpty())
        return;
    const QString failure = ExportTable(path);
    status_->setText(failure.isEmpty() ? QStringLiteral("Table written to %1").arg(path)
                                       : QStringLiteral("Cannot write %1: %2").arg(path, failure));
}

void SweepWindow::SaveChartWithDialog(bool smith)
{
    if (!sweep_)
        return;
    const QString path = QFileDialog::getSaveFileName(
        this, smith ? QStringLiteral("Save the Smith chart") : QStringLiteral("Save the plot"), QString(),
        QString::fromLatin1(kPictureFilter));
    if (path.isEmpty())
        return;
    const std::string failure = smith ? SaveSmithPicture(*sweep_, path.toStdString())
                                      : SaveSweepPicture(*sweep_, path.toStdString());
    status_->setText(failure.empty() ? QStringLiteral("Saved %1").arg(path)
                                     : QStringLiteral("Cannot save %1: %2").arg(path, Text(failure)));
}

void SweepWindow::UpdateChooser(InputField field)
{
    QComboBox* chooser = inputs_[Index(field)].chooser;
    const auto [path, choice] = touchstone::SplitFileChoice(inputs_[Index(field)].edit->text().trimmed().toStdString());
    std::vector<std::string> names;
    if (!path.empty() && QFileInfo(Text(path)).isFile()) {
        try {
            names = touchstone::ReflectionChoices(path);
        } catch (const touchstone::MeasuredError&) {
            // The file's fault shows under the input once it is read.
        }
    }
    const QSignalBlocker quiet(chooser);
    chooser->clear();
    for (const std::string& name : names)
        chooser->addItem(Text(name));
    chooser->setCurrentIndex(choice.empty() ? -1 : chooser->findText(Text(choice), Qt::MatchFixedString));
    chooser->setVisible(names.size() > 1);
}

void SweepWindow::FillOpenMenu(QMenu* menu, QLineEdit* edit)
{
    menu->clear();
    menu->addAction(QStringLiteral("&Choose a file..."), this, [this, edit] { OpenFile(edit); });
    if (!recentFiles_.isEmpty())
        menu->addSection(QStringLiteral("Recent files"));
    for (const QString& path : recentFiles_) {
        const QFileInfo file(path);
        menu->addAction(file.fileName() + QStringLiteral("  (") + file.absolutePath() + QLatin1Char(')'), this,
                        [edit, path] { edit->setText(path); });
    }
}

void SweepWindow::AddEarlierFiles(const QStringList& paths)
{
    for (const QString& path : paths)
        if (!recentFiles_.contains(path))
            recentFiles_.append(path);
    recentFiles_ = recentFiles_.mid(0, kRecentFiles);
}

void SweepWindow::OpenFile(QLineEdit* edit)
{
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Open a Touchstone file"), QString(),
                                                      FileFilter());
    if (!path.isEmpty())
        edit->setText(path);
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
    if (paths.size() >= 2) {
        inputs_[Index(InputField::Source)].edit->setText(paths[0]);
        inputs_[Index(InputField::Load)].edit->setText(paths[1]);
        return;
    }
    const bool loadIsFile = QFileInfo::exists(inputs_[Index(InputField::Load)].edit->text());
    inputs_[Index(loadIsFile ? InputField::Source : InputField::Load)].edit->setText(paths[0]);
}

// A file dropped on an input replaces what it holds, rather than being typed into it as text.
bool SweepWindow::eventFilter(QObject* watched, QEvent* event)
{
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (edit && (event->type() == QEvent::DragEnter || event->type() == QEvent::Drop)) {
        auto* drop = static_cast<QDropEvent*>(event);
        const QList<QUrl> urls = drop->mimeData()->urls();
        if (urls.isEmpty() || !urls.front().isLocalFile())
            return false;
        drop->acceptProposedAction();
        if (event->type() == QEvent::Drop)
            edit->setText(urls.front().toLocalFile());
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace corvalen::sweepwindow
