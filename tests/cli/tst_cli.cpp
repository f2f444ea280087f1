// SPDX-License-Identifier: MIT
// corvalen-cli: what its arguments mean, and what a script sees of a run.

#include "cli/arguments.h"

#include <QCryptographicHash>
#include <QProcess>
#include <QTest>

using namespace corvalen::cli;
using namespace Qt::Literals::StringLiterals;

namespace {

// The parse result as one line: the command and its bar positions, or the error.
QByteArray Describe(const ParseResult& result)
{
    if (const auto* error = std::get_if<UsageError>(&result))
        return QByteArray::fromStdString(error->message);
    const Command& command = std::get<Command>(result);
    if (const auto* report = std::get_if<ReportCommand>(&command))
        return QStringLiteral("report %1 %2").arg(report->source).arg(report->load).toUtf8();
    if (const auto* table = std::get_if<TableCommand>(&command))
        return QStringLiteral("table %1:%2 %3:%4").arg(table->source.from).arg(table->source.to).arg(table->load.from).arg(table->load.to).toUtf8();
    if (const auto* sweep = std::get_if<SweepCommand>(&command)) {
        const auto side = [](const SweepSide& s) {
            return s.fixedVswr ? QByteArray::number(*s.fixedVswr) : QByteArray::fromStdString(s.path) + "|" + QByteArray::fromStdString(s.choice);
        };
        return "sweep " + side(sweep->source) + " " + side(sweep->load) + " z0=" + QByteArray::number(sweep->systemOhms)
            + (sweep->format == SweepFormat::Csv ? " csv" : " tsv") + (sweep->plotPath ? " plot=" + QByteArray::fromStdString(*sweep->plotPath) : "");
    }
    return std::holds_alternative<HelpCommand>(command) ? "help" : "version";
}

}  // namespace

class TestCli : public QObject {
    Q_OBJECT

private slots:
    void arguments_data();
    void arguments();
    void run_data();
    void run();
};

void TestCli::arguments_data()
{
    QTest::addColumn<QByteArrayList>("arguments");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray vswr(": expected a VSWR from 1.00 to 5.00 with at most two decimals, such as 1.5, 2 or 4.99");
    QTest::newRow("report") << QByteArrayList{"report", "1.5", "2"} << "report 150 200"_ba;
    QTest::newRow("range ends") << QByteArrayList{"report", "1", "5.00"} << "report 100 500"_ba;
    QTest::newRow("leading zeros") << QByteArrayList{"report", "001.50", "0002"} << "report 150 200"_ba;
    QTest::newRow("table defaults") << QByteArrayList{"table"} << "table 100:500 100:500"_ba;
    QTest::newRow("table ranges") << QByteArrayList{"table", "--source=1.5:2", "--load", "1:1.2"} << "table 150:200 100:120"_ba;
    QTest::newRow("help") << QByteArrayList{"--help"} << "help"_ba;
    QTest::newRow("version") << QByteArrayList{"--version"} << "version"_ba;
    QTest::newRow("below 1.00") << QByteArrayList{"report", "0.99", "2"} << "corvalen-cli: SOURCE '0.99'" + vswr;
    QTest::newRow("above 5.00") << QByteArrayList{"report", "1", "5.01"} << "corvalen-cli: LOAD '5.01'" + vswr;
    QTest::newRow("three decimals") << QByteArrayList{"report", "1.555", "2"} << "corvalen-cli: SOURCE '1.555'" + vswr;
    QTest::newRow("decimal comma") << QByteArrayList{"report", "1,5", "2"} << "corvalen-cli: SOURCE '1,5'" + vswr;
    QTest::newRow("no digits after the point") << QByteArrayList{"report", "2.", "2"} << "corvalen-cli: SOURCE '2.'" + vswr;
    QTest::newRow("plus sign") << QByteArrayList{"report", "+1.5", "2"} << "corvalen-cli: SOURCE '+1.5'" + vswr;
    QTest::newRow("exponent") << QByteArrayList{"report", "1e0", "2"} << "corvalen-cli: SOURCE '1e0'" + vswr;
    QTest::newRow("empty") << QByteArrayList{"report", "", "2"} << "corvalen-cli: SOURCE ''" + vswr;
    QTest::newRow("newline is escaped") << QByteArrayList{"report", "1.5\n2", "1"} << "corvalen-cli: SOURCE '1.5\\n2'" + vswr;
    QTest::newRow("escape sequence is escaped") << QByteArrayList{"report", "\x1b[31m1", "1"} << "corvalen-cli: SOURCE '\\x1b[31m1'" + vswr;
    QTest::newRow("long argument is cut") << QByteArrayList{"report", QByteArray(100000, '9'), "1"}
        << "corvalen-cli: SOURCE '" + QByteArray(40, '9') + "'... (100000 bytes)" + vswr;
    QTest::newRow("missing load") << QByteArrayList{"report", "1.5"} << "corvalen-cli: report: missing LOAD; usage: corvalen-cli report SOURCE LOAD"_ba;
    QTest::newRow("extra argument") << QByteArrayList{"report", "1.5", "2", "3"}
        << "corvalen-cli: report '3': unexpected extra argument; usage: corvalen-cli report SOURCE LOAD"_ba;
    QTest::newRow("range backwards") << QByteArrayList{"table", "--load", "2:1.5"}
        << "corvalen-cli: --load '2:1.5': expected FROM:TO, two VSWRs from 1.00 to 5.00 with at most two decimals and FROM not above TO, such as 1.5:2.5"_ba;
    QTest::newRow("option twice") << QByteArrayList{"table", "--source", "1:2", "--source=1:2"} << "corvalen-cli: --source: given more than once"_ba;
    QTest::newRow("option without value") << QByteArrayList{"table", "--source"} << "corvalen-cli: --source: missing FROM:TO"_ba;
    QTest::newRow("unknown command") << QByteArrayList{"tabel"} << "corvalen-cli: command 'tabel': expected report, table, sweep, --help or --version"_ba;
    QTest::newRow("sweep") << QByteArrayList{"sweep", "amp.s2p:S22", "filter.s1p"} << "sweep amp.s2p|S22 filter.s1p| z0=50 tsv"_ba;
    QTest::newRow("sweep options") << QByteArrayList{"sweep", "1.5", "f.s3p:s33", "--z0=75", "--format", "csv", "--plot", "a.SVG"}
        << "sweep 1.5 f.s3p|s33 z0=75 csv plot=a.SVG"_ba;
    QTest::newRow("sweep VSWR below 1") << QByteArrayList{"sweep", "0.9", "f.s1p"} << "corvalen-cli: SOURCE '0.9': a VSWR must be at least 1"_ba;
    QTest::newRow("sweep mixed-mode label") << QByteArrayList{"sweep", "ch.s4p:D1,2", "f.s1p"} << "sweep ch.s4p|D1,2 f.s1p| z0=50 tsv"_ba;
    QTest::newRow("sweep colon in a file name") << QByteArrayList{"sweep", "run:3.s1p", "2"} << "sweep run:3.s1p| 2 z0=50 tsv"_ba;
    QTest::newRow("sweep without a file") << QByteArrayList{"sweep", "1.5", "2"}
        << "corvalen-cli: sweep: at least one of SOURCE and LOAD must be a Touchstone file"_ba;
    QTest::newRow("sweep format") << QByteArrayList{"sweep", "a.s1p", "2", "--format", "xls"} << "corvalen-cli: --format 'xls': expected tsv or csv"_ba;
    QTest::newRow("sweep plot type") << QByteArrayList{"sweep", "a.s1p", "2", "--plot=a.pdf"}
        << "corvalen-cli: --plot 'a.pdf': expected a file name ending in .svg or .png"_ba;
    QTest::newRow("sweep z0") << QByteArrayList{"sweep", "a.s1p", "2", "--z0", "0"}
        << "corvalen-cli: --z0 '0': expected an impedance in ohms above 0, such as 50 or 75"_ba;
}

void TestCli::arguments()
{
    QFETCH(QByteArrayList, arguments);
    QFETCH(QByteArray, expected);
    const std::vector<std::string_view> views(arguments.begin(), arguments.end());
    QCOMPARE(Describe(ParseArguments(views)), expected);
}

void TestCli::run_data()
{
    QTest::addColumn<QByteArrayList>("arguments");
    QTest::addColumn<QByteArray>("stdoutFile");  // where stdout goes, if not to the test
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("stdoutSha256");
    QTest::addColumn<QByteArray>("stderr");

    // The whole table: all 160,801 pairs, written in chunks.
    QTest::newRow("table") << QByteArrayList{"table"} << ""_ba << 0
        << QByteArray("5480111f96d371c31d3c2cb38c111416e99dbc69978e8c1db8ceaba8d85237af") << QByteArray();
    QTest::newRow("version") << QByteArrayList{"--version"} << ""_ba << 0
        << QCryptographicHash::hash("corvalen-cli " CORVALEN_EXPECTED_VERSION "\n", QCryptographicHash::Sha256).toHex() << QByteArray();
    QTest::newRow("bad argument") << QByteArrayList{"report", "9", "1"} << ""_ba << 2
        << QCryptographicHash::hash("", QCryptographicHash::Sha256).toHex()
        << QByteArray("corvalen-cli: SOURCE '9': expected a VSWR from 1.00 to 5.00 with at most two decimals, such as 1.5, 2 or 4.99\n");
    QTest::newRow("file name with control characters") << QByteArrayList{"sweep", "no\x1b[2Jsuch\n.s1p", "2"} << ""_ba << 2
        << QCryptographicHash::hash("", QCryptographicHash::Sha256).toHex()
        << "corvalen-cli: no\\x1b[2Jsuch\\n.s1p: cannot open: No such file or directory\n"_ba;
    QTest::newRow("full disk") << QByteArrayList{"table"} << "/dev/full"_ba << 1 << QByteArray()
        << QByteArray("corvalen-cli: cannot write the output\n");
}

void TestCli::run()
{
    QFETCH(QByteArrayList, arguments);
    QFETCH(QByteArray, stdoutFile);
    QFETCH(QByteArray, stdoutSha256);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, stderr);
    QProcess cli;
    if (!stdoutFile.isEmpty())
        cli.setStandardOutputFile(QString::fromUtf8(stdoutFile));
    QStringList texts;
    for (const QByteArray& argument : arguments)
        texts.append(QString::fromUtf8(argument));
    cli.start(QStringLiteral(CORVALEN_CLI_PATH), texts);
    QVERIFY(cli.waitForFinished(30000));
    QCOMPARE(cli.exitStatus(), QProcess::NormalExit);
    QCOMPARE(cli.exitCode(), exitCode);
    QCOMPARE(cli.readAllStandardError(), stderr);
    if (!stdoutSha256.isEmpty())
        QCOMPARE(QCryptographicHash::hash(cli.readAllStandardOutput(), QCryptographicHash::Sha256).toHex(), stdoutSha256);
}

QTEST_APPLESS_MAIN(TestCli)
#include "tst_cli.moc"
