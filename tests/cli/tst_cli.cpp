// SPDX-License-Identifier: MIT
// corvalen-cli: what its arguments mean, and what a script sees of a run.

#include "cli/arguments.h"
#include "cli/mismatch_command.h"
#include "measuredtext/row_text.h"
#include "measuredtext/value_forms.h"
#include "cli/sweep_command.h"

#include <QCryptographicHash>
#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QProcess>
#include <QTest>

#include <charconv>
#include <cmath>
#include <limits>
#include <random>

using namespace corvalen::cli;
using namespace corvalen::measuredtext;
using namespace Qt::Literals::StringLiterals;

namespace {

constexpr double kHuge = 1e300;

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
    const auto side = [](const corvalen::measured::SideInput& s) {
        if (const auto* fixed = std::get_if<corvalen::measured::SideValues>(&s.value))
            return QByteArray::number(fixed->vswr);
        const auto& file = std::get<corvalen::measured::ReflectionFile>(s.value);
        return QByteArray::fromStdString(file.path) + "|" + QByteArray::fromStdString(file.choice);
    };
    if (const auto* sweep = std::get_if<SweepCommand>(&command)) {
        return "sweep " + side(sweep->bench.source) + " " + side(sweep->bench.load) + " z0=" + QByteArray::number(sweep->bench.systemOhms)
            + (sweep->format == SweepFormat::Csv ? " csv" : " tsv") + (sweep->plotPath ? " plot=" + QByteArray::fromStdString(*sweep->plotPath) : "");
    }
    if (const auto* mismatch = std::get_if<MismatchCommand>(&command)) {
        QByteArray text = "mismatch " + side(mismatch->bench.source) + " " + side(mismatch->bench.load);
        for (const auto& twoPort : mismatch->bench.chain)
            if (const auto* pad = std::get_if<corvalen::measured::Pad>(&twoPort.value))
                text += " pad " + QByteArray::number(pad->lossDb) + " dB " + QByteArray::number(pad->vswr);
        return text + " z0=" + QByteArray::number(mismatch->bench.systemOhms)
            + (mismatch->coveragePercent != 95.0 ? " coverage=" + QByteArray::number(mismatch->coveragePercent) : "");
    }
    if (const auto* help = std::get_if<HelpCommand>(&command))
        return ("help " + help->subcommand).c_str();
    return "version";
}

// What mismatch or sweep writes, run in process.
QByteArray Output(const QByteArrayList& arguments)
{
    const std::vector<std::string_view> views(arguments.begin(), arguments.end());
    const ParseResult parsed = ParseArguments(views);
    if (const auto* error = std::get_if<UsageError>(&parsed))
        return QByteArray::fromStdString(error->message);
    QByteArray out;
    const auto sink = [&out](std::string_view text) { out.append(text.data(), qsizetype(text.size())); };
    const Command& command = std::get<Command>(parsed);
    if (const auto* mismatch = std::get_if<MismatchCommand>(&command))
        RunMismatchCommand(*mismatch, sink);
    else
        RunSweepCommand(std::get<SweepCommand>(command), sink);
    return out;
}

}  // namespace

class TestCli : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

private slots:
    void values() { arguments(); }

    void arguments_data()
    {
        QTest::addColumn<QByteArrayList>("arguments");
        QTest::addColumn<QByteArray>("expected");

        const QByteArray vswr(": expected a VSWR from 1.00 to 5.00 with at most two decimals, such as 1.5, 2 or 4.99");
        QTest::newRow("report") << QByteArrayList{"report", "1.5", "2"} << "report 150 200"_ba;
        QTest::newRow("range ends") << QByteArrayList{"report", "1", "5.00"} << "report 100 500"_ba;
        QTest::newRow("leading zeros") << QByteArrayList{"report", "001.50", "0002"} << "report 150 200"_ba;
        QTest::newRow("table defaults") << QByteArrayList{"table"} << "table 100:500 100:500"_ba;
        QTest::newRow("table ranges") << QByteArrayList{"table", "--source=1.5:2", "--load", "1:1.2"} << "table 150:200 100:120"_ba;
        QTest::newRow("help") << QByteArrayList{"--help"} << "help "_ba;
        QTest::newRow("report help") << QByteArrayList{"report", "--help"} << "help report"_ba;
        QTest::newRow("table help") << QByteArrayList{"table", "-h"} << "help table"_ba;
        QTest::newRow("mismatch help") << QByteArrayList{"mismatch", "1.5", "--help"} << "help mismatch"_ba;
        QTest::newRow("sweep help after a side") << QByteArrayList{"sweep", "a.s1p", "--help"} << "help sweep"_ba;
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
        QTest::newRow("unknown command") << QByteArrayList{"tabel"} << "corvalen-cli: command 'tabel': expected report, table, mismatch, sweep, --help or --version"_ba;
        QTest::newRow("sweep") << QByteArrayList{"sweep", "amp.s2p:S22", "filter.s1p"} << "sweep amp.s2p|S22 filter.s1p| z0=50 tsv"_ba;
        QTest::newRow("sweep options") << QByteArrayList{"sweep", "1.5", "f.s3p:s33", "--z0=75", "--format", "csv", "--plot", "a.SVG"}
            << "sweep 1.5 f.s3p|s33 z0=75 csv plot=a.SVG"_ba;
        QTest::newRow("sweep VSWR below 1") << QByteArrayList{"sweep", "0.9", "f.s1p"} << "corvalen-cli: SOURCE '0.9': a VSWR must be at least 1"_ba;
        QTest::newRow("sweep mixed-mode label") << QByteArrayList{"sweep", "ch.s4p:D1,2", "f.s1p"} << "sweep ch.s4p|D1,2 f.s1p| z0=50 tsv"_ba;
        QTest::newRow("sweep colon in a file name") << QByteArrayList{"sweep", "run:3.s1p", "2"} << "sweep run:3.s1p| 2 z0=50 tsv"_ba;
        QTest::newRow("sweep port above 9") << QByteArrayList{"sweep", "big.s12p:S10,10", "2"} << "sweep big.s12p|S10,10 2 z0=50 tsv"_ba;
        QTest::newRow("sweep Windows paths") << QByteArrayList{"sweep", "C:\\m\\amp.s2p:S22", "C:\\m\\f.s1p"}
            << "sweep C:\\m\\amp.s2p|S22 C:\\m\\f.s1p| z0=50 tsv"_ba;
        // The reader refuses it by name, where the whole would be a file that cannot be opened.
        QTest::newRow("sweep mistyped reflection") << QByteArrayList{"sweep", "amp.s2p:S2x", "2"} << "sweep amp.s2p|S2x 2 z0=50 tsv"_ba;
        QFile named(dir_.filePath(QStringLiteral("run:S2x")));
        QVERIFY(named.open(QIODevice::WriteOnly));
        const QByteArray path = named.fileName().toUtf8();
        QTest::newRow("sweep file whose name ends like a reflection") << QByteArrayList{"sweep", path, "2"} << "sweep " + path + "| 2 z0=50 tsv";
        QTest::newRow("sweep format") << QByteArrayList{"sweep", "a.s1p", "2", "--format", "xls"} << "corvalen-cli: --format 'xls': expected tsv or csv"_ba;
        QTest::newRow("sweep plot type") << QByteArrayList{"sweep", "a.s1p", "2", "--plot=a.pdf"}
            << "corvalen-cli: --plot 'a.pdf': expected a file name ending in .svg or .png"_ba;
        QTest::newRow("sweep z0") << QByteArrayList{"sweep", "a.s1p", "2", "--z0", "0"}
            << "corvalen-cli: --z0 '0': expected an impedance in ohms above 0, such as 50 or 75"_ba;
    }

    void arguments()
    {
        QFETCH(QByteArrayList, arguments);
        QFETCH(QByteArray, expected);
        const std::vector<std::string_view> views(arguments.begin(), arguments.end());
        QCOMPARE(Describe(ParseArguments(views)), expected);
    }

    // Fixed values and pads: what is read, beside what is refused and why.
    void values_data()
    {
        QTest::addColumn<QByteArrayList>("arguments");
        QTest::addColumn<QByteArray>("expected");

        const auto mismatch = [](QByteArray source, QByteArray load = "2") { return QByteArrayList{"mismatch", source, load}; };
        const QByteArray plain(": not a plain decimal: write digits with an optional point, no sign or exponent, such as 1.5");
        QTest::newRow("vswr=1.5") << mismatch("vswr=1.5") << "mismatch 1.5 2 z0=50"_ba;
        QTest::newRow("rl=20 is VSWR 1.2222, gamma=0.2 is 1.5") << mismatch("rl=20", "gamma=0.2") << "mismatch 1.22222 1.5 z0=50"_ba;
        QTest::newRow("gamma=1 is a total reflection") << mismatch("1", "GAMMA=1") << "mismatch 1 inf z0=50"_ba;
        QTest::newRow("rl=6000 is nearly a match") << mismatch("rl=6000", "1") << "mismatch 1 1 z0=50"_ba;
        QTest::newRow("pad") << QByteArrayList{"mismatch", "1", "2", "--through", "VSWR=1.1,Loss=10", "--z0=75"} << "mismatch 1 2 pad 10 dB 1.1 z0=75"_ba;
        QTest::newRow("VSWR whose |G| rounds to 1") << mismatch("vswr=1e308")
            << "corvalen-cli: SOURCE 'vswr=1e308': too large: its |G| rounds to 1 (a total reflection is gamma=1 or rl=0)"_ba;
        QTest::newRow("return loss whose |G| rounds to 0") << mismatch("1", "rl=1e308")
            << "corvalen-cli: LOAD 'rl=1e308': too large: its |G| rounds to 0 (a perfect match is gamma=0 or vswr=1)"_ba;
        QTest::newRow("beyond double precision") << mismatch(QByteArray(400, '9'))
            << "corvalen-cli: SOURCE '" + QByteArray(40, '9') + "'... (400 bytes): too large for a number in double precision";
        QTest::newRow("a blank after the number") << mismatch("vswr=1.5 ") << "corvalen-cli: SOURCE 'vswr=1.5 ': a stray blank: write the number without spaces"_ba;
        QTest::newRow("not a number") << mismatch("vswr=abc") << "corvalen-cli: SOURCE 'vswr=abc': not a number"_ba;
        QTest::newRow("nothing after =") << mismatch("rl=") << "corvalen-cli: SOURCE 'rl=': no number given"_ba;
        QTest::newRow("exponent") << mismatch("1e1") << "corvalen-cli: SOURCE '1e1'" + plain;
        QTest::newRow("plus sign") << mismatch("1", "vswr=+2") << "corvalen-cli: LOAD 'vswr=+2'" + plain;
        QTest::newRow("negative VSWR") << mismatch("-2") << "corvalen-cli: SOURCE '-2': a VSWR must be at least 1"_ba;
        QTest::newRow("pad VSWR below 1") << QByteArrayList{"mismatch", "1", "2", "--through", "loss=10,vswr=0.5"}
            << "corvalen-cli: --through 'loss=10,vswr=0.5': vswr: a VSWR must be at least 1"_ba;
        QTest::newRow("negative pad loss") << QByteArrayList{"mismatch", "1", "2", "--through", "loss=-1,vswr=1.1"}
            << "corvalen-cli: --through 'loss=-1,vswr=1.1': loss: a loss must be at least 0 dB"_ba;
        QTest::newRow("blank in a pad") << QByteArrayList{"mismatch", "1", "2", "--through", "loss=10, vswr=1.1"}
            << "corvalen-cli: --through 'loss=10, vswr=1.1': a stray blank: write loss=DB,vswr=V without spaces"_ba;
        QTest::newRow("z0 with an exponent") << QByteArrayList{"mismatch", "1", "2", "--z0", "5e1"} << "corvalen-cli: --z0 '5e1'" + plain;
        QTest::newRow("a chain, in order from the source") << QByteArrayList{"mismatch", "1", "2", "--through", "loss=3,vswr=1.2", "--through=loss=1,vswr=1.5", "--coverage", "99.73"}
            << "mismatch 1 2 pad 3 dB 1.2 pad 1 dB 1.5 z0=50 coverage=99.73"_ba;
        QTest::newRow("a bad value second in a chain") << QByteArrayList{"mismatch", "1", "2", "--through", "loss=1,vswr=1.1", "--through", "loss=-1,vswr=1.1"}
            << "corvalen-cli: --through 'loss=-1,vswr=1.1': loss: a loss must be at least 0 dB"_ba;
        for (const QByteArray percent : {"0", "100"})
            QTest::newRow("coverage " + percent) << QByteArrayList{"mismatch", "1", "2", "--coverage", percent}
                << "corvalen-cli: --coverage '" + percent + "': expected a probability in percent above 0 and below 100, such as 95";
    }

    void run_data()
    {
        QTest::addColumn<QByteArrayList>("arguments");
        QTest::addColumn<QByteArray>("stdoutFile");  // where stdout goes, if not to the test
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("stdoutSha256");
        QTest::addColumn<QByteArray>("stderr");
    const QByteArray nothing = QCryptographicHash::hash("", QCryptographicHash::Sha256).toHex();

        // The whole table: all 160,801 pairs, written in chunks.
        QTest::newRow("table") << QByteArrayList{"table"} << ""_ba << 0
            << QByteArray("5480111f96d371c31d3c2cb38c111416e99dbc69978e8c1db8ceaba8d85237af") << QByteArray();
        // Chains of one and two pads: the output of the build before chains were walked, byte for byte.
        QTest::newRow("through a pad") << QByteArrayList{"mismatch", "1.5", "2", "--through", "loss=3,vswr=1.3"} << ""_ba << 0
            << QByteArray("5fa80319deda7db074cb775fbe433bfde2b6220f358906aeaf4413b1c4a4cc85") << QByteArray();
        QTest::newRow("through two pads, JSON")
            << QByteArrayList{"mismatch", "1.5", "2", "--through", "loss=3,vswr=1.3", "--through", "loss=10,vswr=1.1", "--format", "json"}
            << ""_ba << 0 << QByteArray("bb01a22e732aecb683c199f22496a774c7b21ddc8c718b03c9e778cf50097f2a") << QByteArray();
        QTest::newRow("version") << QByteArrayList{"--version"} << ""_ba << 0
            << QCryptographicHash::hash("corvalen-cli " CORVALEN_EXPECTED_VERSION "\n", QCryptographicHash::Sha256).toHex() << QByteArray();
        QTest::newRow("bad argument") << QByteArrayList{"report", "9", "1"} << ""_ba << 2 << nothing
            << QByteArray("corvalen-cli: SOURCE '9': expected a VSWR from 1.00 to 5.00 with at most two decimals, such as 1.5, 2 or 4.99\n");
        QTest::newRow("file name with control characters") << QByteArrayList{"sweep", "no\x1b[2Jsuch\n.s1p", "2"} << ""_ba << 2 << nothing
            << "corvalen-cli: no\\x1b[2Jsuch\\n.s1p: cannot open: No such file or directory\n"_ba;
        QTest::newRow("bad fixed value") << QByteArrayList{"mismatch", "1.5", "vswr=0.5"} << ""_ba << 2 << nothing
            << "corvalen-cli: LOAD 'vswr=0.5': a VSWR must be at least 1\n"_ba;
        QTest::newRow("subcommand help") << QByteArrayList{"report", "--help"} << ""_ba << 0 << QByteArray() << QByteArray();
        QTest::newRow("full disk") << QByteArrayList{"table"} << "/dev/full"_ba << 1 << QByteArray()
            << QByteArray("corvalen-cli: cannot write the output\n");
    }

    void run()
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

    // Expected texts from Python's correctly rounded format(value, '.4f'), which
    // rounds the exact binary value, ties to even.
    void fourDecimals_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QByteArray>("expected");
        constexpr double kInfinity = std::numeric_limits<double>::infinity();
        QTest::newRow("0.44 of the last digit rounds down") << 1.51444 << "1.5144"_ba;
        QTest::newRow("four decimals stay") << 1.5144 << "1.5144"_ba;
        QTest::newRow("exact tie to even, down") << 0.03125 << "0.0312"_ba;
        QTest::newRow("exact tie to even, up") << 0.09375 << "0.0938"_ba;
        QTest::newRow("negative exact tie") << -0.03125 << "-0.0312"_ba;
        QTest::newRow("binary just over a half") << 1.23455 << "1.2346"_ba;
        QTest::newRow("just under a half") << 2.00004999 << "2.0000"_ba;
        QTest::newRow("just over a half") << 2.00005001 << "2.0001"_ba;
        QTest::newRow("negative that prints as zero") << -0.00004 << "0.0000"_ba;
        QTest::newRow("negative just over a half") << -0.00005 << "-0.0001"_ba;
        QTest::newRow("a quarter of the last digit") << 2.5e-5 << "0.0000"_ba;
        QTest::newRow("carry into a new digit") << 9.99995 << "10.0000"_ba;
        QTest::newRow("negative carry") << -9.99995 << "-10.0000"_ba;
        QTest::newRow("nine digits before the point") << 123456789.12345 << "123456789.1234"_ba;
        QTest::newRow("where the fast path ends") << 109951162.77765 << "109951162.7776"_ba;
        QTest::newRow("2^40") << 1099511627776.0 << "1099511627776.0000"_ba;
        QTest::newRow("2^40 and a half") << 1099511627776.5 << "1099511627776.5000"_ba;
        QTest::newRow("1e20") << 1e20 << "100000000000000000000.0000"_ba;
        QTest::newRow("inf") << kInfinity << "inf"_ba;
        QTest::newRow("-inf") << -kInfinity << "-inf"_ba;
    }

    void fourDecimals()
    {
        QFETCH(double, value);
        QFETCH(QByteArray, expected);
        std::string text;
        AppendFourDecimals(text, value);
        QCOMPARE(QByteArray::fromStdString(text), expected);
    }

    // Millions of values of every size a sweep prints, half of them within a few
    // ulps of a tie, against the standard library's exact rounding.
    void fourDecimalsAsToChars()
    {
        std::mt19937_64 random(20261207);
        std::uniform_real_distribution<double> exponent(-6.0, 12.0);
        std::uniform_int_distribution<int> ulps(-4, 4);
        char buffer[400];
        for (int i = 0; i < 3'000'000; ++i) {
            double value = std::pow(10.0, exponent(random)) * (i % 4 < 2 ? 1 : -1);
            if (i % 2 == 0) {  // near the tie of the nearest four decimals
                value = (std::floor(value * 1e4) + 0.5) / 1e4;
                for (int step = ulps(random); step != 0; step += step > 0 ? -1 : 1)
                    value = std::nextafter(value, step > 0 ? kHuge : -kHuge);
            }
            const auto end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 4).ptr;
            std::string_view expected(buffer, static_cast<std::size_t>(end - buffer));
            if (expected == "-0.0000")
                expected.remove_prefix(1);
            std::string text;
            AppendFourDecimals(text, value);
            if (text != expected)
                QFAIL(qPrintable(QStringLiteral("%1: %2 instead of %3").arg(value, 0, 'g', 17).arg(QString::fromStdString(text), QString::fromUtf8(expected.data(), qsizetype(expected.size())))));
        }
    }

    // Worked values by hand: 1.5 with 2.0 through a pad, and the value forms. The limits from
    // published tables (1.2 with 1.5, 1.5 with 2.0), the pad's and the nulls are checked in the
    // same JSON with the key set by crosscheck_through.py.
    void oneOff_data()
    {
        QTest::addColumn<QByteArrayList>("arguments");
        QTest::addColumn<QString>("key");
        QTest::addColumn<double>("expected");  // within half its last digit
        QTest::addColumn<double>("within");

        const QByteArrayList pad{"mismatch", "1.5", "2.0", "--through", "loss=10,vswr=1.1", "--format=json"};
        QTest::newRow("1.5 with 2.0, standard") << pad << "standard_uncertainty_db" << 0.4097 << 5e-5;
        QTest::newRow("1.5 with 2.0, 95 % low") << pad << "coverage_low_db" << -0.5972 << 5e-5;
        QTest::newRow("1.5 with 2.0, 95 % high") << pad << "coverage_high_db" << 0.5590 << 5e-5;
        QTest::newRow("through a 10 dB pad, 95 % low") << pad << "through_coverage_low_db" << -0.2274 << 5e-5;
        QTest::newRow("rl=20 is |G| 0.1") << QByteArrayList{"mismatch", "rl=20", "1", "--format=json"} << "source_gamma" << 0.1 << 1e-12;
        QTest::newRow("gamma=0.2 is VSWR 1.5") << QByteArrayList{"mismatch", "1", "GAMMA=0.2", "--format=json"} << "load_vswr" << 1.5 << 1e-12;
        QTest::newRow("vswr=3 is 6.0206 dB") << QByteArrayList{"mismatch", "1", "vswr=3", "--format=json"} << "load_return_loss_db" << 6.0206 << 5e-5;
    }

    void oneOff()
    {
        QFETCH(QByteArrayList, arguments);
        QFETCH(QString, key);
        QFETCH(double, expected);
        QFETCH(double, within);
        const QByteArray out = Output(arguments);
        QVERIFY2(out.endsWith("}\n") && out.count('\n') == 1, out.constData());
        const QJsonValue value = QJsonDocument::fromJson(out).object().value(key);
        QVERIFY2(std::abs(value.toDouble(qQNaN()) - expected) <= within, out.constData());
    }

    // Measured sides in small files: 1.5 with 2.0 in phase at 1 GHz, so the error
    // equals the lower limit, and in quadrature at 2 GHz.
    void sweepThrough_data()
    {
        QTest::addColumn<QByteArrayList>("arguments");
        QTest::addColumn<QByteArray>("expected");

        QTest::newRow("through a pad, phases of the pad unknown") << QByteArrayList{"sweep", "source.s1p", "load.s1p", "--through", "loss=10,vswr=1.1"}
            << "1000000000\t2.0000\t9.5424\t1.5000\t13.9794\t0.1773\t3.0000\t6.0206\t0.5606\t-0.5993\t-0.5993\t\t0.2754\t-0.2817\t\t0.1208\n"
               "2000000000\t2.0000\t9.5424\t1.5000\t13.9794\t0.1773\t3.0000\t6.0206\t0.5606\t-0.5993\t0.0193\t\t0.2754\t-0.2817\t\t0.1208\n"_ba;
        QTest::newRow("fixed source in any form") << QByteArrayList{"sweep", "gamma=0.2", "load.s1p", "--format=csv"}
            << "1000000000,1.5000,13.9794,1.5000,13.9794,0.1773,2.2500,8.2995,0.3407,-0.3546,,0.2457\n"
               "2000000000,1.5000,13.9794,1.5000,13.9794,0.1773,2.2500,8.2995,0.3407,-0.3546,,0.2457\n"_ba;
        QTest::newRow("nothing measured") << QByteArrayList{"sweep", "1.5", "2", "--through", "loss=3,vswr=1.2"}
            << "corvalen-cli: sweep: nothing measured: SOURCE, LOAD or a --through file must be a Touchstone file; for one-off values use corvalen-cli mismatch"_ba;
        QTest::newRow("a pad turned round") << QByteArrayList{"mismatch", "1.5", "2", "--through", "loss=3,vswr=1.2:reversed"}
            << "corvalen-cli: --through 'loss=3,vswr=1.2:reversed': a pad is the same either way round: :reversed is for a two-port file"_ba;
        QTest::newRow("pad without its VSWR") << QByteArrayList{"mismatch", "1.5", "2", "--through", "loss=3"}
            << "corvalen-cli: --through 'loss=3': expected a two-port Touchstone file or loss=DB,vswr=V with DB at least 0 and V at least 1, such as loss=10,vswr=1.1"_ba;
        QTest::newRow("gamma above 1") << QByteArrayList{"mismatch", "gamma=1.5", "2"} << "corvalen-cli: SOURCE 'gamma=1.5': expected a |G| from 0 to 1, such as gamma=0.07"_ba;
        QTest::newRow("negative return loss") << QByteArrayList{"mismatch", "1", "rl=-3"} << "corvalen-cli: LOAD 'rl=-3': expected a return loss in dB of at least 0, such as rl=23"_ba;
        QTest::newRow("a file for mismatch") << QByteArrayList{"mismatch", "source.s1p", "2"}
            << "corvalen-cli: SOURCE 'source.s1p': expected a fixed value such as 1.5, vswr=1.5, rl=23 or gamma=0.07; for files use sweep"_ba;
    }

    void sweepThrough()
    {
        QFETCH(QByteArrayList, arguments);
        QFETCH(QByteArray, expected);
        QTemporaryDir dir;
        QVERIFY(QDir::setCurrent(dir.path()));
        for (const auto& [name, text] : {std::pair("source.s1p", "# GHz S MA R 50\n1 0.33333333333333333 0\n2 0.33333333333333333 0\n"),
                                         std::pair("load.s1p", "# GHz S RI R 50\n1 0.2 0\n2 0 0.2\n")}) {
            QFile file(QString::fromLatin1(name));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text) > 0);
        }
        const QByteArray out = Output(arguments);
        QCOMPARE(out.mid(out.indexOf('\n') + 1), expected);
    }

    // A two-port whose ports differ in every parameter and reference, turned round with
    // :reversed, against the same two-port written with its ports swapped.
    void reversedTwoPort_data()
    {
        QTest::addColumn<QByteArrayList>("arguments");  // TWO-PORT stands for the file
        QTest::newRow("mismatch") << QByteArrayList{"mismatch", "1.5", "2", "--through", "TWO-PORT", "--format=json"};
        QTest::newRow("sweep, in a chain") << QByteArrayList{"sweep", "source.s1p", "load.s1p", "--through", "loss=3,vswr=1.2",
                                                             "--through", "TWO-PORT"};
    }

    void reversedTwoPort()
    {
        QFETCH(QByteArrayList, arguments);
        QTemporaryDir dir;
        QVERIFY(QDir::setCurrent(dir.path()));
        const QByteArray head = "[Version] 2.1\n# GHz S RI R 50\n[Number of Ports] 2\n[Two-Port Data Order] 12_21\n"
                                "[Number of Frequencies] 2\n";
        // Each line: frequency, S11, S12, S21, S22.
        for (const auto& [name, text] : {
                 std::pair("source.s1p", QByteArray("# GHz S RI R 50\n1 0.2 0\n2 0 0.2\n")),
                 std::pair("load.s1p", QByteArray("# GHz S RI R 50\n1 0.1 0.3\n2 -0.3 0\n")),
                 std::pair("cable.s2p", head + "[Reference] 50 75\n[Network Data]\n1 0.1 0.05 0.2 0.01 0.7 -0.1 0.3 -0.2\n"
                                               "2 0.15 0 0.1 0.2 0.6 0.3 0.25 0.1\n[End]\n"),
                 std::pair("swapped.s2p", head + "[Reference] 75 50\n[Network Data]\n1 0.3 -0.2 0.7 -0.1 0.2 0.01 0.1 0.05\n"
                                                 "2 0.25 0.1 0.6 0.3 0.1 0.2 0.15 0\n[End]\n")}) {
            QFile file(QString::fromLatin1(name));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text) > 0);
        }
        const auto run = [&arguments](const QByteArray& twoPort) {
            QByteArrayList given = arguments;
            given.replace(given.indexOf("TWO-PORT"), twoPort);
            return Output(given);
        };
        const QByteArray reversed = run("cable.s2p:reversed");
        QVERIFY2(reversed.count('\n') >= 1 && !reversed.startsWith("corvalen-cli"), reversed.constData());
        QCOMPARE(reversed, run("swapped.s2p"));
        QVERIFY(reversed != run("cable.s2p"));
    }

    // Five pads of 3 dB at VSWR 2 from a fixed source: their standard uncertainty would take
    // a millisecond a row, 20 s over these 20,001 rows, so it is left empty and stderr says so.
    void sweepBeyondReach()
    {
        QTemporaryDir dir;
        QFile load(dir.filePath(QStringLiteral("load.s1p")));
        QVERIFY(load.open(QIODevice::WriteOnly));
        QByteArray text = "# Hz S RI R 50\n";
        for (int i = 1; i <= 20001; ++i)
            text += QByteArray::number(i) + " 0.3 0.1\n";
        QVERIFY(load.write(text) == text.size());
        load.close();
        QStringList arguments{QStringLiteral("sweep"), QStringLiteral("1.5"), load.fileName()};
        for (int i = 0; i < 5; ++i)
            arguments << QStringLiteral("--through") << QStringLiteral("loss=3,vswr=2");
        QProcess cli;
        cli.start(QStringLiteral(CORVALEN_CLI_PATH), arguments);
        QVERIFY(cli.waitForFinished(30000));
        QCOMPARE(cli.exitCode(), 0);
        QCOMPARE(cli.readAllStandardError(),
                 "corvalen-cli: through this chain the standard uncertainty would take minutes over these rows: it is left empty\n"_ba);
        const QByteArrayList first = cli.readAllStandardOutput().split('\n').value(1).split('\t');
        QCOMPARE(first.size(), 16);
        QVERIFY(!first[11].isEmpty() && first[15].isEmpty());  // u directly, none through the chain
    }
};

QTEST_APPLESS_MAIN(TestCli)
#include "tst_cli.moc"
