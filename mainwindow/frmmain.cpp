// SPDX-License-Identifier: MIT
#include "frmmain.h"

#include "frmabout.h"
#include "frmmain_layout.h"
#include "program.h"
#include "report.h"
#include "result_texts.h"
#include "vswr_scroll_bar.h"

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

std::string LabelText(const QLabel& label)
{
    return label.text().toStdString();
}

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
    button->setAutoDefault(false);
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
    setFixedSize(layout::TwipsToPixels(layout::kMainClientWidthTwips), layout::TwipsToPixels(layout::kMainClientHeightTwips));

    CreateControls();
    Form_Load();

    if (const QScreen* screen = this->screen()) {
        QRect centred = rect();
        centred.moveCenter(screen->availableGeometry().center());
        move(centred.topLeft());
    }
    hsVSWR1->setFocus();
}

void frmMain::CreateControls()
{
    // Created in tab order, so the focus chain needs no further arranging.
    hsVSWR1 = MakeBar(this, layout::MainControl("hsVSWR1"), layout::MainControl("Label1"));
    lblVSWR1 = MakeLabel(this, layout::MainControl("lblVSWR1"));
    lblVSWR2 = MakeLabel(this, layout::MainControl("lblVSWR2"));
    hsVSWR2 = MakeBar(this, layout::MainControl("hsVSWR2"), layout::MainControl("Label2"));
    Label1 = MakeLabel(this, layout::MainControl("Label1"));
    Label2 = MakeLabel(this, layout::MainControl("Label2"));
    Label3 = MakeLabel(this, layout::MainControl("Label3"));
    lblMaxVSWR = MakeLabel(this, layout::MainControl("lblMaxVSWR"));
    lblTotalReturnLoss = MakeLabel(this, layout::MainControl("lblTotalReturnLoss"));
    lblPlusMisMatch = MakeLabel(this, layout::MainControl("lblPlusMisMatch"));
    lblMinusMisMatch = MakeLabel(this, layout::MainControl("lblMinusMisMatch"));
    lblGamma1 = MakeLabel(this, layout::MainControl("lblGamma1"));
    lblGamma2 = MakeLabel(this, layout::MainControl("lblGamma2"));
    cmdCopy = MakeButton(this, layout::MainControl("cmdCopy"), layout::MainToolTip("cmdCopy"));
    cmdQuit = MakeButton(this, layout::MainControl("cmdQuit"), layout::MainToolTip("cmdQuit"));
    cmdAbout = MakeButton(this, layout::MainControl("cmdAbout"), layout::MainToolTip("cmdAbout"));
    lblRL1 = MakeLabel(this, layout::MainControl("lblRL1"));
    lblRL2 = MakeLabel(this, layout::MainControl("lblRL2"));
    lblMismatchLoss = MakeLabel(this, layout::MainControl("lblMismatchLoss"));

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

    connect(hsVSWR1, &VswrScrollBar::valueChanged, this, &frmMain::hsVSWR1_Change);
    connect(hsVSWR2, &VswrScrollBar::valueChanged, this, &frmMain::hsVSWR2_Change);
    connect(cmdCopy, &QPushButton::clicked, this, &frmMain::cmdCopy_Click);
    connect(cmdQuit, &QPushButton::clicked, this, &frmMain::cmdQuit_Click);
    connect(cmdAbout, &QPushButton::clicked, this, &frmMain::cmdAbout_Click);
}

void frmMain::Form_Load()
{
    // Setting a bar to the position it already holds reports no change, yet
    // every placeholder must be replaced before the window is shown.
    const auto setAndHandle = [this](VswrScrollBar& bar, void (frmMain::*change)()) {
        const bool unchanged = bar.value() == corvalen::kBarMin;
        bar.setValue(corvalen::kBarMin);
        if (unchanged)
            (this->*change)();
    };
    setAndHandle(*hsVSWR1, &frmMain::hsVSWR1_Change);
    setAndHandle(*hsVSWR2, &frmMain::hsVSWR2_Change);
}

void frmMain::hsVSWR1_Change()
{
    const corvalen::SourceTexts texts = corvalen::SourceSideTexts(Position(*hsVSWR1), decimalMark_);
    lblRL1->setText(QString::fromStdString(texts.returnLoss));
    lblVSWR1->setText(QString::fromStdString(texts.vswr));
    UpdateResults();
}

void frmMain::hsVSWR2_Change()
{
    const corvalen::LoadTexts texts = corvalen::LoadSideTexts(Position(*hsVSWR2), decimalMark_);
    lblRL2->setText(QString::fromStdString(texts.returnLoss));
    lblMismatchLoss->setText(QString::fromStdString(texts.mismatchLoss));
    lblVSWR2->setText(QString::fromStdString(texts.vswr));
    UpdateResults();
}

void frmMain::UpdateResults()
{
    const corvalen::CombinedTexts texts = corvalen::CombinedResultTexts(Position(*hsVSWR1), Position(*hsVSWR2), decimalMark_);
    lblMaxVSWR->setText(QString::fromStdString(texts.maxVswr));
    lblTotalReturnLoss->setText(QString::fromStdString(texts.totalReturnLoss));
    lblPlusMisMatch->setText(QString::fromStdString(texts.plusMismatch));
    lblMinusMisMatch->setText(QString::fromStdString(texts.minusMismatch));
    lblGamma1->setText(QString::fromStdString(texts.gamma1));
    lblGamma2->setText(QString::fromStdString(texts.gamma2));
}

QString frmMain::BuildReport() const
{
    corvalen::OutputTexts texts;
    texts.vswr1 = LabelText(*lblVSWR1);
    texts.returnLoss1 = LabelText(*lblRL1);
    texts.vswr2 = LabelText(*lblVSWR2);
    texts.returnLoss2 = LabelText(*lblRL2);
    texts.gamma1 = LabelText(*lblGamma1);
    texts.gamma2 = LabelText(*lblGamma2);
    texts.maxVswr = LabelText(*lblMaxVSWR);
    texts.totalReturnLoss = LabelText(*lblTotalReturnLoss);
    texts.plusMismatch = LabelText(*lblPlusMisMatch);
    texts.minusMismatch = LabelText(*lblMinusMisMatch);
    texts.mismatchLoss = LabelText(*lblMismatchLoss);
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
    QPainter painter(this);
    painter.setPen(QPen(palette().color(QPalette::WindowText), 1.0));
    for (const layout::TwipLine& line : layout::kMainSeparators)
        painter.drawLine(layout::ToPixels(line));
}
