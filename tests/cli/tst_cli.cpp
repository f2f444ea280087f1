// SPDX-License-Identifier: MIT
// corvalen-cli as a script sees it: exit statuses, streams and bytes.

#include "output_labels.h"
#include "report.h"

#include <QProcess>
#include <QTest>

using namespace corvalen;

namespace {

struct Run {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Run RunCli(const QStringList& arguments, const QStringList& extraEnvironment = {})
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString& assignment : extraEnvironment)
        environment.insert(assignment.section('=', 0, 0), assignment.section('=', 1));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(CORVALEN_CLI_PATH), arguments);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

// One table line: the eleven texts in column order, tab-separated.
QByteArray Row(const OutputTexts& texts)
{
    QByteArrayList columns;
    for (const test_support::OutputLabel& label : test_support::kOutputLabels)
        columns << QByteArray::fromStdString(texts.*label.text);
    return columns.join('\t');
}

// The header names the columns after the labels.
QByteArray Header()
{
    QByteArrayList names;
    for (const test_support::OutputLabel& label : test_support::kOutputLabels)
        names << label.name;
    return names.join('\t');
}

}  // namespace

class TestCli : public QObject {
    Q_OBJECT

private slots:
    void reportAcceptsPlainDecimals_data();
    void reportAcceptsPlainDecimals();
    void reportIgnoresTheLocale();
    void versionAndHelp();
    void tableRangeOrderAndColumns_data();
    void tableRangeOrderAndColumns();
    void fullTableMatchesTheLibrary();
    void badArgumentsAreRefused_data();
    void badArgumentsAreRefused();
    void writeFailureIsReported();
};

void TestCli::reportAcceptsPlainDecimals_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("load");
    QTest::addColumn<int>("bar1");
    QTest::addColumn<int>("bar2");

    QTest::newRow("one decimal") << "1.5" << "2" << 150 << 200;
    QTest::newRow("integers") << "1" << "5" << 100 << 500;
    QTest::newRow("two decimals at the ends") << "1.00" << "5.00" << 100 << 500;
    QTest::newRow("hundredths") << "4.99" << "1.01" << 499 << 101;
    QTest::newRow("leading zero") << "01.37" << "2.63" << 137 << 263;
}

void TestCli::reportAcceptsPlainDecimals()
{
    QFETCH(QString, source);
    QFETCH(QString, load);
    QFETCH(int, bar1);
    QFETCH(int, bar2);

    const Run run = RunCli({"report", source, load});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.err, QByteArray());
    const OutputTexts texts = ComputeOutputTexts(static_cast<BarValue>(bar1), static_cast<BarValue>(bar2));
    QCOMPARE(run.out, QByteArray::fromStdString(BuildReport(texts)));
}

void TestCli::reportIgnoresTheLocale()
{
    const Run plain = RunCli({"report", "1.5", "2"});
    const Run german = RunCli({"report", "1.5", "2"}, {"LC_ALL=de_DE.UTF-8", "LANG=de_DE.UTF-8"});
    QCOMPARE(german.exitCode, 0);
    QCOMPARE(german.out, plain.out);
    QVERIFY(german.out.contains("13.98"));
}

void TestCli::versionAndHelp()
{
    const Run version = RunCli({"--version"});
    QCOMPARE(version.exitCode, 0);
    QCOMPARE(version.out, QByteArray("corvalen-cli " CORVALEN_EXPECTED_VERSION "\n"));
    QCOMPARE(version.err, QByteArray());

    const Run help = RunCli({"--help"});
    QCOMPARE(help.exitCode, 0);
    QVERIFY(help.out.contains("corvalen-cli report SOURCE LOAD"));
    QVERIFY(help.out.contains("corvalen-cli table [--source FROM:TO] [--load FROM:TO]"));
    QCOMPARE(help.err, QByteArray());
}

void TestCli::tableRangeOrderAndColumns_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QList<int>>("pairs");  // bar1, bar2, bar1, bar2, ...

    QTest::newRow("source outer, load inner")
        << QStringList{"table", "--source", "1.5:1.51", "--load", "2:2.01"} << QList<int>{150, 200, 150, 201, 151, 200, 151, 201};
    QTest::newRow("options in either order, with =")
        << QStringList{"table", "--load=2:2", "--source=4.99:5"} << QList<int>{499, 200, 500, 200};
    QTest::newRow("single pair at the start state")
        << QStringList{"table", "--source", "1:1", "--load", "1:1"} << QList<int>{100, 100};
}

void TestCli::tableRangeOrderAndColumns()
{
    QFETCH(QStringList, arguments);
    QFETCH(QList<int>, pairs);

    const Run run = RunCli(arguments);
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.err, QByteArray());

    QByteArray expected = Header() + '\n';
    for (qsizetype i = 0; i < pairs.size(); i += 2)
        expected += Row(ComputeOutputTexts(static_cast<BarValue>(pairs[i]), static_cast<BarValue>(pairs[i + 1]))) + '\n';
    QCOMPARE(run.out, expected);
}

void TestCli::fullTableMatchesTheLibrary()
{
    const Run run = RunCli({"table"});
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.out.endsWith('\n'));
    const QByteArrayList lines = run.out.chopped(1).split('\n');
    QCOMPARE(lines.size(), 1 + 401 * 401);
    QCOMPARE(lines.front(), Header());

    qsizetype line = 1;
    for (int bar1 = kBarMin; bar1 <= kBarMax; ++bar1) {
        for (int bar2 = kBarMin; bar2 <= kBarMax; ++bar2, ++line) {
            const QByteArray expected = Row(ComputeOutputTexts(static_cast<BarValue>(bar1), static_cast<BarValue>(bar2)));
            if (lines[line] != expected)
                QFAIL(qPrintable(QString("row %1/%2: '%3'").arg(bar1).arg(bar2).arg(QString::fromUtf8(lines[line]))));
        }
    }
}

void TestCli::badArgumentsAreRefused_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("named");  // the argument the message must name

    QTest::newRow("no command") << QStringList{} << QByteArray("command");
    QTest::newRow("unknown command") << QStringList{"plot"} << QByteArray("'plot'");
    QTest::newRow("unknown option") << QStringList{"--verbose"} << QByteArray("'--verbose'");
    QTest::newRow("missing load") << QStringList{"report", "1.5"} << QByteArray("LOAD");
    QTest::newRow("missing both") << QStringList{"report"} << QByteArray("SOURCE");
    QTest::newRow("extra argument") << QStringList{"report", "1.5", "2", "3"} << QByteArray("'3'");
    QTest::newRow("below range") << QStringList{"report", "0.99", "2"} << QByteArray("SOURCE '0.99'");
    QTest::newRow("above range") << QStringList{"report", "1.5", "5.01"} << QByteArray("LOAD '5.01'");
    QTest::newRow("three decimals") << QStringList{"report", "1.505", "2"} << QByteArray("SOURCE '1.505'");
    QTest::newRow("three zero decimals") << QStringList{"report", "1.500", "2"} << QByteArray("SOURCE '1.500'");
    QTest::newRow("not a number") << QStringList{"report", "abc", "2"} << QByteArray("SOURCE 'abc'");
    QTest::newRow("nan") << QStringList{"report", "nan", "2"} << QByteArray("SOURCE 'nan'");
    QTest::newRow("inf") << QStringList{"report", "1.5", "inf"} << QByteArray("LOAD 'inf'");
    QTest::newRow("exponent") << QStringList{"report", "2e0", "2"} << QByteArray("SOURCE '2e0'");
    QTest::newRow("comma") << QStringList{"report", "1,5", "2"} << QByteArray("SOURCE '1,5'");
    QTest::newRow("empty") << QStringList{"report", "", "2"} << QByteArray("SOURCE ''");
    QTest::newRow("sign") << QStringList{"report", "+1.5", "2"} << QByteArray("SOURCE '+1.5'");
    QTest::newRow("blank around") << QStringList{"report", " 1.5", "2"} << QByteArray("SOURCE ' 1.5'");
    QTest::newRow("huge") << QStringList{"report", "99999999999999999999", "2"} << QByteArray("SOURCE");
    QTest::newRow("range reversed") << QStringList{"table", "--source", "3:2"} << QByteArray("--source '3:2'");
    QTest::newRow("range without colon") << QStringList{"table", "--load", "2"} << QByteArray("--load '2'");
    QTest::newRow("range missing") << QStringList{"table", "--source"} << QByteArray("--source");
    QTest::newRow("range out of bounds") << QStringList{"table", "--load", "0.5:2"} << QByteArray("--load '0.5:2'");
    QTest::newRow("option twice") << QStringList{"table", "--load", "1:2", "--load", "1:3"} << QByteArray("--load");
    QTest::newRow("unknown table option") << QStringList{"table", "--step", "2"} << QByteArray("'--step'");
    QTest::newRow("version with extra") << QStringList{"--version", "x"} << QByteArray("'x'");
}

void TestCli::badArgumentsAreRefused()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, named);

    const Run run = RunCli(arguments);
    QCOMPARE(run.exitCode, 2);
    QCOMPARE(run.out, QByteArray());
    QVERIFY2(run.err.startsWith("corvalen-cli: ") && run.err.endsWith('\n') && run.err.count('\n') == 1, run.err);
    QVERIFY2(run.err.contains(named), run.err);
}

void TestCli::writeFailureIsReported()
{
    QProcess process;
    process.setStandardOutputFile(QStringLiteral("/dev/full"));
    process.start(QStringLiteral(CORVALEN_CLI_PATH), {"report", "1.5", "2"});
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitCode(), 1);
    QVERIFY(process.readAllStandardError().contains("cannot write"));
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
