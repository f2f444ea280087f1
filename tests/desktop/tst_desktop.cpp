// SPDX-License-Identifier: MIT
// Both windows as a desktop shows them: readable in a dark colour scheme, and
// driven through a whole session on whatever platform runs the test (Wayland
// included). Clicks go through the window system's input path, as a pointer's would.
#define QTEST_QPA_MOUSE_HANDLING
#include "about/frmabout.h"
#include "mainwindow/frmmain.h"
#include "tests/colour_schemes.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QtTest>

class TestDesktop : public QObject {
    Q_OBJECT

private slots:

    void readableInColourScheme_data()
    {
        corvalen::tests::AddColourSchemeRows();
    }

    void readableInColourScheme()
    {
        QFETCH(QPalette, palette);
        QApplication::setPalette(palette);
        frmAbout about;
        const QImage shot = about.grab().toImage();
        for (const char* name : {"lblTitle", "lblDescription"}) {
            const QRect area = about.findChild<QLabel*>(QLatin1String(name))->geometry();
            QVERIFY2(!corvalen::tests::Ink(shot, area, palette.color(QPalette::Window)).empty(),
                     qPrintable(QStringLiteral("no pixel of %1's text stands out 4.5:1").arg(QLatin1String(name))));
        }

        // The source bar's focus outline: at least 20 pixels that stand out 3:1
        // (the least a control's outline needs) from what they cover.
        frmMain window(QLocale::c());
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QWidget* bar = window.findChild<QScrollBar*>(QStringLiteral("hsVSWR1"));
        bar->setFocus();
        const QImage focused = bar->grab().toImage();
        window.findChild<QPushButton*>(QStringLiteral("cmdCopy"))->setFocus();
        const QImage unfocused = bar->grab().toImage();
        int outline = 0;
        for (int y = 0; y < focused.height(); ++y)
            for (int x = 0; x < focused.width(); ++x)
                outline += corvalen::tests::Contrast(focused.pixelColor(x, y), unfocused.pixelColor(x, y)) >= 3.0;
        QVERIFY2(outline >= 20, qPrintable(QStringLiteral("%1 outline pixels stand out").arg(outline)));
        QApplication::setPalette(QPalette());
    }

    void wholeSession()
    {
        frmMain window(QLocale::c());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.size(), QSize(471, 282));
        // Keys go to the bar itself: a compositor without a seat activates no window.
        auto* source = window.findChild<QScrollBar*>(QStringLiteral("hsVSWR1"));
        for (int step = 0; step < 49; ++step)
            QTest::keyClick(source, Qt::Key_Right);
        QTest::mouseClick(&window, Qt::LeftButton, {}, QPoint(220, 72));  // hsVSWR1's right arrow
        QCOMPARE(window.findChild<QLabel*>(QStringLiteral("lblVSWR1"))->text(), QStringLiteral("1.50"));

        if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
            qInfo("Clipboard not checked: Wayland hands the clipboard to a seat, and a headless weston has none.");
        } else {
            QTest::mouseClick(&window, Qt::LeftButton, {}, QPoint(80, 256));  // cmdCopy
            QVERIFY(QGuiApplication::clipboard()->text().startsWith(QStringLiteral("VSWR 1 (Source) = 1.50  Return Loss = 13.98 dB\r\n")));
        }

        QSize aboutSize;
        QTimer::singleShot(0, [&] {
            QWidget* about = QApplication::activeModalWidget();
            if (about && QTest::qWaitForWindowExposed(about))
                aboutSize = about->size();
            QTest::keyClick(about, Qt::Key_Escape);
        });
        QTest::mouseClick(&window, Qt::LeftButton, {}, QPoint(392, 256));  // cmdAbout; returns once About has closed
        QCOMPARE(aboutSize, QSize(377, 207));
        QVERIFY(!QApplication::activeModalWidget());

        QTimer::singleShot(0, [&] { QTest::mouseClick(&window, Qt::LeftButton, {}, QPoint(200, 256)); });  // cmdQuit
        QTimer::singleShot(10000, [] { QCoreApplication::exit(3); });  // Quit did not end the program
        QCOMPARE(QApplication::exec(), 0);
    }
};

QTEST_MAIN(TestDesktop)
#include "tst_desktop.moc"
