// SPDX-License-Identifier: MIT
// corvalen-cli sweep on files it must refuse, as a side or anywhere in a chain of
// two-ports: status 2, one line naming the file and line, and nothing on stdout
// or in the plot file.

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

class TestSweepBadInput : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

private slots:
    void initTestCase()  // the good side of every sweep here, at 3 and 5 MHz
    {
        QFile good(dir_.filePath(QStringLiteral("good.s1p")));
        QVERIFY(good.open(QIODevice::WriteOnly) && good.write("# MHz S RI R 50\n3 0.1 0\n5 0.2 0\n") > 0);
    }

    void refusedWithFileAndLine_data()
    {
        QTest::addColumn<QStringList>("arguments");  // after the good source
        QTest::addColumn<QByteArray>("said");        // what follows "corvalen-cli: "

        // Every file under touchstone/ that says "!x LINE: MESSAGE" for its reading "!> CHOICE".
        const QDir files(QStringLiteral(CORVALEN_TOUCHSTONE_DIR));
        for (const QString& name : files.entryList(QDir::Files, QDir::Name)) {
            QFile file(files.filePath(name));
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QString text = QString::fromUtf8(file.readAll());
            const auto choice = QRegularExpression(QStringLiteral("^!> (\\S+)"), QRegularExpression::MultilineOption).match(text);
            const auto refusal = QRegularExpression(QStringLiteral("^!x (\\d+): ([^\r\n]*)"), QRegularExpression::MultilineOption).match(text);
            if (!refusal.hasMatch())
                continue;
            const QString path = file.fileName();
            const QString line = refusal.captured(1) == u"0" ? QStringLiteral(": ") : u':' + refusal.captured(1) + u": "_qs;
            const QStringList arguments = choice.captured(1) == u"two-port"
                ? QStringList{QStringLiteral("1.5"), QStringLiteral("--through=loss=3,vswr=1.2"), QStringLiteral("--through"), path}
                : QStringList{path + (choice.captured(1) == u"none" ? QString() : u':' + choice.captured(1))};
            QTest::newRow(qPrintable(name)) << arguments << (path + line + refusal.captured(2).replace(u"%f"_qs, path)).toUtf8();
        }
        const QString missing = dir_.filePath(QStringLiteral("none.s1p"));
        QTest::newRow("missing file") << QStringList{missing} << (missing + u": cannot open: No such file or directory"_qs).toUtf8();
        const QString folder = dir_.filePath(QStringLiteral("dir.s1p"));
        QVERIFY(QDir().mkpath(folder));
        QTest::newRow("directory") << QStringList{folder} << (folder + u": is a directory, not a Touchstone file"_qs).toUtf8();
        const QString far = dir_.filePath(QStringLiteral("far.s1p"));
        QFile farFile(far);
        QVERIFY(farFile.open(QIODevice::WriteOnly) && farFile.write("# Hz S RI R 50\n1 0 0\n2 0 0\n") > 0);
        QTest::newRow("no overlap") << QStringList{far} << (far + u": no frequency inside the range of %2 (3000000 Hz to 5000000 Hz)"_qs).toUtf8();
    }

    void refusedWithFileAndLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, said);

        // The other side is a good file, so that only the side under test can fail.
        const QString good = dir_.filePath(QStringLiteral("good.s1p"));

        const QString plot = dir_.filePath(QStringLiteral("never.svg"));
        QProcess process;
        process.start(QStringLiteral(CORVALEN_CLI_PATH), QStringList{QStringLiteral("sweep"), good} + arguments + QStringList{QStringLiteral("--plot"), plot});
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.readAllStandardError(), "corvalen-cli: " + said.replace("%2", good.toUtf8()) + '\n');
        QCOMPARE(process.exitCode(), 2);
        QCOMPARE(process.readAllStandardOutput(), QByteArray());
        QVERIFY(!QFile::exists(plot));
    }

    // A picture that cannot be drawn: status 1, one line, no picture. The plot
    // module is taken only from beside the program: where the program's own folder
    // cannot be read (no /proc), not from the path that leads to it from the
    // working folder, where anyone who can write there would choose the code run.
    void pictureNotDrawnExitsOne_data()
    {
        QTest::addColumn<QStringList>("program");  // and what comes before the sweep's arguments
        QTest::addColumn<QString>("folder");       // where it runs
        QTest::addColumn<QString>("picture");
        QTest::addColumn<QByteArray>("said");
        const QString cli = QStringLiteral(CORVALEN_CLI_PATH);
        const QString alone = dir_.filePath(QStringLiteral("alone/corvalen-cli"));
        QVERIFY(QDir().mkpath(dir_.filePath(QStringLiteral("alone"))) && QFile::copy(cli, alone));
        const QString plot = dir_.filePath(QStringLiteral("p.png"));
        QTest::newRow("unwritable folder") << QStringList{cli} << dir_.path()
            << dir_.filePath(QStringLiteral("no/such/folder/p.png")) << QByteArray("cannot write the plot ");
        QTest::newRow("program copied away from its module") << QStringList{alone} << dir_.path() << plot
            << "cannot write the plot " + plot.toUtf8() + ": cannot load the plot module: ";
        QTest::newRow("program's own folder unknown")
            << QStringList{QStringLiteral("unshare"), QStringLiteral("-rm"), QStringLiteral("sh"), QStringLiteral("-c"),
                           QStringLiteral("mount -t tmpfs none /proc && exec \"$0\" \"$@\""), cli}
            << QFileInfo(cli).path() << plot
            << "cannot write the plot " + plot.toUtf8() + ": cannot find the plot module: the program's own folder is unknown\n";
    }

    void pictureNotDrawnExitsOne()
    {
        QFETCH(QStringList, program);
        QFETCH(QString, folder);
        QFETCH(QString, picture);
        QFETCH(QByteArray, said);
        if (program.first() == u"unshare" && QProcess::execute(QStringLiteral("unshare"), {QStringLiteral("-rm"), QStringLiteral("true")}) != 0)
            QSKIP("no user namespaces here to run the program without /proc");
        const QString good = dir_.filePath(QStringLiteral("good.s1p"));
        QProcess process;
        process.setWorkingDirectory(folder);
        process.start(program.first(), program.mid(1) + QStringList{QStringLiteral("sweep"), QStringLiteral("1.5"), good,
                                                                    QStringLiteral("--plot"), picture});
        QVERIFY(process.waitForFinished(30000));
        const QByteArray error = process.readAllStandardError();
        QCOMPARE(process.exitCode(), 1);
        QVERIFY2(error.startsWith("corvalen-cli: " + said) && error.count('\n') == 1, error.constData());
        QVERIFY(!QFile::exists(picture));
    }

    // A file without [End] whose declared frequencies are all there is read; the
    // user is told once, on stderr, what it lacked.
    void incompleteButWholeIsReadWithAWarning()
    {
        const QString file = QStringLiteral(CORVALEN_TOUCHSTONE_DIR "/no-end.ts");
        QProcess process;
        process.start(QStringLiteral(CORVALEN_CLI_PATH), {QStringLiteral("sweep"), file, QStringLiteral("1.5")});
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitCode(), 0);
        QCOMPARE(process.readAllStandardError(),
                 "corvalen-cli: " + file.toUtf8() + ": no [End] after the 1 declared frequency; read as complete\n");
        QCOMPARE(process.readAllStandardOutput().count('\n'), 2);
    }
};

QTEST_GUILESS_MAIN(TestSweepBadInput)
#include "tst_sweep_bad_input.moc"
