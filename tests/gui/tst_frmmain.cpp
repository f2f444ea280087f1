// SPDX-License-Identifier: MIT
// The main window as a user meets it: start state, bar moves, keys, mouse,
// focus, the clipboard report, and room for every text it can show.

#include "frmmain.h"
#include "gui_test_support.h"

#include "report.h"
#include "result_texts.h"

#include <QClipboard>
#include <QFontInfo>
#include <QFontMetrics>
#include <QMessageBox>
#include <QMimeData>
#include <QStyleOptionSlider>

#include <map>
#include <set>

using namespace gui_test;

namespace {

const QLocale kPointLocale = QLocale::c();
const QLocale kCommaLocale(QLocale::German, QLocale::Germany);

// The report the calculation library builds for a pair; its bytes are checked
// there, so here it stands for "exactly what the labels of that pair read".
QByteArray ExpectedReport(int bar1, int bar2, const QLocale& locale)
{
    const auto texts = corvalen::ComputeOutputTexts(static_cast<corvalen::BarValue>(bar1),
                                                    static_cast<corvalen::BarValue>(bar2),
                                                    locale.decimalPoint().toStdString());
    return QByteArray::fromStdString(corvalen::BuildReport(texts));
}

// A window whose clipboard cannot be reached.
class frmMainWithoutClipboard : public frmMain {
public:
    using frmMain::frmMain;

protected:
    QClipboard* Clipboard() const override { return nullptr; }
};

QStyleOptionSlider StyleOption(const QScrollBar& bar)
{
    QStyleOptionSlider option;
    option.initFrom(&bar);
    option.subControls = QStyle::SC_All;
    option.orientation = bar.orientation();
    option.minimum = bar.minimum();
    option.maximum = bar.maximum();
    option.sliderPosition = bar.sliderPosition();
    option.sliderValue = bar.value();
    option.singleStep = bar.singleStep();
    option.pageStep = bar.pageStep();
    option.upsideDown = bar.invertedAppearance();
    if (bar.orientation() == Qt::Horizontal)
        option.state |= QStyle::State_Horizontal;
    return option;
}

QRect SubControl(const QScrollBar& bar, QStyle::SubControl part)
{
    const QStyleOptionSlider option = StyleOption(bar);
    return bar.style()->subControlRect(QStyle::CC_ScrollBar, &option, part, &bar);
}

// Whether the label can show the text whole: its advance and its ink, placed
// where the label's style puts it, stay inside the label.
bool InkFits(const QLabel& label, const QString& text)
{
    const QFontMetrics metrics(label.font());
    const QRect room = label.contentsRect();
    const QRect line = label.style()->itemTextRect(metrics, room, int(label.alignment()), true, text);
    const QRect ink = metrics.tightBoundingRect(text).translated(line.left(), line.top() + metrics.ascent());
    return metrics.horizontalAdvance(text) <= room.width() && room.contains(ink);
}

QString ClipboardText()
{
    return QGuiApplication::clipboard()->text(QClipboard::Clipboard);
}

}  // namespace

class TestFrmMain : public QObject {
    Q_OBJECT

private slots:
    void startState_data();
    void startState();
    void barMoveRewritesOnlyItsLabels_data();
    void barMoveRewritesOnlyItsLabels();
    void reportAfterMoves_data();
    void reportAfterMoves();
    void copyReplacesClipboardAndRepeats();
    void missingClipboardIsReportedAndSurvived();
    void keysStep_data();
    void keysStep();
    void mouseSteps_data();
    void mouseSteps();
    void dragChangesNothingUntilRelease();
    void focusStartsOnSourceBarAndTabsInOrder();
    void fixedWindow();
    void everyTextFitsItsLabel_data();
    void everyTextFitsItsLabel();
    void fixedTextsFit();
};

void TestFrmMain::startState_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QStringList>("expected");  // in the order of kOutputLabels

    QTest::newRow("point") << kPointLocale
                           << QStringList{"1.00", "Return Loss > 70 dB", "1.00", "Return Loss > 70 dB",
                                          "Mismatch Loss @ Load = 0.00 dB", "Maximum VSWR = 1.00",
                                          "Combined Return Loss = Infinite", "Plus Uncertainty = 0.000 dB",
                                          "Minus Uncertainty = 0.000 dB", "Gamma 1 = 0.000", "Gamma 2 = 0.000"};
    QTest::newRow("comma") << kCommaLocale
                           << QStringList{"1,00", "Return Loss > 70 dB", "1,00", "Return Loss > 70 dB",
                                          "Mismatch Loss @ Load = 0,00 dB", "Maximum VSWR = 1,00",
                                          "Combined Return Loss = Infinite", "Plus Uncertainty = 0,000 dB",
                                          "Minus Uncertainty = 0,000 dB", "Gamma 1 = 0,000", "Gamma 2 = 0,000"};
}

void TestFrmMain::startState()
{
    QFETCH(QLocale, locale);
    QFETCH(QStringList, expected);

    // Checked before the window is ever shown: no placeholder may survive loading.
    const frmMain window(locale);
    for (std::size_t i = 0; i < kOutputLabels.size(); ++i)
        QCOMPARE(Text(window, kOutputLabels[i].name), expected[static_cast<qsizetype>(i)]);
    QCOMPARE(Bar(window, "hsVSWR1")->value(), 100);
    QCOMPARE(Bar(window, "hsVSWR2")->value(), 100);
}

void TestFrmMain::barMoveRewritesOnlyItsLabels_data()
{
    QTest::addColumn<QString>("bar");
    QTest::addColumn<QStringList>("rewritten");

    const QStringList combined{"lblMaxVSWR", "lblTotalReturnLoss", "lblPlusMisMatch",
                               "lblMinusMisMatch", "lblGamma1", "lblGamma2"};
    QTest::newRow("source bar") << "hsVSWR1" << QStringList{"lblRL1", "lblVSWR1"} + combined;
    QTest::newRow("load bar") << "hsVSWR2" << QStringList{"lblRL2", "lblMismatchLoss", "lblVSWR2"} + combined;
}

void TestFrmMain::barMoveRewritesOnlyItsLabels()
{
    QFETCH(QString, bar);
    QFETCH(QStringList, rewritten);

    frmMain window(kPointLocale);
    const QString untouched = QStringLiteral("untouched");
    for (const auto& label : kOutputLabels)
        Child<QLabel>(window, label.name)->setText(untouched);

    Bar(window, bar.toLatin1().constData())->setValue(150);

    for (const auto& label : kOutputLabels) {
        const bool written = Text(window, label.name) != untouched;
        QVERIFY2(written == rewritten.contains(QLatin1String(label.name)), label.name);
    }
}

void TestFrmMain::reportAfterMoves_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QList<int>>("moves");  // bar 1, bar 2, bar 1, ... positions in turn
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("start state") << kPointLocale << QList<int>{} << ExpectedReport(100, 100, kPointLocale);
    QTest::newRow("150/200") << kPointLocale << QList<int>{150, 200} << ExpectedReport(150, 200, kPointLocale);
    QTest::newRow("150/200 with a comma mark")
        << kCommaLocale << QList<int>{150, 200} << ExpectedReport(150, 200, kCommaLocale);
    QTest::newRow("back to 100/100 is infinite again")
        << kPointLocale << QList<int>{101, 137, 100, 100} << ExpectedReport(100, 100, kPointLocale);
    QTest::newRow("source back to 1.00 keeps the load")
        << kPointLocale << QList<int>{250, 333, 100} << ExpectedReport(100, 333, kPointLocale);
}

void TestFrmMain::reportAfterMoves()
{
    QFETCH(QLocale, locale);
    QFETCH(QList<int>, moves);
    QFETCH(QByteArray, expected);

    frmMain window(locale);
    for (qsizetype i = 0; i < moves.size(); ++i)
        Bar(window, i % 2 == 0 ? "hsVSWR1" : "hsVSWR2")->setValue(moves[i]);

    QGuiApplication::clipboard()->clear();
    Click(window, "cmdCopy");
    QCOMPARE(ClipboardText().toUtf8(), expected);
}

void TestFrmMain::copyReplacesClipboardAndRepeats()
{
    frmMain window(kPointLocale);
    Bar(window, "hsVSWR1")->setValue(150);
    Bar(window, "hsVSWR2")->setValue(200);

    auto* previous = new QMimeData;
    previous->setHtml(QStringLiteral("<b>older</b>"));
    previous->setData(QStringLiteral("application/x-older"), "bytes");
    QGuiApplication::clipboard()->setMimeData(previous);

    Click(window, "cmdCopy");
    const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
    QVERIFY(copied);
    QCOMPARE(copied->formats(), QStringList{QStringLiteral("text/plain")});
    const QString first = ClipboardText();
    QCOMPARE(first.toUtf8(), ExpectedReport(150, 200, kPointLocale));

    Click(window, "cmdCopy");
    QCOMPARE(ClipboardText(), first);
}

void TestFrmMain::missingClipboardIsReportedAndSurvived()
{
    frmMainWithoutClipboard window(kPointLocale);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QString message;
    const bool shown = WithModal([&] { Click(window, "cmdCopy"); },
                                 [&](QWidget* modal) {
                                     auto* box = qobject_cast<QMessageBox*>(modal);
                                     if (box) {
                                         message = box->text();
                                         box->accept();
                                     }
                                 });
    QVERIFY2(shown, "no message box about the clipboard");
    QVERIFY(message.contains(QLatin1String("clipboard")));

    // Still working afterwards.
    Bar(window, "hsVSWR1")->setValue(150);
    QCOMPARE(Text(window, "lblVSWR1"), QStringLiteral("1.50"));
}

void TestFrmMain::keysStep_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("expected");
    QTest::addColumn<QString>("readout");

    QTest::newRow("Right raises by one") << 150 << int(Qt::Key_Right) << 151 << "1.51";
    QTest::newRow("Left lowers by one") << 150 << int(Qt::Key_Left) << 149 << "1.49";
    QTest::newRow("Up raises by one") << 150 << int(Qt::Key_Up) << 151 << "1.51";
    QTest::newRow("Down lowers by one") << 150 << int(Qt::Key_Down) << 149 << "1.49";
    QTest::newRow("Page Up raises by ten") << 150 << int(Qt::Key_PageUp) << 160 << "1.60";
    QTest::newRow("Page Down lowers by ten") << 150 << int(Qt::Key_PageDown) << 140 << "1.40";
    QTest::newRow("Home goes to 1.00") << 237 << int(Qt::Key_Home) << 100 << "1.00";
    QTest::newRow("End goes to 5.00") << 237 << int(Qt::Key_End) << 500 << "5.00";
    QTest::newRow("Right stops at 5.00") << 500 << int(Qt::Key_Right) << 500 << "5.00";
    QTest::newRow("Left stops at 1.00") << 100 << int(Qt::Key_Left) << 100 << "1.00";
    QTest::newRow("Page Down stops at 1.00") << 105 << int(Qt::Key_PageDown) << 100 << "1.00";
}

void TestFrmMain::keysStep()
{
    QFETCH(int, start);
    QFETCH(int, key);
    QFETCH(int, expected);
    QFETCH(QString, readout);

    for (const char* bar : {"hsVSWR1", "hsVSWR2"}) {
        frmMain window(kPointLocale);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QScrollBar* scrollBar = Bar(window, bar);
        scrollBar->setValue(start);
        scrollBar->setFocus();
        QTest::keyClick(scrollBar, static_cast<Qt::Key>(key));
        QCOMPARE(scrollBar->value(), expected);
        QCOMPARE(Text(window, bar == QLatin1String("hsVSWR1") ? "lblVSWR1" : "lblVSWR2"), readout);
    }
}

void TestFrmMain::mouseSteps_data()
{
    QTest::addColumn<int>("part");
    QTest::addColumn<int>("expected");
    QTest::addColumn<QString>("readout");

    QTest::newRow("right arrow") << int(QStyle::SC_ScrollBarAddLine) << 301 << "3.01";
    QTest::newRow("left arrow") << int(QStyle::SC_ScrollBarSubLine) << 299 << "2.99";
    QTest::newRow("trough right of the thumb") << int(QStyle::SC_ScrollBarAddPage) << 310 << "3.10";
    QTest::newRow("trough left of the thumb") << int(QStyle::SC_ScrollBarSubPage) << 290 << "2.90";
}

void TestFrmMain::mouseSteps()
{
    QFETCH(int, part);
    QFETCH(int, expected);
    QFETCH(QString, readout);

    frmMain window(kPointLocale);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QScrollBar* bar = Bar(window, "hsVSWR2");
    bar->setValue(300);

    const QRect target = SubControl(*bar, static_cast<QStyle::SubControl>(part));
    QVERIFY(!target.isEmpty());
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, target.center());
    QCOMPARE(bar->value(), expected);
    QCOMPARE(Text(window, "lblVSWR2"), readout);
}

void TestFrmMain::dragChangesNothingUntilRelease()
{
    frmMain window(kPointLocale);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QScrollBar* bar = Bar(window, "hsVSWR1");

    const QPoint grab = SubControl(*bar, QStyle::SC_ScrollBarSlider).center();
    const QPoint drop = grab + QPoint(60, 0);
    QTest::mousePress(bar, Qt::LeftButton, Qt::NoModifier, grab);
    QMouseEvent move(QEvent::MouseMove, drop, bar->mapToGlobal(drop), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(bar, &move);

    QVERIFY2(bar->sliderPosition() > 100, "the thumb did not follow the drag");
    QCOMPARE(bar->value(), 100);
    QCOMPARE(Text(window, "lblVSWR1"), QStringLiteral("1.00"));
    QCOMPARE(Text(window, "lblMaxVSWR"), QStringLiteral("Maximum VSWR = 1.00"));

    QTest::mouseRelease(bar, Qt::LeftButton, Qt::NoModifier, drop);
    QVERIFY(bar->value() > 100);
    QCOMPARE(bar->value(), bar->sliderPosition());
    const QString readout = QString::number(bar->value() / 100.0, 'f', 2);
    QCOMPARE(Text(window, "lblVSWR1"), readout);
    QCOMPARE(Text(window, "lblMaxVSWR"), QStringLiteral("Maximum VSWR = ") + readout);
}

void TestFrmMain::focusStartsOnSourceBarAndTabsInOrder()
{
    frmMain window(kPointLocale);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QCOMPARE(QApplication::focusWidget(), Bar(window, "hsVSWR1"));

    QStringList visited;
    for (int i = 0; i < 5; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(visited, (QStringList{"hsVSWR2", "cmdCopy", "cmdQuit", "cmdAbout", "hsVSWR1"}));

    for (QLabel* label : window.findChildren<QLabel*>())
        QVERIFY2(label->focusPolicy() == Qt::NoFocus, qPrintable(label->objectName()));
}

void TestFrmMain::fixedWindow()
{
    const frmMain window(kPointLocale);
    QCOMPARE(window.windowTitle(), QStringLiteral("Corvalen"));
    QCOMPARE(window.size(), QSize(471, 282));
    QCOMPARE(window.minimumSize(), window.maximumSize());
    QVERIFY(!(window.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(window.windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(!window.windowIcon().isNull());

    // Every control sits inside the client area.
    for (const QWidget* child : window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        QVERIFY2(window.rect().contains(child->geometry()), qPrintable(child->objectName()));
}

void TestFrmMain::everyTextFitsItsLabel_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::newRow("point") << kPointLocale;
    QTest::newRow("comma") << kCommaLocale;
}

void TestFrmMain::everyTextFitsItsLabel()
{
    QFETCH(QLocale, locale);
    const std::string mark = locale.decimalPoint().toStdString();

    // Every text each output label can show, over all 401 x 401 bar pairs.
    std::map<std::string, std::set<std::string>> texts;
    for (int bar1 = corvalen::kBarMin; bar1 <= corvalen::kBarMax; ++bar1) {
        for (int bar2 = corvalen::kBarMin; bar2 <= corvalen::kBarMax; ++bar2) {
            const corvalen::OutputTexts t = corvalen::ComputeOutputTexts(static_cast<corvalen::BarValue>(bar1),
                                                                         static_cast<corvalen::BarValue>(bar2), mark);
            for (const auto& label : kOutputLabels)
                texts[label.name].insert(t.*label.text);
        }
    }
    QCOMPARE(texts.size(), kOutputLabels.size());

    const frmMain window(locale);
    for (const auto& [name, shown] : texts) {
        const QLabel* label = Child<QLabel>(window, name.c_str());
        QCOMPARE(QFontInfo(label->font()).family(), QStringLiteral("Liberation Sans"));
        const QRect room = label->contentsRect();
        for (const std::string& text : shown) {
            const QString q = QString::fromStdString(text);
            const QString where = QStringLiteral("%1: '%2' in %3 x %4 px").arg(name.c_str(), q).arg(room.width()).arg(room.height());
            QVERIFY2(InkFits(*label, q), qPrintable(where));
        }
    }
}

void TestFrmMain::fixedTextsFit()
{
    const frmMain window(kPointLocale);
    for (const char* name : {"Label1", "Label2", "Label3"}) {
        const QLabel* label = Child<QLabel>(window, name);
        QVERIFY2(InkFits(*label, label->text()), name);
    }
    for (const char* name : {"cmdCopy", "cmdQuit", "cmdAbout"}) {
        const QPushButton* button = Child<QPushButton>(window, name);
        QVERIFY2(button->sizeHint().width() <= button->width(), name);
        QVERIFY2(button->sizeHint().height() <= button->height(), name);
    }
}

QTEST_MAIN(TestFrmMain)
#include "tst_frmmain.moc"
