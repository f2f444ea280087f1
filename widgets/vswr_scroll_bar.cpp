// SPDX-License-Identifier: MIT
#include "vswr_scroll_bar.h"

#include "calc/mismatch.h"
#include "calc/result_texts.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QAccessibleWidget>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionSlider>

#include <algorithm>
#include <cmath>

namespace {

// Assistive technology works in VSWR, the bar in positions.
using corvalen::kPositionsPerVswr;

class VswrScrollBarAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit VswrScrollBarAccessible(VswrScrollBar* bar)
        : QAccessibleWidget(bar, QAccessible::Slider)
    {
    }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text type) const override
    {
        if (type == QAccessible::Value)
            return bar()->VswrText();
        return QAccessibleWidget::text(type);
    }

    QVariant currentValue() const override { return bar()->value() / kPositionsPerVswr; }
    QVariant maximumValue() const override { return bar()->maximum() / kPositionsPerVswr; }
    QVariant minimumValue() const override { return bar()->minimum() / kPositionsPerVswr; }
    QVariant minimumStepSize() const override { return bar()->singleStep() / kPositionsPerVswr; }

    void setCurrentValue(const QVariant& value) override
    {
        bool ok = false;
        const double vswr = value.toDouble(&ok);
        // The bar clamps to its range; the clamp here only keeps lround within int.
        if (ok && std::isfinite(vswr))
            bar()->setValue(static_cast<int>(std::lround(std::clamp(vswr * kPositionsPerVswr, -1e6, 1e6))));
    }

private:
    VswrScrollBar* bar() const { return static_cast<VswrScrollBar*>(widget()); }
};

// The highlight colour, unless it is too close to the thumb's own colour to be
// seen, as in some dark schemes (qt6ct's "darker": blue on dark grey); then
// the button text colour, which every scheme keeps readable on a button.
QColor FocusOutlineColour(const QPalette& palette)
{
    constexpr float kLeastLightnessDifference = 0.25f;
    const QColor highlight = palette.color(QPalette::Highlight);
    const float difference = std::abs(highlight.lightnessF() - palette.color(QPalette::Button).lightnessF());
    return difference >= kLeastLightnessDifference ? highlight : palette.color(QPalette::ButtonText);
}

QAccessibleInterface* CreateVswrScrollBarAccessible(const QString& className, QObject* object)
{
    if (object && object->isWidgetType() && className == QLatin1String(VswrScrollBar::staticMetaObject.className()))
        return new VswrScrollBarAccessible(static_cast<VswrScrollBar*>(object));
    return nullptr;
}

}  // namespace

VswrScrollBar::VswrScrollBar(QWidget* parent)
    : QScrollBar(Qt::Horizontal, parent)
{
    // Qt keeps one copy of each factory, so every bar may install it.
    QAccessible::installFactory(CreateVswrScrollBarAccessible);

    setRange(corvalen::kBarMin, corvalen::kBarMax);
    setSingleStep(1);
    setPageStep(10);
    // Change handling belongs to completed moves: a dragged thumb reports on release.
    setTracking(false);
    setFocusPolicy(Qt::StrongFocus);
    // QScrollBar inverts its keys for scrolling views (Right lowers the value
    // of a horizontal bar); a VSWR setting rises with Right, Up and Page Up.
    setInvertedControls(false);
}

QString VswrScrollBar::VswrText() const
{
    const auto bar = static_cast<corvalen::BarValue>(value());
    return QString::fromStdString(corvalen::VswrText(corvalen::BarToVswr(bar), locale().decimalPoint().toStdString()));
}

void VswrScrollBar::paintEvent(QPaintEvent* event)
{
    QScrollBar::paintEvent(event);
    if (!hasFocus())
        return;

    // Styles draw no focus mark on scroll bars, which normally never take the
    // focus, and a style's own focus frame can be faint on a thumb; outline
    // the thumb instead.
    QStyleOptionSlider slider;
    initStyleOption(&slider);
    const QRect thumb = style()->subControlRect(QStyle::CC_ScrollBar, &slider, QStyle::SC_ScrollBarSlider, this);
    QPainter painter(this);
    painter.setPen(QPen(FocusOutlineColour(palette()), 1.0));
    painter.setBrush(Qt::NoBrush);
    // Inside the thumb's bevel. A one-pixel pen draws a rectangle one pixel
    // wider and taller than its QRect, hence the extra pixel on the far sides.
    constexpr int kInsetPixels = 2;
    painter.drawRect(thumb.adjusted(kInsetPixels, kInsetPixels, -kInsetPixels - 1, -kInsetPixels - 1));
}
