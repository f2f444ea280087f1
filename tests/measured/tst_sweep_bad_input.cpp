// SPDX-License-Identifier: MIT
// corvalen-cli sweep on files it must refuse: status 2, one line naming the file
// and line, and nothing on stdout or in the plot file.

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TestSweepBadInput : public QObject {
    Q_OBJECT

private slots:
    void refusedWithFileAndLine_data();
    void refusedWithFileAndLine();
    void unwritablePlotExitsOne();

private:
    QTemporaryDir dir_;
};

void TestSweepBadInput::refusedWithFileAndLine_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QByteArray>("said");  // what follows "corvalen-cli: DIR/NAME"

    const QByteArray v1 = "! bench\n# MHz S MA R 50\n";
    QTest::newRow("unknown option") << "o.s1p" << QByteArray("# GHz S XA R 50\n1 0.5 0\n") << QByteArray(":1: unknown option 'XA'");
    QTest::newRow("Y-parameters") << "y.s1p" << QByteArray("# GHz Y RI R 50\n1 0.5 0\n") << QByteArray(":1: holds y-parameters; only S-parameters are read");
    QTest::newRow("value missing") << "c.s1p" << v1 + "1 0.5 0\n2 0.5\n3 0.5 0\n" << QByteArray(":4: expected 3 numbers for a frequency (the frequency and 1 complex values), found 2");
    QTest::newRow("value too many") << "m.s2p:S11" << v1 + "1 .1 0 .2 0 .3 0 .4 0 7\n" << QByteArray(":3: expected 9 numbers for a frequency (the frequency and 4 complex values), found 10");
    QTest::newRow("decimal comma") << "n.s1p" << v1 + "1 0,5 0\n" << QByteArray(":3: '0,5' is not a number");
    QTest::newRow("not a frequency") << "f.s1p" << v1 + "1 0.5 0\nx2 0.5 0\n" << QByteArray(":4: 'x2' is not a frequency");
    QTest::newRow("frequency repeated") << "r.s1p" << v1 + "1 0.5 0\n1 0.5 0\n" << QByteArray(":4: frequency 1000000 Hz is not above the one before, 1000000 Hz");
    QTest::newRow("two-port falling, not noise") << "d.s2p:S22" << v1 + "2 .1 0 .2 0 .3 0 .4 0\n1 .1 0 .2 0 .3 0 .4 0\n" << QByteArray(":4: frequency 1000000 Hz is not above the one before, 2000000 Hz");
    QTest::newRow("empty data block") << "e.s1p" << v1 + "! no data\n" << QByteArray(":3: no network data");
    QTest::newRow("empty version 2 block") << "e2.ts" << QByteArray("[Version] 2.0\n# GHz S MA R 50\n[Number of Ports] 1\n[Network Data]\n[End]\n") << QByteArray(":5: no network data");
    QTest::newRow("frequencies miscounted") << "n2.ts" << QByteArray("[Version] 2.0\n# GHz S MA R 50\n[Number of Ports] 1\n[Number of Frequencies] 2\n[Network Data]\n1 .5 0\n[End]\n") << QByteArray(":7: [Number of Frequencies] says 2, the data holds 1");
    QTest::newRow("unknown keyword") << "k.ts" << QByteArray("[Version] 2.0\n[Ports] 1\n") << QByteArray(":2: unknown keyword [Ports]");
    QTest::newRow("binary") << "b.s1p" << QByteArray("# GHz S MA R 50\n") + QByteArray("\x7f" "ELF\x02\x01\x01\0\0", 9) << QByteArray(":2: binary data, not a Touchstone file");
    QTest::newRow("no reflection chosen") << "amp.s2p" << v1 << QByteArray(": choose a reflection: %1:S11 or %1:S22");
    QTest::newRow("missing file") << "none.s1p" << QByteArray() << QByteArray(": cannot open: No such file or directory");
    QTest::newRow("directory") << "dir.s1p" << QByteArray() << QByteArray(": is a directory, not a Touchstone file");
    QTest::newRow("no overlap") << "far.s1p" << QByteArray("# Hz S RI R 50\n1 0 0\n2 0 0\n") << QByteArray(": no frequency inside the range of %2 (3000000 Hz to 5000000 Hz)");
}

void TestSweepBadInput::refusedWithFileAndLine()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(QByteArray, said);

    QVERIFY(dir_.isValid());
    const QString argument = dir_.filePath(name);
    const QString path = argument.section(QLatin1Char(':'), 0, 0);
    if (name.startsWith(QStringLiteral("dir")))
        QVERIFY(QDir().mkpath(path));
    else if (!content.isEmpty()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
    }
    // The other side is a good file, so that only the side under test can fail.
    const QString good = dir_.filePath(QStringLiteral("good.s1p"));
    QFile goodFile(good);
    QVERIFY(goodFile.open(QIODevice::WriteOnly) && goodFile.write("# MHz S RI R 50\n3 0.1 0\n5 0.2 0\n") > 0);
    goodFile.close();

    const QString plot = dir_.filePath(QStringLiteral("never.svg"));
    QProcess process;
    process.start(QStringLiteral(CORVALEN_CLI_PATH),
                  {QStringLiteral("sweep"), good, argument, QStringLiteral("--plot"), plot});
    QVERIFY(process.waitForFinished(30000));
    const QByteArray err = process.readAllStandardError();
    QCOMPARE(process.exitCode(), 2);
    QCOMPARE(process.readAllStandardOutput(), QByteArray());
    QVERIFY(!QFile::exists(plot));
    const QByteArray expected = "corvalen-cli: " + path.toUtf8() + said.replace("%1", path.toUtf8()).replace("%2", good.toUtf8()) + '\n';
    QVERIFY2(err.startsWith(expected.chopped(1)) && err.endsWith('\n') && err.count('\n') == 1, err);
}

void TestSweepBadInput::unwritablePlotExitsOne()
{
    const QString good = dir_.filePath(QStringLiteral("one.s1p"));
    QFile file(good);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write("# MHz S RI R 50\n3 0.1 0\n5 0.2 0\n") > 0);
    file.close();
    QProcess process;
    process.start(QStringLiteral(CORVALEN_CLI_PATH),
                  {QStringLiteral("sweep"), QStringLiteral("1.5"), good, QStringLiteral("--plot"),
                   dir_.filePath(QStringLiteral("no/such/folder/p.png"))});
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitCode(), 1);
    QVERIFY(process.readAllStandardError().startsWith("corvalen-cli: cannot write the plot "));
}

QTEST_GUILESS_MAIN(TestSweepBadInput)
#include "tst_sweep_bad_input.moc"
