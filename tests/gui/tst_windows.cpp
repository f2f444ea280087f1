// SPDX-License-Identifier: MIT
// Both windows as a user meets them: keys, drags, focus, the copied report,
// a missing clipboard, size and room for every text at the screen's logical
// DPI, assistive technology, About.

#include "about/frmabout.h"
#include "calc/report.h"
#include "mainwindow/frmmain.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTest>
#include <QTimer>

#include <set>

using namespace Qt::Literals::StringLiterals;
using namespace corvalen;

namespace {

template <typename T = QLabel>
T* Child(const QWidget& window, std::string_view name)
{
    T* child = window.findChild<T*>(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
    if (!child)
        qFatal("no control named %s", name.data());
    return child;
}

QString Text(const QWidget& window, std::string_view label) { return Child(window, label)->text(); }
void Click(const QWidget& window, std::string_view button) { QTest::mouseClick(Child<QPushButton>(window, button), Qt::LeftButton); }

// The label shows the text whole: wrapped lines stay inside it; a single
// line's advance and ink, placed where the style puts them, too.
bool Fits(const QLabel& label, const QString& text)
{
    const QFontMetrics metrics(label.font());
    const QRect room = label.contentsRect();
    if (label.wordWrap())
        return room.contains(metrics.boundingRect(room, int(label.alignment()) | Qt::TextWordWrap, text));
    const QRect line = label.style()->itemTextRect(metrics, room, int(label.alignment()), true, text);
    const QRect ink = metrics.tightBoundingRect(text).translated(line.left(), line.top() + metrics.ascent());
    return metrics.horizontalAdvance(text) <= room.width() && room.contains(ink);
}

// Runs `whileOpen` on the modal window that `open` shows, then closes it.
void WithModal(const std::function<void()>& open, const std::function<void(QWidget&)>& whileOpen)
{
    QTimer::singleShot(0, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        QVERIFY2(modal, "no modal window opened");
        whileOpen(*modal);
        modal->close();
    });
    open();
}

class frmMainWithoutClipboard : public frmMain {
protected:
    QClipboard* Clipboard() const override { return nullptr; }
};

}  // namespace

class TestWindows : public QObject {
    Q_OBJECT

private slots:

    void startsAtOneWithFocusOnTheSourceBar()
    {
        frmMain window(QLocale::c());
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        const OutputTexts start = ComputeOutputTexts(100, 100);
        for (const OutputLabel& label : kOutputLabels)
            QCOMPARE(Text(window, label.name), QString::fromStdString(start.*label.text));

        QStringList focus{QApplication::focusWidget()->objectName()};
        for (int i = 0; i < 5; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            focus << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(focus, (QStringList{u"hsVSWR1"_s, u"hsVSWR2"_s, u"cmdCopy"_s, u"cmdQuit"_s, u"cmdAbout"_s, u"hsVSWR1"_s}));
    }

    void keysStep_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("readout");
        QTest::addColumn<bool>("rightToLeft");  // the desktop's direction, as under an Arabic or Hebrew locale
        QTest::newRow("Right raises") << 150 << int(Qt::Key_Right) << u"1.51"_s << false;
        QTest::newRow("Right raises on a right-to-left desktop") << 150 << int(Qt::Key_Right) << u"1.51"_s << true;
        QTest::newRow("Up raises") << 150 << int(Qt::Key_Up) << u"1.51"_s << false;
        QTest::newRow("Left lowers") << 150 << int(Qt::Key_Left) << u"1.49"_s << false;
        QTest::newRow("Down lowers") << 150 << int(Qt::Key_Down) << u"1.49"_s << false;
        QTest::newRow("Page Up raises by ten") << 150 << int(Qt::Key_PageUp) << u"1.60"_s << false;
        QTest::newRow("Page Down lowers by ten") << 150 << int(Qt::Key_PageDown) << u"1.40"_s << false;
        QTest::newRow("Home goes to 1.00") << 237 << int(Qt::Key_Home) << u"1.00"_s << false;
        QTest::newRow("End goes to 5.00") << 237 << int(Qt::Key_End) << u"5.00"_s << false;
    }

    void keysStep()
    {
        QFETCH(int, start);
        QFETCH(int, key);
        QFETCH(bool, rightToLeft);
        QGuiApplication::setLayoutDirection(rightToLeft ? Qt::RightToLeft : Qt::LeftToRight);
        frmMain window(QLocale::c());
        for (const auto& [bar, readout] : {std::pair{"hsVSWR1", "lblVSWR1"}, std::pair{"hsVSWR2", "lblVSWR2"}}) {
            Child<QScrollBar>(window, bar)->setValue(start);
            QTest::keyClick(Child<QScrollBar>(window, bar), static_cast<Qt::Key>(key));
            QTEST(Text(window, readout), "readout");
        }
    }

    void dragChangesNothingUntilRelease()
    {
        frmMain window(QLocale::c());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* bar = Child<QScrollBar>(window, "hsVSWR1");
        // At 1.00 the thumb starts right of the left arrow, which is as wide as the bar is high.
        const QPoint grab(bar->height() + 4, bar->height() / 2);
        const QPoint drop = grab + QPoint(60, 0);
        QTest::mousePress(bar, Qt::LeftButton, Qt::NoModifier, grab);
        QMouseEvent move(QEvent::MouseMove, drop, bar->mapToGlobal(drop), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(bar, &move);
        QVERIFY2(bar->sliderPosition() > 100, "the thumb did not follow the drag");
        QCOMPARE(Text(window, "lblVSWR1"), u"1.00"_s);
        QCOMPARE(Text(window, "lblMaxVSWR"), u"Maximum VSWR = 1.00"_s);

        QTest::mouseRelease(bar, Qt::LeftButton, Qt::NoModifier, drop);
        const QString readout = Text(window, "lblVSWR1");
        QVERIFY(readout != u"1.00"_s);
        QCOMPARE(Text(window, "lblMaxVSWR"), u"Maximum VSWR = "_s + readout);
    }

    void reportAfterMoves_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QList<int>>("moves");  // source, load, source, ... positions in turn
        QTest::newRow("1.50 and 2.00, decimal comma") << QLocale(QLocale::German) << QList<int>{150, 200};
        QTest::newRow("back to 1.00 and 1.00") << QLocale::c() << QList<int>{101, 137, 100, 100};
        QTest::newRow("source back to 1.00") << QLocale::c() << QList<int>{250, 333, 100, 333};
    }

    void reportAfterMoves()
    {
        QFETCH(QLocale, locale);
        QFETCH(QList<int>, moves);
        frmMain window(locale);
        for (qsizetype i = 0; i < moves.size(); ++i)
            Child<QScrollBar>(window, i % 2 == 0 ? "hsVSWR1" : "hsVSWR2")->setValue(moves[i]);
        QGuiApplication::clipboard()->setText(u"older"_s);
        Click(window, "cmdCopy");
        const auto bar1 = static_cast<BarValue>(moves[moves.size() - 2]);
        const auto bar2 = static_cast<BarValue>(moves.back());
        const std::string expected = BuildReport(ComputeOutputTexts(bar1, bar2, locale.decimalPoint().toStdString()));
        QCOMPARE(QGuiApplication::clipboard()->text(), QString::fromStdString(expected));
    }

    void missingClipboardIsReported()
    {
        frmMainWithoutClipboard window;
        QString message;
        WithModal([&] { Click(window, "cmdCopy"); },
                  [&](QWidget& modal) { message = qobject_cast<QMessageBox*>(&modal)->text(); });
        QCOMPARE(message, u"The results could not be copied: no clipboard is available."_s);
    }

    void sizeFollowsLogicalDpi()
    {
        // The twips of the layout tables scale with the logical DPI, as the fonts do.
        const QMap<int, std::pair<QSize, QSize>> sizes{
            {96, {{471, 282}, {377, 207}}}, {120, {{589, 353}, {471, 259}}}, {144, {{707, 423}, {566, 311}}}};
        const frmMain window;
        const frmAbout about;
        QVERIFY2(sizes.contains(window.logicalDpiY()), "run with QT_ENABLE_HIGHDPI_SCALING=0 and QT_FONT_DPI=96, 120 or 144");
        QCOMPARE(window.size(), sizes[window.logicalDpiY()].first);
        QCOMPARE(about.size(), sizes[window.logicalDpiY()].second);
    }

    void everyTextFits_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::newRow("point") << QLocale::c();
        QTest::newRow("comma") << QLocale(QLocale::German);
    }

    void everyTextFits()
    {
        QFETCH(QLocale, locale);
        const frmMain window(locale);
        std::set<std::pair<std::string_view, std::string>> shown;  // every text each output label can show
        for (int bar1 = kBarMin; bar1 <= kBarMax; ++bar1) {
            for (int bar2 = kBarMin; bar2 <= kBarMax; ++bar2) {
                const OutputTexts texts = ComputeOutputTexts(static_cast<BarValue>(bar1), static_cast<BarValue>(bar2),
                                                             locale.decimalPoint().toStdString());
                for (const OutputLabel& label : kOutputLabels)
                    shown.emplace(label.name, texts.*label.text);
            }
        }
        for (const auto& [name, text] : shown)
            QVERIFY2(Fits(*Child(window, name), QString::fromStdString(text)), text.c_str());

        const frmAbout about;
        for (const QWidget* w : std::initializer_list<const QWidget*>{&window, &about}) {
            for (const QLabel* label : w->findChildren<QLabel*>())
                QVERIFY2(label->text().isEmpty() || Fits(*label, label->text()), qPrintable(label->objectName()));
            for (const QPushButton* button : w->findChildren<QPushButton*>())
                QVERIFY2(button->sizeHint().width() <= button->width(), qPrintable(button->objectName()));
        }
    }

    void assistiveTechnology()
    {
        frmMain window(QLocale::c());
        QAccessibleInterface* bar = QAccessible::queryAccessibleInterface(Child<QScrollBar>(window, "hsVSWR2"));
        QCOMPARE(bar->text(QAccessible::Name), u"VSWR 2 (Load)"_s);
        bar->valueInterface()->setCurrentValue(2.5);
        QCOMPARE(bar->text(QAccessible::Value), u"2.50"_s);
        QCOMPARE(bar->valueInterface()->currentValue().toDouble(), 2.5);
        QCOMPARE(Text(window, "lblVSWR2"), u"2.50"_s);

        QAccessibleInterface* copy = QAccessible::queryAccessibleInterface(Child<QPushButton>(window, "cmdCopy"));
        QCOMPARE(copy->text(QAccessible::Name), u"Copy To Clipboard"_s);
        QCOMPARE(copy->text(QAccessible::Description), u"Copies the data to the clipboard"_s);
        QAccessibleInterface* loss = QAccessible::queryAccessibleInterface(Child(window, "lblRL2"));
        QCOMPARE(loss->text(QAccessible::Name), u"Return Loss = 7.36 dB"_s);
    }

    void aboutShowsTheVersion()
    {
        frmMain window;
        for (int opening = 0; opening < 2; ++opening) {
            QString version;
            WithModal([&] { Click(window, "cmdAbout"); }, [&](QWidget& about) { version = Text(about, "lblVersion"); });
            QCOMPARE(version, u"Version " CORVALEN_EXPECTED_VERSION ""_s);
        }
    }
};

QTEST_MAIN(TestWindows)
#include "tst_windows.moc"
