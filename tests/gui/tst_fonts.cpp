// SPDX-License-Identifier: MIT
// On a machine without Liberation Sans (Windows has none; here fontconfig is
// shown only DejaVu), the programs' widgets must still be drawn in it, in each
// of its faces, from the copy built into the program: else they fall back to
// another face, and every text's width changes.

#include "widgets/program.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QTest>

class TestFonts : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(!QFontDatabase::hasFamily(QStringLiteral("Liberation Sans")),
                 "the system shows Liberation Sans: this test needs a machine without it (FONTCONFIG_FILE)");
        corvalen::UseProgramFont();
    }

    void builtInFace_data()
    {
        QTest::addColumn<bool>("bold");
        QTest::addColumn<bool>("italic");
        QTest::newRow("regular") << false << false;
        QTest::newRow("bold") << true << false;
        QTest::newRow("italic") << false << true;
        QTest::newRow("bold italic") << true << true;
    }

    void builtInFace()
    {
        QFETCH(bool, bold);
        QFETCH(bool, italic);
        QFont font = QApplication::font();
        font.setBold(bold);
        font.setItalic(italic);
        const QFontInfo drawn(font);
        QCOMPARE(drawn.family(), QStringLiteral("Liberation Sans"));
        QCOMPARE(drawn.bold(), bold);
        QCOMPARE(drawn.italic(), italic);
        // Not a synthesised slant or weight: the face of that style was loaded.
        QVERIFY(QFontDatabase::styles(drawn.family()).contains(drawn.styleName()));
    }
};

QTEST_MAIN(TestFonts)
#include "tst_fonts.moc"
