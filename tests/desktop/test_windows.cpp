// SPDX-License-Identifier: MIT
// Both windows as a desktop shows them: laid out at the screen's logical DPI
// (QT_FONT_DPI), readable in a dark colour scheme, and driven through a whole
// session on whatever platform runs the test (Wayland included).
#include "about/frmabout.h"
#include "mainwindow/frmmain.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QStyleOptionButton>
#include <QTimer>
#include <QtTest>

namespace {

// Labels and buttons whose text, in the control's own font and word wrap,
// does not fit the room the control gives it.
QStringList ClippedTexts(const QWidget& window)
{
    QStringList clipped;
    const auto check = [&](const QWidget& control, const QRect& room, int flags, const QString& text) {
        const QFontMetrics metrics = control.fontMetrics();
        QRect ink = metrics.boundingRect(room, flags, text);
        // Upright, only the glyphs' ink must fit, not the whole ascent and descent of the line.
        const QRect glyphs = metrics.tightBoundingRect(text);
        ink.adjust(0, metrics.ascent() + glyphs.top(), 0, glyphs.bottom() - metrics.descent());
        if (!room.contains(ink))
            clipped << control.objectName() + QStringLiteral(": ") + text;
    };
    for (const QLabel* label : window.findChildren<QLabel*>()) {
        if (!label->text().isEmpty())
            check(*label, label->contentsRect(), int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0), label->text());
    }
    for (const QPushButton* button : window.findChildren<QPushButton*>()) {
        QStyleOptionButton option;
        option.initFrom(button);
        check(*button, button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button), Qt::AlignCenter, button->text());
    }
    return clipped;
}

}  // namespace

class TestWindows : public QObject {
    Q_OBJECT

private slots:
    void layoutFollowsLogicalDpi();
};

void TestWindows::layoutFollowsLogicalDpi()
{
    struct Expected { int dpi; QSize main; QSize about; };
    const Expected sizes[] = {{96, {471, 282}, {377, 207}}, {120, {589, 353}, {471, 259}}, {144, {707, 423}, {566, 311}}};
    frmMain window(QLocale::c());
    frmMain german(QLocale(QLocale::German));
    frmAbout about(&window);
    const auto expected = std::find_if(std::begin(sizes), std::end(sizes), [&](const Expected& e) { return e.dpi == window.logicalDpiY(); });
    QVERIFY2(expected != std::end(sizes), "run with QT_ENABLE_HIGHDPI_SCALING=0 and QT_FONT_DPI=96, 120 or 144");
    QCOMPARE(window.size(), expected->main);
    QCOMPARE(about.size(), expected->about);
    QVERIFY2(ClippedTexts(about).isEmpty(), qPrintable(ClippedTexts(about).join(QStringLiteral("; "))));
    // Bar positions whose texts are among the widest each label shows.
    const std::pair<int, int> positions[] = {{100, 100}, {100, 500}, {500, 100}, {500, 500}, {188, 499}, {101, 288}};
    for (frmMain* shown : {&window, &german}) {
        for (const auto& [source, load] : positions) {
            shown->findChild<QScrollBar*>(QStringLiteral("hsVSWR1"))->setValue(source);
            shown->findChild<QScrollBar*>(QStringLiteral("hsVSWR2"))->setValue(load);
            QVERIFY2(ClippedTexts(*shown).isEmpty(), qPrintable(ClippedTexts(*shown).join(QStringLiteral("; "))));
        }
    }
}

QTEST_MAIN(TestWindows)
#include "test_windows.moc"
