// SPDX-License-Identifier: MIT
// The window left to its default takes the decimal mark of the user's locale,
// as set in the environment (LC_ALL, LC_NUMERIC, LANG) the test runs in.

#include "frmmain.h"
#include "gui_test_support.h"

#include <QClipboard>

using namespace gui_test;

class TestSystemLocale : public QObject {
    Q_OBJECT

private slots:
    void defaultWindowUsesTheEnvironmentsMark();
};

void TestSystemLocale::defaultWindowUsesTheEnvironmentsMark()
{
    const QString mark = QStringLiteral(EXPECTED_DECIMAL_MARK);

    frmMain window;
    QCOMPARE(Text(window, "lblVSWR1"), QStringLiteral("1") + mark + QStringLiteral("00"));
    Bar(window, "hsVSWR1")->setValue(150);
    Bar(window, "hsVSWR2")->setValue(200);
    QGuiApplication::clipboard()->clear();
    Click(window, "cmdCopy");
    const QStringList lines = QGuiApplication::clipboard()->text().split(QStringLiteral("\r\n"));
    QCOMPARE(lines.value(0), QStringLiteral("VSWR 1 (Source) = 1%1%2  Return Loss = 13%1%3 dB").arg(mark, QStringLiteral("50"), QStringLiteral("98")));
    QCOMPARE(lines.value(10), QStringLiteral("Minus Uncertainty = -0%1%2 dB").arg(mark, QStringLiteral("599")));
}

QTEST_MAIN(TestSystemLocale)
#include "tst_system_locale.moc"
