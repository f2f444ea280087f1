// SPDX-License-Identifier: MIT
// Corvalen Sweep's window in process, offscreen: what it reads at the cursor,
// how the keys move the cursor, what it keeps when an input goes bad, and that
// what it exports, saves and shows for fixed sides is what corvalen-cli gives
// for the same inputs.

#include "sweepwindow/pictures.h"
#include "sweepwindow/sweep_window.h"
#include "sweepwindow/sweep_window_layout.h"
#include "tests/colour_schemes.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

#include <algorithm>

using corvalen::sweepwindow::InputField;
using corvalen::tests::Ink;
using corvalen::sweepwindow::InputTexts;
using corvalen::sweepwindow::SweepWindow;

namespace {

QString TestFile(const char* name)
{
    return QStringLiteral(TEST_FILES "/") + QString::fromUtf8(name);
}

// corvalen-cli run in the test files' folder, so that files are named as the window names them.
QByteArray Cli(const QStringList& arguments)
{
    QProcess cli;
    cli.setWorkingDirectory(QStringLiteral(TEST_FILES));
    cli.start(QStringLiteral(CORVALEN_CLI), arguments);
    cli.waitForFinished();
    return cli.readAllStandardOutput();
}

// Arguments written as the shell would split them.
QStringList Words(const char* text)
{
    return QString::fromUtf8(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

InputTexts Files(const QStringList& chain = {})
{
    InputTexts texts{TestFile("source.s1p").toStdString(), {}, TestFile("load.s1p").toStdString()};
    for (const QString& twoPort : chain)
        texts.chain.push_back({twoPort.toStdString()});
    return texts;
}

QByteArray Exported(const SweepWindow& window, const QString& path)
{
    if (!window.ExportTable(path).isEmpty())
        return {};
    QFile written(path);
    return written.open(QIODevice::ReadOnly) ? written.readAll() : QByteArray();
}

void Write(const QString& path, const char* text)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
}

// Results are computed on a worker: a test reads them once none is under way
// (two pads take a while, longer still on a machine busy with other builds).
bool Ready(const SweepWindow& window)
{
    return QTest::qWaitFor([&window] { return !window.Busy(); }, 60000);
}

double CursorHz(const SweepWindow& window)
{
    return window.Shown()->FrequencyAt(window.CursorRow());
}

}  // namespace

class TestSweepWindow : public QObject {
    Q_OBJECT
private slots:

    void readoutAtCursor_data()
    {
        QTest::addColumn<QString>("twoPort");
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("report");
        // The values of `corvalen-cli sweep source.s1p load.s1p --through loss=3,vswr=1.2` at that row. The
        // readout of two files alone, with a decimal point, is the one e2e_sweep.sh copies at 1 GHz.
        QTest::newRow("through a pad, 1.25 GHz, comma") << QStringLiteral("loss=3,vswr=1.2")
            << QLocale(QLocale::German, QLocale::Germany) << 1
            << QStringLiteral("Frequency: 1,25 GHz\r\nSource VSWR: 1,3529\r\nSource return loss: 16,4782 dB\r\n"
                              "Source |G|: 0,1500\r\nLoad VSWR: 2,0769\r\nLoad return loss: 9,1186 dB\r\n"
                              "Load |G|: 0,3500\r\nLoad mismatch loss: 0,5675 dB\r\nMaximum VSWR: 2,8100\r\n"
                              "Combined return loss: 6,4650 dB\r\nUncertainty, plus: 0,4444 dB\r\n"
                              "Uncertainty, minus: -0,4684 dB\r\nMismatch error: -0,4607 dB\r\n"
                              "Standard uncertainty: none\r\nThrough: uncertainty, plus: 0,6055 dB\r\n"
                              "Through: uncertainty, minus: -0,6428 dB\r\nThrough: mismatch error: unknown\r\n"
                              "Through: standard uncertainty: 0,2671 dB\r\n");
    }

    void readoutAtCursor()
    {
        QFETCH(QString, twoPort);
        QFETCH(QLocale, locale);
        QFETCH(int, row);
        QFETCH(QString, report);
        SweepWindow window(Files(QStringList{twoPort}));
        QVERIFY(Ready(window));
        window.setLocale(locale);
        window.MoveCursorTo(static_cast<std::size_t>(row));
        QCOMPARE(window.ReadoutText(), report);
    }

    void cursorKeys_data()
    {
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<double>("frequencyHz");
        // The widest limits of these files are at 1.75 GHz, where the cursor starts.
        QTest::newRow("starts at the widest limits") << QList<int>{} << 1.75e9;
        QTest::newRow("Left, a point down") << QList<int>{Qt::Key_Left} << 1.5e9;
        QTest::newRow("Right stops at the last point") << QList<int>{Qt::Key_Right, Qt::Key_Right} << 2e9;
        QTest::newRow("Home, then Left stays") << QList<int>{Qt::Key_Home, Qt::Key_Left} << 1e9;
        QTest::newRow("End") << QList<int>{Qt::Key_Home, Qt::Key_End} << 2e9;
        // A tenth of this band is less than a point apart: the cursor still moves one.
        QTest::newRow("Page Down, at least a point") << QList<int>{Qt::Key_PageDown} << 1.5e9;
        QTest::newRow("Page Up from Home") << QList<int>{Qt::Key_Home, Qt::Key_PageUp} << 1.25e9;
    }

    void cursorKeys()
    {
        QFETCH(QList<int>, keys);
        QFETCH(double, frequencyHz);
        SweepWindow window(Files());
        QVERIFY(Ready(window));
        for (const char* chart : {"sweepChart", "smithChart"}) {
            window.MoveCursorTo(window.Shown()->RowNear(1.75e9));
            auto* view = window.findChild<QWidget*>(QString::fromUtf8(chart));
            for (const int key : keys)
                QTest::keyClick(view, static_cast<Qt::Key>(key));
            QCOMPARE(CursorHz(window), frequencyHz);
        }
    }

    void clickMovesCursor()
    {
        SweepWindow window(Files());
        QVERIFY(Ready(window));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* plot = window.findChild<QWidget*>(QStringLiteral("sweepChart"));
        // Left of the plotting area, below the lowest frequency: the first point.
        QTest::mouseClick(plot, Qt::LeftButton, {}, QPoint(2, plot->height() / 2));
        QCOMPARE(CursorHz(window), 1e9);
        QTest::mouseClick(plot, Qt::LeftButton, {}, QPoint(plot->width() - 2, plot->height() / 2));
        QCOMPARE(CursorHz(window), 2e9);
    }

    void badInputKeepsLastResult_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("note");  // as corvalen-cli says it, after its name
        const QString bad = QStringLiteral(MEASURED_FILES "/value-missing.s1p");
        QTest::newRow("a file with a short line") << int(InputField::Load) << bad
            << bad + QStringLiteral(":6: expected 3 numbers for a frequency (the frequency and 1 complex value), found 2");
        QTest::newRow("a VSWR below 1") << int(InputField::Load) << QStringLiteral("vswr=0.5")
                                        << QStringLiteral("LOAD 'vswr=0.5': a VSWR must be at least 1");
        QTest::newRow("a pad without a loss") << int(InputField::TwoPort) << QStringLiteral("loss=x")
                                              << QStringLiteral("--through 'loss=x': loss: not a number");
        QTest::newRow("a negative Z0") << int(InputField::Z0) << QStringLiteral("-5")
            << QStringLiteral("--z0 '-5': expected an impedance in ohms above 0, such as 50 or 75");
    }

    void badInputKeepsLastResult()
    {
        QFETCH(int, field);
        QFETCH(QString, text);
        QFETCH(QString, note);
        SweepWindow window(Files({QStringLiteral("loss=3,vswr=1.2")}));
        QVERIFY(Ready(window));
        window.MoveCursorTo(1);
        const auto* shown = window.Shown();
        const QString readout = window.ReadoutText();
        window.SetInputText(InputField(field), text);
        QVERIFY(Ready(window));
        QCOMPARE(window.InputNote(InputField(field)), note);
        QCOMPARE(window.Shown(), shown);
        QCOMPARE(window.ReadoutText(), readout);
        // The good inputs still say what they hold.
        QCOMPARE(window.InputNote(InputField::Source), QStringLiteral("5 points, 1 GHz to 2 GHz, 50 ohms"));
        if (field != int(InputField::Load))
            QCOMPARE(window.InputNote(InputField::Load), QStringLiteral("5 points, 1 GHz to 2 GHz, 50 ohms"));
        if (field != int(InputField::TwoPort))
            QCOMPARE(window.InputNote(InputField::TwoPort), QStringLiteral("a pad, phases unknown"));
    }

    // Files over 8 MiB together show a bar while the worker reads them: a change
    // of input meanwhile stops that read, whose result never shows, and the last
    // good one stays; read through, the bar's percent only grows until the sweep
    // shows. A window closed mid-read waits for its thread.
    void largeFilesReadOnAThread()
    {
        QTemporaryDir folder;
        const QString big = folder.filePath(QStringLiteral("big.s1p"));
        QByteArray text = "# Hz S RI R 50\n";
        for (int i = 0; i < 420000; ++i)  // 22 bytes a line: 8.8 MiB
            text += QByteArray::number(1000000000 + 2000 * i) + " 0.25 0.125\n";
        Write(big, text.constData());
        { SweepWindow closedMidRead({Files().source, {}, big.toStdString()}); }
        SweepWindow window(Files());
        QVERIFY(Ready(window));
        const auto* shown = window.Shown();
        const auto* bar = window.findChild<QProgressBar*>();
        window.SetInputText(InputField::Load, big);
        QVERIFY(!bar->isHidden());
        window.SetInputText(InputField::Load, QStringLiteral("vswr=0.5"));
        QVERIFY(bar->isHidden());
        QTRY_VERIFY(window.findChildren<QThread*>().isEmpty());
        QCOMPARE(window.Shown(), shown);
        window.SetInputText(InputField::Load, big);
        QList<int> percents{0};
        for (; !bar->isHidden() && percents.size() < 2000; QTest::qWait(5))
            percents.append(bar->value());
        QVERIFY(std::is_sorted(percents.begin(), percents.end()));
        QCOMPARE(window.Shown()->RowCount(), 420000u);
    }

    void droppedFileIsRead()
    {
        SweepWindow window({TestFile("source.s1p").toStdString(), {}, {}});
        QVERIFY(Ready(window));
        QVERIFY(!window.Shown());
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(TestFile("load.s1p"))});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        auto* load = window.findChild<QLineEdit*>(QStringLiteral("loadInput"));
        QApplication::sendEvent(load, &enter);
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(load, &drop);
        QCOMPARE(window.InputText(InputField::Load), TestFile("load.s1p"));
        QVERIFY(Ready(window));
        QVERIFY(window.Shown());
        QCOMPARE(window.InputNote(InputField::Load), QStringLiteral("5 points, 1 GHz to 2 GHz, 50 ohms"));
        // Both files read are offered again, before those of an earlier run.
        window.AddEarlierFiles({QStringLiteral("/earlier.s1p"), TestFile("source.s1p")});
        QStringList recent = window.RecentFiles();
        QCOMPARE(recent.takeLast(), QStringLiteral("/earlier.s1p"));
        recent.sort();
        QCOMPARE(recent, (QStringList{TestFile("load.s1p"), TestFile("source.s1p")}));
    }

    // mixed.ts names its reflections in its [Mixed-Mode Order]: D1,2 C1,2 S3.
    void reflectionChosen()
    {
        const QString file = QStringLiteral(MEASURED_FILES "/mixed.ts");
        SweepWindow window({"1.5", {}, file.toStdString()});
        QVERIFY(Ready(window));
        QVERIFY(window.InputNote(InputField::Load).contains(QStringLiteral("choose a reflection")));
        auto* chooser = window.findChild<QComboBox*>(QStringLiteral("loadChooser"));
        QVERIFY(chooser->isVisibleTo(&window));
        QCOMPARE(chooser->count(), 3);
        QCOMPARE(chooser->itemText(0) + chooser->itemText(1) + chooser->itemText(2), QStringLiteral("D1,2C1,2S3"));
        chooser->setCurrentIndex(2);
        emit chooser->activated(2);
        QCOMPARE(window.InputText(InputField::Load), file + QStringLiteral(":S3"));
        QVERIFY(Ready(window));
        // Its [Reference] gives each port its own impedance.
        QCOMPARE(window.InputNote(InputField::Load), QStringLiteral("1 point, 1 GHz to 1 GHz, ports 40 / 60 / 50 ohms"));
        QVERIFY(!window.findChild<QComboBox*>(QStringLiteral("sourceChooser"))->isVisibleTo(&window));
    }

    // From 1 to 1.5 GHz the widest limits are at 1.5 GHz, and the table holds the
    // CLI's first three rows; a band that cannot be read leaves the last one.
    void bandNarrowsEverything()
    {
        SweepWindow window(Files());
        QVERIFY(Ready(window));
        window.SetBand({QStringLiteral("1 GHz"), QStringLiteral("1500 mhz")});
        QCOMPARE(CursorHz(window), 1.5e9);
        QTemporaryDir folder;
        const QByteArrayList cli = Cli(Words("sweep source.s1p load.s1p")).split('\n');
        QCOMPARE(Exported(window, folder.filePath(QStringLiteral("band.tsv"))), cli.mid(0, 4).join('\n') + '\n');
        window.SetBand({QStringLiteral("1 GHz"), QStringLiteral("1.5 GHz-ish")});
        QVERIFY(window.BandNote().startsWith(QStringLiteral("To '1.5 GHz-ish': expected a frequency")));
        QCOMPARE(window.Shown()->RowCount(), std::size_t{3});
        window.SetBand({QStringLiteral("1 GHz"), QStringLiteral("0.9 GHz")});
        QCOMPARE(window.BandNote(), QStringLiteral("From lies above To"));
        QCOMPARE(window.Shown()->RowCount(), std::size_t{3});
    }

    // An analyser saving the load again: read at once, the cursor where it was; a
    // file caught half written keeps what was shown and says why.
    void reloadKeepsCursorFrequency()
    {
        QTemporaryDir folder;
        const QString load = folder.filePath(QStringLiteral("load.s1p"));
        QVERIFY(QFile::copy(TestFile("load.s1p"), load));
        SweepWindow window({TestFile("source.s1p").toStdString(), {}, load.toStdString()});
        QVERIFY(Ready(window));
        window.MoveCursorTo(1);
        Write(load, "# GHz S MA R 50\n1.00 0.5 0\n1.25 0.5 0\n1.50 0.5 0\n");
        QTRY_VERIFY(window.ReadoutText().contains(QStringLiteral("Load VSWR: 3.0000")));
        QCOMPARE(CursorHz(window), 1.25e9);
        const QString shown = window.ReadoutText();
        Write(load, "# GHz S MA R 50\n1.00 0.5\n");
        QTRY_COMPARE(window.InputNote(InputField::Load),
                     load + QStringLiteral(":2: expected 3 numbers for a frequency (the frequency and 1 complex value), found 2"));
        QCOMPARE(window.ReadoutText(), shown);
    }

    // Reversed, cable.s2p gives what corvalen-cli gives for cable.s2p:reversed (which tst_cli
    // holds to the same two-port written with its ports swapped), and not what it gives unreversed.
    void reversedTwoPort()
    {
        QTemporaryDir folder;
        SweepWindow window(Files({TestFile("cable.s2p")}));
        QVERIFY(Ready(window));
        window.SetReversed(0, true);
        QVERIFY(Ready(window));
        const QString exported = folder.filePath(QStringLiteral("t.tsv"));
        const QByteArray cli = Cli(Words("sweep source.s1p load.s1p --through cable.s2p:reversed"));
        QVERIFY(cli.count('\n') == 6);
        QCOMPARE(Exported(window, exported), cli);
        QVERIFY(cli != Cli(Words("sweep source.s1p load.s1p --through cable.s2p")));
        // Each element of a chain is turned round on its own: the first reversed, the second not.
        window.AddTwoPort({TestFile("cable.s2p").toStdString()});
        QVERIFY(Ready(window));
        QCOMPARE(Exported(window, exported), Cli(Words("sweep source.s1p load.s1p --through cable.s2p:reversed --through cable.s2p")));
    }

    void commandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("read");  // source | chain, each with its flag | load | Z0, or the refusal
        QTest::newRow("a chain in order from the source")
            << Words("a.s2p:S22 --through cable.s2p s.s1p --through loss=6,vswr=1.2 --z0 75")
            << QStringLiteral("a.s2p:S22 | cable.s2p 0, loss=6,vswr=1.2 0 | s.s1p | 75");
        QTest::newRow("no arguments") << QStringList() << QStringLiteral(" |  |  | 50");
        QTest::newRow("--through at the end") << Words("1.5 --through") << QStringLiteral("--through is missing its value");
    }

    void commandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, read);
        std::vector<std::string> given;
        for (const QString& argument : arguments)
            given.push_back(argument.toStdString());
        const auto parsed = corvalen::sweepwindow::ParseCommandLine(given);
        QString shown = QString::fromStdString(std::holds_alternative<std::string>(parsed) ? std::get<std::string>(parsed) : "");
        if (const auto* line = std::get_if<corvalen::sweepwindow::CommandLine>(&parsed)) {
            QStringList chain;
            for (const auto& twoPort : line->texts.chain)
                chain << QString::fromStdString(twoPort.text) + (twoPort.reversed ? QStringLiteral(" 1") : QStringLiteral(" 0"));
            shown = QStringList{QString::fromStdString(line->texts.source), chain.join(QStringLiteral(", ")),
                                QString::fromStdString(line->texts.load), QString::fromStdString(line->texts.z0Ohms)}
                        .join(QStringLiteral(" | "));
        }
        QCOMPARE(shown, read);
    }

    void exportIsTheClisTable_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("chain");
        QTest::addColumn<QStringList>("cliArguments");
        QTest::newRow("TSV, direct") << QStringLiteral("t.tsv") << QStringList() << QStringList();
        QTest::newRow("CSV, through a pad") << QStringLiteral("t.csv") << Words("loss=3,vswr=1.2")
                                            << Words("--through loss=3,vswr=1.2 --format csv");
        // An empty two-port input between holds nothing.
        QTest::newRow("TSV, through the cable twice")
            << QStringLiteral("t.tsv") << QStringList{TestFile("cable.s2p"), QString(), TestFile("cable.s2p")}
            << Words("--through cable.s2p --through cable.s2p");
    }

    void exportIsTheClisTable()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, chain);
        QFETCH(QStringList, cliArguments);
        QTemporaryDir folder;
        SweepWindow window(Files(chain));
        QVERIFY(Ready(window));
        const QByteArray cli = Cli(Words("sweep source.s1p load.s1p") + cliArguments);
        QVERIFY(cli.count('\n') == 6);
        QCOMPARE(Exported(window, folder.filePath(name)), cli);
    }

    void savedChartIsTheClis_data()
    {
        QTest::addColumn<bool>("smith");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("chain");
        QTest::newRow("plot, PNG") << false << QStringLiteral("p.png") << QStringList();
        QTest::newRow("Smith chart, SVG") << true << QStringLiteral("s.svg") << QStringList();
        QTest::newRow("plot through two pads, SVG")
            << false << QStringLiteral("p.svg") << Words("loss=3,vswr=1.2 loss=6,vswr=1.1");
    }

    void savedChartIsTheClis()
    {
        QFETCH(bool, smith);
        QFETCH(QString, name);
        QFETCH(QStringList, chain);
        QTemporaryDir folder;
        SweepWindow window(Files(chain));
        QVERIFY(Ready(window));
        const QString saved = folder.filePath(QStringLiteral("window-") + name);
        const std::string failure = smith ? corvalen::sweepwindow::SaveSmithPicture(*window.Shown(), saved.toStdString())
                                          : corvalen::sweepwindow::SaveSweepPicture(*window.Shown(), saved.toStdString());
        QCOMPARE(QString::fromStdString(failure), QString());
        QStringList through;
        for (const QString& twoPort : chain)
            through << QStringLiteral("--through") << twoPort;
        Cli(Words(smith ? "sweep source.s1p load.s1p --smith" : "sweep source.s1p load.s1p --plot") << folder.filePath(name) << through);
        QFile fromWindow(saved);
        QFile fromCli(folder.filePath(name));
        QVERIFY(fromWindow.open(QIODevice::ReadOnly) && fromCli.open(QIODevice::ReadOnly));
        QVERIFY(fromCli.size() > 1000);
        QVERIFY(fromWindow.readAll() == fromCli.readAll());
    }

    void oneOffValuesAreMismatchs_data()
    {
        QTest::addColumn<InputTexts>("texts");
        QTest::addColumn<QStringList>("cliArguments");
        QTest::newRow("1.5 with 2") << InputTexts{"1.5", {}, "2"} << Words("1.5 2");
        QTest::newRow("rl=23 with gamma=0.07 through a pad, at 75 ohms")
            << InputTexts{"rl=23", {{"loss=10,vswr=1.1"}}, "gamma=0.07", "75"} << Words("rl=23 gamma=0.07 --through loss=10,vswr=1.1");
        QTest::newRow("1.5 with 2 through two 3 dB pads") << InputTexts{"1.5", {{"loss=3,vswr=1.3"}, {"loss=3,vswr=1.3"}}, "2"}
            << Words("1.5 2 --through loss=3,vswr=1.3 --through loss=3,vswr=1.3");
    }

    void oneOffValuesAreMismatchs()
    {
        QFETCH(InputTexts, texts);
        QFETCH(QStringList, cliArguments);
        SweepWindow window(texts);
        QVERIFY(Ready(window));
        QVERIFY(!window.Shown());
        QMap<QString, QString> shown;
        for (const QString& line : window.ReadoutText().split(QStringLiteral("\r\n"), Qt::SkipEmptyParts))
            shown[line.section(QStringLiteral(": "), 0, -2)] = line.section(QStringLiteral(": "), -1).section(QLatin1Char(' '), 0, 0);
        const QJsonObject cli = QJsonDocument::fromJson(
            Cli(QStringList{QStringLiteral("mismatch")} + cliArguments + Words("--format json"))).object();
        const std::pair<const char*, const char*> labelOfKey[] = {
            {"source_vswr", "Source VSWR"}, {"source_return_loss_db", "Source return loss"}, {"source_gamma", "Source |G|"},
            {"load_vswr", "Load VSWR"}, {"load_return_loss_db", "Load return loss"}, {"load_gamma", "Load |G|"},
            {"load_mismatch_loss_db", "Load mismatch loss"}, {"max_vswr", "Maximum VSWR"},
            {"combined_return_loss_db", "Combined return loss"}, {"plus_uncertainty_db", "Uncertainty, plus"},
            {"minus_uncertainty_db", "Uncertainty, minus"}, {"standard_uncertainty_db", "Standard uncertainty"},
            {"through_plus_uncertainty_db", "Through: uncertainty, plus"},
            {"through_minus_uncertainty_db", "Through: uncertainty, minus"},
            {"through_standard_uncertainty_db", "Through: standard uncertainty"}};
        int compared = 0;
        for (const auto& [key, label] : labelOfKey) {
            const QString name = QString::fromUtf8(key);
            if (!cli.contains(name))
                continue;
            QCOMPARE(shown.value(QString::fromUtf8(label)), QString::number(cli.value(name).toDouble(), 'f', 4));
            ++compared;
        }
        QCOMPARE(compared, cli.contains(QStringLiteral("through_plus_uncertainty_db")) ? 15 : 12);
        // The coverage interval beside the standard uncertainty, as mismatch prints it: "-0.5972 / +0.5590".
        const auto signedDb = [&cli](const char* key) {
            const double db = cli.value(QString::fromUtf8(key)).toDouble();
            return (db >= 0 ? QStringLiteral("+") : QString()) + QString::number(db, 'f', 4);
        };
        const QStringList interval = window.ReadoutText().split(QStringLiteral("\r\n")).filter(QStringLiteral("95 % interval: "));
        QStringList expected{QStringLiteral("95 % interval: ") + signedDb("coverage_low_db") + QStringLiteral(" / ")
                             + signedDb("coverage_high_db") + QStringLiteral(" dB")};
        if (cli.contains(QStringLiteral("through_coverage_low_db")))
            expected << QStringLiteral("Through: 95 % interval: ") + signedDb("through_coverage_low_db") + QStringLiteral(" / ")
                            + signedDb("through_coverage_high_db") + QStringLiteral(" dB");
        QCOMPARE(interval, expected);
    }

    // A chain typed a pad at a time, as Add two-port and the keys give it: the
    // moment the last key of a pad is handled the window is still computing (the
    // work went to a worker, none was done on this thread), and the results come
    // between pads. Three pads of 3 dB, VSWR 1.3 between 1.5 and 2 give u 0.3935 dB;
    // a fourth ends in its values or in one red line under the inputs, never in an abort.
    void longChainTyped()
    {
        SweepWindow window({"1.5", {}, "2"});
        QSignalSpy computed(&window, &SweepWindow::Computed);
        QVERIFY(Ready(window));
        const auto buttons = window.findChildren<QPushButton*>();
        QPushButton* add = *std::find_if(buttons.begin(), buttons.end(), [](const QPushButton* button) {
            return button->accessibleName() == QStringLiteral("Add a two-port to the chain, nearest the load");
        });
        for (int pad = 1; pad <= 4; ++pad) {
            if (pad > 1)
                add->click();
            const qsizetype before = computed.count();
            QTest::keyClicks(window.findChild<QLineEdit*>(QStringLiteral("twoPort%1").arg(pad)), QStringLiteral("loss=3,vswr=1.3"));
            QVERIFY(window.Busy());
            QVERIFY(QTest::qWaitFor([&window] { return !window.Busy(); }, 120000));
            QVERIFY(computed.count() > before);
            if (pad == 3)
                QVERIFY(window.ReadoutText().contains(QStringLiteral("Through: standard uncertainty: 0.3935 dB\r\n")));
        }
        QCOMPARE(window.Texts().chain.size(), std::size_t{4});
        if (window.Failure().isEmpty())
            QVERIFY(window.ReadoutText().contains(QStringLiteral("Through: 95 % interval: ")));
        else
            QCOMPARE(window.Failure(), QStringLiteral("not enough memory to compute the values of these inputs"));
    }

    void laidOutForTheDesktop_data()
    {
        corvalen::tests::AddColourSchemeRows();
    }

    // At the logical DPI the test runs at (96, 120 or 144): no text cut short, the
    // charts given most of the room, and every text and trace standing out from its face.
    void laidOutForTheDesktop()
    {
        QFETCH(QPalette, palette);
        QApplication::setPalette(palette);
        SweepWindow window(Files());
        QVERIFY(Ready(window));
        // The size it takes on a screen with room for it (the offscreen one is 800 x 600).
        window.resize(corvalen::sweepwindow::layout::kWindowSize * window.logicalDpiY() / 96);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QImage shot = window.grab().toImage();
        int chartPixels = 0;
        for (const QWidget* widget : window.findChildren<QWidget*>()) {
            const auto* label = qobject_cast<const QLabel*>(widget);
            if (!widget->isVisible() || (label && label->text().isEmpty()))
                continue;
            const QRect area(widget->mapTo(&window, QPoint(0, 0)), widget->size());
            if ((label && !label->wordWrap()) || qobject_cast<const QAbstractButton*>(widget))
                QVERIFY2(widget->sizeHint().width() <= widget->width(), qPrintable(widget->accessibleName()));
            if (label)
                QVERIFY2(!Ink(shot, area, palette.color(QPalette::Window)).empty(), qPrintable(label->text()));
            if (QStringList{QStringLiteral("sweepChart"), QStringLiteral("smithChart")}.contains(widget->objectName())) {
                // On the chart's face: its texts and lines, and three colours (the two traces' and the cursor's).
                auto ink = Ink(shot, area, shot.pixelColor(area.topLeft() + QPoint(4, 4)));
                const auto colours = std::count_if(ink.begin(), ink.end(), [](auto c) { return c.first >= 0 && c.second >= 50; });
                QVERIFY2(ink[-1] * 200 > area.width() * area.height() && colours >= 3, qPrintable(widget->objectName()));
                chartPixels += area.width() * area.height();
            }
        }
        QVERIFY2(chartPixels * 5 >= window.width() * window.height() * 2, "the charts have less than 40% of the window");
        QApplication::setPalette(QPalette());
    }

    // A 1920 x 1080 laptop at 150 %, less the taskbar and the title bar, with a
    // chain whose rows make the readout scroll: Copy, Export and the two Saves are
    // all in sight, not below the fold of the readout's scroll area.
    void commandsInSightOnALaptop()
    {
        SweepWindow window(Files({TestFile("cable.s2p"), QStringLiteral("loss=3,vswr=1.2")}));
        window.resize(QSize(1280, 640) * window.logicalDpiY() / 96);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        int commands = 0;
        for (const QPushButton* button : window.findChildren<QPushButton*>()) {
            const QString text = button->text().remove(QLatin1Char('&'));
            if (!text.startsWith(u"Copy"_qs) && !text.startsWith(u"Export"_qs) && !text.startsWith(u"Save"_qs))
                continue;
            ++commands;
            QVERIFY2(button->visibleRegion().boundingRect() == button->rect(), qPrintable(text));
        }
        QCOMPARE(commands, 4);
    }
};

QTEST_MAIN(TestSweepWindow)
#include "tst_sweepwindow.moc"
