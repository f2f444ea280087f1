// SPDX-License-Identifier: MIT
// What assistive technology reads from the main window, through QAccessible.

#include "frmmain.h"
#include "gui_test_support.h"

#include <QAccessible>
#include <QAccessibleValueInterface>

using namespace gui_test;

class TestAccessibility : public QObject {
    Q_OBJECT

private slots:
    void barsAnnounceSideAndVswr_data();
    void barsAnnounceSideAndVswr();
    void barTakesVswrFromAssistiveTechnology();
    void outputLabelsReadTheirWholeText();
    void buttonsShowAndReadCaptionAndToolTip_data();
    void buttonsShowAndReadCaptionAndToolTip();
    void everyFocusableControlIsNamed();
};

namespace {

QAccessibleInterface* Accessible(QWidget* widget)
{
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
    if (!accessible)
        qFatal("no accessible interface for %s", qPrintable(widget->objectName()));
    return accessible;
}

}  // namespace

void TestAccessibility::barsAnnounceSideAndVswr_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("bar");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("valueText");
    QTest::addColumn<double>("value");

    QTest::newRow("source at start") << QLocale::c() << "hsVSWR1" << "VSWR 1 (Source)" << 100 << "1.00" << 1.0;
    QTest::newRow("source moved") << QLocale::c() << "hsVSWR1" << "VSWR 1 (Source)" << 150 << "1.50" << 1.5;
    QTest::newRow("load moved") << QLocale::c() << "hsVSWR2" << "VSWR 2 (Load)" << 263 << "2.63" << 2.63;
    QTest::newRow("load at the top") << QLocale::c() << "hsVSWR2" << "VSWR 2 (Load)" << 500 << "5.00" << 5.0;
    QTest::newRow("source, comma mark") << QLocale(QLocale::German) << "hsVSWR1" << "VSWR 1 (Source)" << 150 << "1,50" << 1.5;
}

void TestAccessibility::barsAnnounceSideAndVswr()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, bar);
    QFETCH(QString, name);
    QFETCH(int, position);
    QFETCH(QString, valueText);
    QFETCH(double, value);

    frmMain window(locale);
    QScrollBar* scrollBar = Bar(window, bar.toLatin1().constData());
    scrollBar->setValue(position);

    QAccessibleInterface* accessible = Accessible(scrollBar);
    QCOMPARE(accessible->text(QAccessible::Name), name);
    QCOMPARE(accessible->text(QAccessible::Value), valueText);
    QVERIFY(!accessible->text(QAccessible::Description).isEmpty());
    QAccessibleValueInterface* values = accessible->valueInterface();
    QVERIFY(values);
    QCOMPARE(values->currentValue().toDouble(), value);
    QCOMPARE(values->minimumValue().toDouble(), 1.0);
    QCOMPARE(values->maximumValue().toDouble(), 5.0);
    QCOMPARE(values->minimumStepSize().toDouble(), 0.01);
}

void TestAccessibility::barTakesVswrFromAssistiveTechnology()
{
    frmMain window(QLocale::c());
    QAccessibleValueInterface* values = Accessible(Bar(window, "hsVSWR2"))->valueInterface();
    QVERIFY(values);

    values->setCurrentValue(2.37);
    QCOMPARE(Bar(window, "hsVSWR2")->value(), 237);
    QCOMPARE(Text(window, "lblVSWR2"), QStringLiteral("2.37"));  // the change was handled

    values->setCurrentValue(9.0);
    QCOMPARE(Bar(window, "hsVSWR2")->value(), 500);
}

void TestAccessibility::outputLabelsReadTheirWholeText()
{
    frmMain window(QLocale::c());
    Bar(window, "hsVSWR1")->setValue(150);
    Bar(window, "hsVSWR2")->setValue(200);

    for (const auto& label : kOutputLabels) {
        QAccessibleInterface* accessible = Accessible(Child<QLabel>(window, label.name));
        QCOMPARE(accessible->text(QAccessible::Name), Text(window, label.name));
    }
    QCOMPARE(Accessible(Child<QLabel>(window, "lblRL1"))->text(QAccessible::Name), QStringLiteral("Return Loss = 13.98 dB"));
    // The big readouts show a bare number; the description says whose.
    QCOMPARE(Accessible(Child<QLabel>(window, "lblVSWR1"))->text(QAccessible::Description), QStringLiteral("VSWR 1 (Source)"));
    QCOMPARE(Accessible(Child<QLabel>(window, "lblVSWR2"))->text(QAccessible::Description), QStringLiteral("VSWR 2 (Load)"));
}

void TestAccessibility::buttonsShowAndReadCaptionAndToolTip_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("description");

    QTest::newRow("copy") << "cmdCopy" << "Copy To Clipboard" << "Copies the data to the clipboard";
    QTest::newRow("quit") << "cmdQuit" << "Quit" << "Exit application";
    QTest::newRow("about") << "cmdAbout" << "About Corvalen" << "About Corvalen";
}

void TestAccessibility::buttonsShowAndReadCaptionAndToolTip()
{
    QFETCH(QString, button);
    QFETCH(QString, name);
    QFETCH(QString, description);

    frmMain window(QLocale::c());
    auto* push = Child<QPushButton>(window, button.toLatin1().constData());
    QCOMPARE(push->text(), name);
    QCOMPARE(push->toolTip(), description);
    QAccessibleInterface* accessible = Accessible(push);
    QCOMPARE(accessible->role(), QAccessible::Button);
    QCOMPARE(accessible->text(QAccessible::Name), name);
    QCOMPARE(accessible->text(QAccessible::Description), description);
}

void TestAccessibility::everyFocusableControlIsNamed()
{
    frmMain window(QLocale::c());
    QCOMPARE(Accessible(&window)->text(QAccessible::Name), QStringLiteral("Corvalen"));
    for (QWidget* child : window.findChildren<QWidget*>()) {
        if (child->focusPolicy() != Qt::NoFocus)
            QVERIFY2(!Accessible(child)->text(QAccessible::Name).isEmpty(), qPrintable(child->objectName()));
    }
}

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
