// SPDX-License-Identifier: MIT
// Corvalen Sweep's parts without its window: the chain editor's lines as a
// user meets them after adding and removing two-ports, the cursor's steps,
// bounds and band, and the loader's replacing, stopping and reading again of
// a file only once it stands still.

#include "sweepwindow/cursor_model.h"
#include "sweepwindow/input_panel.h"
#include "sweepwindow/loader.h"

#include <QAccessible>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace corvalen::sweepwindow;

namespace {

QString TestFile(const char* name)
{
    return QStringLiteral(TEST_FILES "/") + QString::fromUtf8(name);
}

ReadTexts Read(const InputTexts& texts)
{
    return std::get<ReadTexts>(ReadInputTexts(texts));
}

// The sweep of the test files: rows at 1, 1.25, 1.5, 1.75 and 2 GHz, the widest limits at 1.75 GHz.
std::unique_ptr<MeasuredSweep> SweepOf(const QString& load)
{
    const ReadTexts read = Read({TestFile("source.s1p").toStdString(), {}, load.toStdString()});
    return ReadSweep(read.bench).sweep;
}

// Each control Tab reaches from the first input, by the name a screen reader gives it, until it comes round again.
QStringList TabOrder(const QWidget& panel)
{
    QWidget* first = panel.findChild<QLineEdit*>(QStringLiteral("sourceInput"));
    QStringList names;
    for (QWidget* at = first; names.size() < 100; at = at->nextInFocusChain()) {
        if (at == first && !names.isEmpty())
            break;
        if ((at->focusPolicy() & Qt::TabFocus) && at->isVisibleTo(&panel) && panel.isAncestorOf(at))
            names << QAccessible::queryAccessibleInterface(at)->text(QAccessible::Name);
    }
    return names;
}

void Write(const QString& path, const QByteArray& bytes, QIODevice::OpenMode mode = QIODevice::Truncate)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | mode));
    file.write(bytes);
}

// A load file of `points` frequencies from 1 GHz in 5 MHz steps, |G| 0.3: 29 bytes a line.
QByteArray LoadText(int points)
{
    QByteArray text = "# Hz S MA R 50\n";
    for (int i = 0; i < points; ++i)
        text += QByteArray::number(1000000000 + 5000000 * i) + " 0.300000 0.000000\n";
    return text;
}

}  // namespace

class TestSweepParts : public QObject {
    Q_OBJECT
private slots:

    // Three two-ports, the middle one removed: the third becomes "Two-port 2" with
    // its text and flag, Tab goes top to bottom, and Add puts a fourth below it.
    void chainAfterAddAndRemove()
    {
        InputPanel panel({"1.5", {{"loss=1,vswr=1.1"}, {"loss=2,vswr=1.2"}, {"cable.s2p", true}}, "2"});
        QSignalSpy edited(&panel, &InputPanel::Edited);
        const auto button = [&panel](const QString& name) {
            const auto buttons = panel.findChildren<QPushButton*>();
            return *std::find_if(buttons.begin(), buttons.end(), [&name](auto* b) { return b->accessibleName() == name; });
        };
        button(QStringLiteral("Remove Two-port 2"))->click();
        QCOMPARE(edited.count(), 1);
        const InputTexts texts = panel.Texts();
        QCOMPARE(texts.chain.size(), std::size_t{2});
        QCOMPARE(texts.chain[1].text, std::string("cable.s2p"));
        QVERIFY(texts.chain[1].reversed);
        QCOMPARE(panel.FieldText(InputField::TwoPort, 1), QStringLiteral("cable.s2p"));
        const QStringList sides{QStringLiteral("Load"), QStringLiteral("Open a file for Load"), QStringLiteral("Z0 (ohms)"),
                                QStringLiteral("Band From"), QStringLiteral("Band To"), QStringLiteral("Reset band")};
        QStringList expected{QStringLiteral("Source"), QStringLiteral("Open a file for Source"),
                             QStringLiteral("Two-port"), QStringLiteral("Two-port reversed"), QStringLiteral("Open a file for Two-port"),
                             QStringLiteral("Two-port 2"), QStringLiteral("Two-port 2 reversed"), QStringLiteral("Remove Two-port 2"),
                             QStringLiteral("Open a file for Two-port 2"), QStringLiteral("Add a two-port to the chain, nearest the load")};
        QCOMPARE(TabOrder(panel), expected + sides);
        // An empty two-port added and removed leaves the chain as it was.
        button(QStringLiteral("Add a two-port to the chain, nearest the load"))->click();
        expected = expected.mid(0, 9) + QStringList{QStringLiteral("Two-port 3"), QStringLiteral("Two-port 3 reversed"),
                                                    QStringLiteral("Remove Two-port 3"), QStringLiteral("Open a file for Two-port 3")}
                   + expected.mid(9);
        QCOMPARE(TabOrder(panel), expected + sides);
        button(QStringLiteral("Remove Two-port 3"))->click();
        QCOMPARE(panel.Texts().chain.size(), std::size_t{2});
        QCOMPARE(TabOrder(panel), expected.mid(0, 9) + expected.mid(13) + sides);
    }

    void cursorSteps_data()
    {
        QTest::addColumn<QList<int>>("steps");
        QTest::addColumn<double>("frequencyHz");
        // Where each step takes the cursor is held through the keys by tst_sweepwindow's cursorKeys;
        // here, that a step at either end still says where the cursor is.
        QTest::newRow("a point up, then the last stays") << QList<int>{int(CursorStep::PointUp), int(CursorStep::PointUp)} << 2e9;
        QTest::newRow("first, then a point down stays") << QList<int>{int(CursorStep::First), int(CursorStep::PointDown)} << 1e9;
    }

    void cursorSteps()
    {
        QFETCH(QList<int>, steps);
        QFETCH(double, frequencyHz);
        CursorModel cursor;
        QSignalSpy moved(&cursor, &CursorModel::Moved);
        QVERIFY(cursor.Show(SweepOf(TestFile("load.s1p")), std::nullopt, CursorStart::AtWidestLimits));
        for (const int step : steps)
            cursor.Step(CursorStep(step));
        QCOMPARE(cursor.Sweep()->FrequencyAt(cursor.Row()), frequencyHz);
        QCOMPARE(moved.count(), steps.size() + 1);
        QCOMPARE(moved.last().at(0).value<std::size_t>(), cursor.Row());
    }

    // 1 to 1.5 GHz keeps a cursor at 1.25 GHz and takes one at 1.75 GHz to the
    // band's widest limits, 1.5 GHz; a band above the sweep changes nothing. A
    // file read again keeps the cursor's frequency, at its nearest row.
    void cursorFollowsBandAndReload()
    {
        CursorModel cursor;
        const auto hz = [&cursor] { return cursor.Sweep()->FrequencyAt(cursor.Row()); };
        cursor.Show(SweepOf(TestFile("load.s1p")), std::nullopt, CursorStart::AtWidestLimits);
        QVERIFY(cursor.SetBand({1e9, 1.5e9}));
        QCOMPARE(hz(), 1.5e9);
        cursor.MoveToFrequency(1.25e9);
        QVERIFY(cursor.SetBand({1e9, 1.6e9}));
        QCOMPARE(hz(), 1.25e9);
        QVERIFY(!cursor.SetBand({3e9, 4e9}));
        QCOMPARE(cursor.Sweep()->RowCount(), std::size_t{3});
        QTemporaryDir folder;
        const QString load = folder.filePath(QStringLiteral("load.s1p"));
        Write(load, "# GHz S MA R 50\n1.0 0.3 0\n1.22 0.3 0\n1.3 0.3 0\n2.0 0.3 0\n");
        cursor.Show(SweepOf(load), corvalen::measured::Band{1e9, 1.6e9}, CursorStart::AtSameFrequency);
        QCOMPARE(hz(), 1.22e9);
        // A band the new sweep does not hold: the whole of it, cursor kept.
        QVERIFY(!cursor.Show(SweepOf(load), corvalen::measured::Band{1.01e9, 1.1e9}, CursorStart::AtSameFrequency));
        QCOMPARE(cursor.Sweep()->RowCount(), std::size_t{4});
        QCOMPARE(hz(), 1.22e9);
    }

    // Inputs replaced while a read runs: only the last ones' result comes; a
    // loader stopped gives none.
    void loaderKeepsTheLatest()
    {
        Loader loader;
        QSignalSpy finished(&loader, &Loader::Finished);
        loader.Load(Read({TestFile("source.s1p").toStdString(), {}, TestFile("load.s1p").toStdString()}));
        loader.Load(Read({"1.5", {}, TestFile("load.s1p").toStdString()}));
        loader.Load(Read({"1.5", {}, "2"}));
        QVERIFY(QTest::qWaitFor([&loader] { return !loader.Busy(); }));
        QCOMPARE(finished.count(), 1);
        const auto loaded = finished.at(0).at(0).value<std::shared_ptr<Loaded>>();
        QVERIFY(loaded->oneOff && !loaded->outcome.sweep);
        QCOMPARE(loaded->oneOff->values.pair.maxVswr, 3.0);
        loader.Load(Read({TestFile("source.s1p").toStdString(), {}, TestFile("load.s1p").toStdString()}));
        loader.Stop();
        QVERIFY(QTest::qWaitFor([&loader] { return !loader.Busy(); }));
        QTest::qWait(50);
        QCOMPARE(finished.count(), 1);
    }

    // A 201-point load written again a chunk at a time: its first 103 lines are a
    // good file on their own, and later chunks cut lines in two. Nothing is read
    // while it grows, then the whole file once, as a reload. The interval is long
    // against the writes, so that a busy machine does not make them look still.
    void loaderWaitsForAFileToStandStill()
    {
        QTemporaryDir folder;
        const QString load = folder.filePath(QStringLiteral("live.s1p"));
        Write(load, LoadText(201));
        Loader loader(nullptr, 1500);
        QSignalSpy finished(&loader, &Loader::Finished);
        loader.Load(Read({"1.5", {}, load.toStdString()}));
        QVERIFY(finished.wait());
        const QByteArray whole = LoadText(201);
        const qsizetype firstLines = 15 + 103 * 29;
        Write(load, whole.left(firstLines));
        for (qsizetype at = firstLines; at < whole.size(); at += 200) {
            QTest::qWait(20);
            Write(load, whole.mid(at, 200), QIODevice::Append);
            QCOMPARE(finished.count(), 1);
        }
        QVERIFY(finished.wait(10000));
        const auto loaded = finished.at(1).at(0).value<std::shared_ptr<Loaded>>();
        QCOMPARE(loaded->origin, LoadOrigin::Reload);
        QCOMPARE(loaded->outcome.load.extent->points, std::size_t{201});
        QVERIFY(!finished.wait(2000));
    }
};

QTEST_MAIN(TestSweepParts)
#include "tst_sweepparts.moc"
