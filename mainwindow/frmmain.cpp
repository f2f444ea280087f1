// SPDX-License-Identifier: MIT
#include "frmmain.h"

#include "about/frmabout.h"
#include "frmmain_layout.h"
#include "widgets/program.h"
#include "calc/report.h"
#include "calc/result_texts.h"
#include "widgets/vswr_scroll_bar.h"
#include "widgets/window_placement.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

namespace layout = corvalen::layout;
using corvalen::MakeLabel;
using corvalen::Place;
using corvalen::ToQString;

namespace {

corvalen::BarValue Position(const VswrScrollBar& bar)
{
    return static_cast<corvalen::BarValue>(bar.value());
}

QPushButton* MakeButton(QWidget* parent, const layout::ControlLayout& row, std::string_view toolTip)
{
    auto* button = new QPushButton(ToQString(row.text), parent);
    Place(*button, row);
    button->setToolTip(ToQString(toolTip));
    button->setAccessibleDescription(ToQString(toolTip));
    return button;
}

VswrScrollBar* MakeBar(QWidget* parent, const layout::ControlLayout& row, const layout::ControlLayout& heading)
{
    auto* bar = new VswrScrollBar(parent);
    Place(*bar, row);
    bar->setAccessibleName(ToQString(heading.text));
    return bar;
}

}  // namespace

frmMain::frmMain(const QLocale& locale, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
    , decimalMark_(locale.decimalPoint().toStdString())
{
    setObjectName(QStringLiteral("frmMain"));
    setLocale(locale);
    // A fixed panel of controls: mirroring it would only put Right on the lowering side.
    setLayoutDirection(Qt::LeftToRight);
    setWindowTitle(ToQString(layout::kMainCaption));
    setWindowIcon(corvalen::ProgramIcon());
    setFont(corvalen::ProgramFont(layout::kWindowFont));
    const layout::PixelScale scale = corvalen::LayoutScale(*this);
    setFixedSize(scale.Pixels(layout::kMainClientWidthTwips), scale.Pixels(layout::kMainClientHeightTwips));

    CreateControls();
    Form_Load();

    corvalen::CentreOnShow(*this, [this] { return screen()->availableGeometry().center(); });
    hsVSWR1->setFocus();
}

void frmMain::CreateControls()
{
    // Created in tab order, so the focus chain needs no further arranging.
    hsVSWR1 = MakeBar(this, layout::MainControl("hsVSWR1"), layout::MainControl("Label1"));
    QLabel* lblVSWR1 = MakeLabel(this, layout::MainControl("lblVSWR1"));
    QLabel* lblVSWR2 = MakeLabel(this, layout::MainControl("lblVSWR2"));
    hsVSWR2 = MakeBar(this, layout::MainControl("hsVSWR2"), layout::MainControl("Label2"));
    const QLabel* Label1 = MakeLabel(this, layout::MainControl("Label1"));
    const QLabel* Label2 = MakeLabel(this, layout::MainControl("Label2"));
    MakeLabel(this, layout::MainControl("Label3"));
    MakeLabel(this, layout::MainControl("lblMaxVSWR"));
    MakeLabel(this, layout::MainControl("lblTotalReturnLoss"));
    MakeLabel(this, layout::MainControl("lblPlusMisMatch"));
    MakeLabel(this, layout::MainControl("lblMinusMisMatch"));
    MakeLabel(this, layout::MainControl("lblGamma1"));
    MakeLabel(this, layout::MainControl("lblGamma2"));
    const QPushButton* cmdCopy = MakeButton(this, layout::MainControl("cmdCopy"), layout::MainToolTip("cmdCopy"));
    const QPushButton* cmdQuit = MakeButton(this, layout::MainControl("cmdQuit"), layout::MainToolTip("cmdQuit"));
    const QPushButton* cmdAbout = MakeButton(this, layout::MainControl("cmdAbout"), layout::MainToolTip("cmdAbout"));
    QLabel* lblRL1 = MakeLabel(this, layout::MainControl("lblRL1"));
    QLabel* lblRL2 = MakeLabel(this, layout::MainControl("lblRL2"));
    MakeLabel(this, layout::MainControl("lblMismatchLoss"));

    // Top-aligned, a 24 pt line is taller than the readout's 33 pixels and the
    // tail of a decimal comma would be cut off; centred, the ink fits.
    lblVSWR1->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    lblVSWR2->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    // The big readouts print a bare number; say whose number it is.
    lblVSWR1->setAccessibleDescription(Label1->text());
    lblVSWR2->setAccessibleDescription(Label2->text());
    lblRL1->setAccessibleDescription(Label1->text());
    lblRL2->setAccessibleDescription(Label2->text());
    hsVSWR1->setAccessibleDescription(tr("Sets the source VSWR"));
    hsVSWR2->setAccessibleDescription(tr("Sets the load VSWR"));

    // Looked up once: a lookup by name on every change took most of a bar step.
    for (std::size_t i = 0; i < corvalen::kOutputLabels.size(); ++i)
        outputLabels_[i] = findChild<QLabel*>(ToQString(corvalen::kOutputLabels[i].name), Qt::FindDirectChildrenOnly);

    connect(hsVSWR1, &VswrScrollBar::valueChanged, this, &frmMain::hsVSWR1_Change);
    connect(hsVSWR2, &VswrScrollBar::valueChanged, this, &frmMain::hsVSWR2_Change);
    connect(cmdCopy, &QPushButton::clicked, this, &frmMain::cmdCopy_Click);
    connect(cmdQuit, &QPushButton::clicked, this, &frmMain::cmdQuit_Click);
    connect(cmdAbout, &QPushButton::clicked, this, &frmMain::cmdAbout_Click);
}

void frmMain::Form_Load()
{
    // The bars already stand at 1.00, so setting them reports no change: run
    // each change handling here, which replaces every placeholder text.
    hsVSWR1->setValue(corvalen::kBarMin);
    hsVSWR1_Change();
    hsVSWR2->setValue(corvalen::kBarMin);
    hsVSWR2_Change();
}

void frmMain::hsVSWR1_Change()
{
    WriteOutputs(corvalen::OutputGroup::Source, corvalen::SourceSideTexts(Position(*hsVSWR1), decimalMark_));
    UpdateResults();
}

void frmMain::hsVSWR2_Change()
{
    WriteOutputs(corvalen::OutputGroup::Load, corvalen::LoadSideTexts(Position(*hsVSWR2), decimalMark_));
    UpdateResults();
}

void frmMain::UpdateResults()
{
    WriteOutputs(corvalen::OutputGroup::Combined,
                 corvalen::CombinedResultTexts(Position(*hsVSWR1), Position(*hsVSWR2), decimalMark_));
}

QLabel& frmMain::Output(const corvalen::OutputLabel& label) const
{
    return *outputLabels_[static_cast<std::size_t>(&label - corvalen::kOutputLabels.data())];
}

void frmMain::WriteOutputs(corvalen::OutputGroup group, const corvalen::OutputTexts& texts)
{
    for (const corvalen::OutputLabel& label : corvalen::kOutputLabels) {
        if (label.group == group)
            Output(label).setText(QString::fromStdString(texts.*label.text));
    }
}

QString frmMain::BuildReport() const
{
    corvalen::OutputTexts texts;
    for (const corvalen::OutputLabel& label : corvalen::kOutputLabels)
        texts.*label.text = Output(label).text().toStdString();
    return QString::fromStdString(corvalen::BuildReport(texts));
}

QClipboard* frmMain::Clipboard() const
{
    return QGuiApplication::clipboard();
}

void frmMain::cmdCopy_Click()
{
    const QString report = BuildReport();
    QClipboard* clipboard = Clipboard();
    if (clipboard) {
        clipboard->clear(QClipboard::Clipboard);
        clipboard->setText(report, QClipboard::Clipboard);
    }
    // Qt reports no failure from setText; while we own the clipboard reading
    // it back is local and immediate, and a mismatch means the copy failed.
    if (!clipboard || clipboard->text(QClipboard::Clipboard) != report) {
        QMessageBox::warning(this, windowTitle(),
                             tr("The results could not be copied: no clipboard is available."));
    }
}

void frmMain::cmdAbout_Click()
{
    frmAbout::ShowModal(this);
}

void frmMain::cmdQuit_Click()
{
    QCoreApplication::exit(0);
}

void frmMain::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
    const layout::PixelScale scale = corvalen::LayoutScale(*this);
    QPainter painter(this);
    painter.setPen(QPen(palette().color(QPalette::WindowText), scale.Pixels(layout::kSeparatorWidthTwips)));
    for (const layout::TwipLine& line : layout::kMainSeparators)
        painter.drawLine(scale.Pixels(line));
}
