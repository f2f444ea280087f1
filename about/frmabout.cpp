// SPDX-License-Identifier: MIT
#include "about/frmabout.h"

#include "corvalen_version.h"
#include "frmabout_layout.h"
#include "widgets/program.h"
#include "widgets/window_placement.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>

namespace layout = corvalen::layout;
using corvalen::MakeLabel;
using corvalen::Place;
using corvalen::ToQString;

namespace {

// Black on the classic light dialog face, as designed; on a dark face (a dark
// colour scheme) black would vanish, so the scheme's own text colour.
void SetTextColourForFace(QWidget& widget)
{
    QPalette palette = widget.palette();
    if (palette.color(QPalette::Window).lightnessF() >= 0.5f)
        palette.setColor(QPalette::WindowText, Qt::black);
    widget.setPalette(palette);
}

}  // namespace

void frmAbout::ShowModal(QWidget* owner)
{
    frmAbout about(owner);
    about.exec();
}

frmAbout::frmAbout(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                         | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(ToQString(layout::kAboutCaption));
    setWindowIcon(corvalen::ProgramIcon());
    setFont(corvalen::ProgramFont(layout::kWindowFont));
    const layout::PixelScale scale = corvalen::LayoutScale(*this);
    setFixedSize(scale.Pixels(layout::kAboutClientWidthTwips), scale.Pixels(layout::kAboutClientHeightTwips));

    cmdOK = new QPushButton(ToQString(layout::AboutControl("cmdOK").text), this);
    Place(*cmdOK, layout::AboutControl("cmdOK"));
    // Enter presses OK as the default button; Esc and the close box reach
    // QDialog::reject, which closes the window just as OK does.
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);

    picIcon = MakeLabel(this, layout::AboutControl("picIcon"));
    picIcon->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    picIcon->setAlignment(Qt::AlignCenter);
    picIcon->setAutoFillBackground(true);
    QPalette iconPalette = picIcon->palette();
    iconPalette.setColor(QPalette::Window, layout::kIconBackground);
    picIcon->setPalette(iconPalette);
    picIcon->setPixmap(corvalen::ProgramPixmap());
    picIcon->setAccessibleName(tr("Corvalen icon"));

    lblVersion = MakeLabel(this, layout::AboutControl("lblVersion"));
    lblTitle = MakeLabel(this, layout::AboutControl("lblTitle"));
    SetTextColourForFace(*lblTitle);
    lblDescription = MakeLabel(this, layout::AboutControl("lblDescription"));
    lblDescription->setWordWrap(true);
    SetTextColourForFace(*lblDescription);

    Form_Load();
    cmdOK->setFocus();
    // Over the owner's centre; QDialog's own placement guesses the frames.
    if (owner)
        corvalen::CentreOnShow(*this, [owner] { return corvalen::FrameGeometry(*owner).center(); });
}

void frmAbout::Form_Load()
{
    lblVersion->setText(tr("Version %1.%2.%3").arg(corvalen::version::kMajor).arg(corvalen::version::kMinor).arg(corvalen::version::kPatch));
}

void frmAbout::cmdOK_Click()
{
    accept();
}

void frmAbout::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    const layout::PixelScale scale = corvalen::LayoutScale(*this);
    QPainter painter(this);
    for (const layout::RuleLine& rule : layout::kAboutRule) {
        // A wide line grows downwards from its position, as the white half of
        // the rule must not cover the grey half above it.
        const QLine line = scale.Pixels(rule.line);
        painter.fillRect(QRect(line.p1(), QPoint(line.x2(), line.y1() + scale.Pixels(rule.widthTwips) - 1)), rule.colour);
    }
}
