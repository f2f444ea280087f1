// SPDX-License-Identifier: MIT
// corvalen-cli sweep on files it must refuse: status 2, one line naming the file
// and line, and nothing on stdout or in the plot file.

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
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
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QByteArray>("said");  // what follows "corvalen-cli: "

    // Every file under touchstone/ that says "!x LINE: MESSAGE" for its reading "!> CHOICE".
    const QDir files(QStringLiteral(CORVALEN_TOUCHSTONE_DIR));
    for (const QString& name : files.entryList(QDir::Files, QDir::Name)) {
        QFile file(files.filePath(name));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        const auto choice = QRegularExpression(QStringLiteral("^!> (\\S+)"), QRegularExpression::MultilineOption).match(text);
        const auto refusal = QRegularExpression(QStringLiteral("^!x (\\d+): ([^\r\n]*)"), QRegularExpression::MultilineOption).match(text);
        if (!refusal.hasMatch() || choice.captured(1) == u"two-port")
            continue;
        const QString path = file.fileName();
        const QString line = refusal.captured(1) == u"0" ? QStringLiteral(": ") : u':' + refusal.captured(1) + u": "_qs;
        QTest::newRow(qPrintable(name)) << path + (choice.captured(1) == u"none" ? QString() : u':' + choice.captured(1))
                                        << (path + line + refusal.captured(2).replace(u"%f"_qs, path)).toUtf8();
    }
    const QString missing = dir_.filePath(QStringLiteral("none.s1p"));
    QTest::newRow("missing file") << missing << (missing + u": cannot open: No such file or directory"_qs).toUtf8();
    const QString folder = dir_.filePath(QStringLiteral("dir.s1p"));
    QVERIFY(QDir().mkpath(folder));
    QTest::newRow("directory") << folder << (folder + u": is a directory, not a Touchstone file"_qs).toUtf8();
    const QString far = dir_.filePath(QStringLiteral("far.s1p"));
    QFile farFile(far);
    QVERIFY(farFile.open(QIODevice::WriteOnly) && farFile.write("# Hz S RI R 50\n1 0 0\n2 0 0\n") > 0);
    QTest::newRow("no overlap") << far << (far + u": no frequency inside the range of %2 (3000000 Hz to 5000000 Hz)"_qs).toUtf8();
}

void TestSweepBadInput::refusedWithFileAndLine()
{
    QFETCH(QString, argument);
    QFETCH(QByteArray, said);

    // The other side is a good file, so that only the side under test can fail.
    const QString good = dir_.filePath(QStringLiteral("good.s1p"));
    QFile goodFile(good);
    QVERIFY(goodFile.open(QIODevice::WriteOnly) && goodFile.write("# MHz S RI R 50\n3 0.1 0\n5 0.2 0\n") > 0);
    goodFile.close();

    const QString plot = dir_.filePath(QStringLiteral("never.svg"));
    QProcess process;
    process.start(QStringLiteral(CORVALEN_CLI_PATH), {QStringLiteral("sweep"), good, argument, QStringLiteral("--plot"), plot});
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.readAllStandardError(), "corvalen-cli: " + said.replace("%2", good.toUtf8()) + '\n');
    QCOMPARE(process.exitCode(), 2);
    QCOMPARE(process.readAllStandardOutput(), QByteArray());
    QVERIFY(!QFile::exists(plot));
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
