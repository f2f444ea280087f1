// SPDX-License-Identifier: MIT
// The About window as opened from the main window, and the program icon.

#include "frmmain.h"
#include "gui_test_support.h"
#include "program.h"

#include <QDialog>
#include <QFontMetrics>
#include <QImage>
#include <QSet>

using namespace gui_test;

class TestFrmAbout : public QObject {
    Q_OBJECT

private slots:
    void opensModalOverTheMainWindow();
    void closes_data();
    void closes();
    void reopensAfresh();
    void descriptionFits();
    void icon();
};

namespace {

QDialog* AboutWindow(QWidget* modal)
{
    auto* about = qobject_cast<QDialog*>(modal);
    return about && about->objectName() == QLatin1String("frmAbout") ? about : nullptr;
}

}  // namespace

void TestFrmAbout::opensModalOverTheMainWindow()
{
    frmMain window(QLocale::c());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QScrollBar* bar = Bar(window, "hsVSWR1");

    QString caption, version, title;
    QSize size;
    bool modal = false, fixed = false, focusOnOk = false, okIsDefault = false, centred = false;
    bool blocksMain = false;
    const bool opened = WithModal([&] { Click(window, "cmdAbout"); }, [&](QWidget* shown) {
        QDialog* about = AboutWindow(shown);
        if (!about)
            return;
        caption = about->windowTitle();
        size = about->size();
        fixed = about->minimumSize() == about->maximumSize();
        modal = about->isModal();
        version = Text(*about, "lblVersion");
        title = Text(*about, "lblTitle");
        const auto* ok = Child<QPushButton>(*about, "cmdOK");
        focusOnOk = about->focusWidget() == ok;
        okIsDefault = ok->isDefault();
        centred = (about->geometry().center() - window.geometry().center()).manhattanLength() <= 2;

        // Application-modal: Qt keeps input from the main window meanwhile.
        blocksMain = about->windowModality() == Qt::ApplicationModal && QApplication::activeModalWidget() == about;
        about->accept();
    });
    QVERIFY(opened);
    QCOMPARE(caption, QStringLiteral("About"));
    QCOMPARE(size, QSize(377, 207));
    QVERIFY(fixed);
    QVERIFY(modal);
    QVERIFY(blocksMain);
    QCOMPARE(version, QStringLiteral("Version 1.2.0"));
    QCOMPARE(title, QStringLiteral("Corvalen"));
    QVERIFY(focusOnOk);
    QVERIFY(okIsDefault);
    QVERIFY(centred);

    // Once it is closed the main window answers again, and the About window is gone.
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, QPoint(bar->width() - 4, bar->height() / 2));
    QCOMPARE(bar->value(), 101);
    QCOMPARE(Text(window, "lblVSWR1"), QStringLiteral("1.01"));
    QVERIFY(window.findChildren<QDialog*>().isEmpty());
}

void TestFrmAbout::closes_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Esc") << "Esc";
    QTest::newRow("Enter") << "Enter";
    QTest::newRow("Return") << "Return";
    QTest::newRow("OK clicked") << "OK";
    QTest::newRow("close box") << "close";
}

void TestFrmAbout::closes()
{
    QFETCH(QString, how);

    frmMain window(QLocale::c());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    // WithModal fails instead of hanging if the window stays open.
    const bool closed = WithModal([&] { Click(window, "cmdAbout"); }, [&](QWidget* shown) {
        QDialog* about = AboutWindow(shown);
        if (!about)
            return;
        QWidget* focus = about->focusWidget() ? about->focusWidget() : about;
        if (how == QLatin1String("Esc"))
            QTest::keyClick(focus, Qt::Key_Escape);
        else if (how == QLatin1String("Enter"))
            QTest::keyClick(focus, Qt::Key_Enter);
        else if (how == QLatin1String("Return"))
            QTest::keyClick(focus, Qt::Key_Return);
        else if (how == QLatin1String("OK"))
            QTest::mouseClick(Child<QPushButton>(*about, "cmdOK"), Qt::LeftButton);
        else
            about->close();
    });
    QVERIFY(closed);
    QVERIFY(window.findChildren<QDialog*>().isEmpty());
}

void TestFrmAbout::reopensAfresh()
{
    frmMain window(QLocale::c());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QStringList versions;
    for (int opening = 0; opening < 2; ++opening) {
        QVERIFY(WithModal([&] { Click(window, "cmdAbout"); }, [&](QWidget* shown) {
            QDialog* about = AboutWindow(shown);
            if (!about)
                return;
            versions << Text(*about, "lblVersion");
            // Left behind on purpose: a window kept for reuse would show it next time.
            Child<QLabel>(*about, "lblVersion")->setText(QStringLiteral("stale"));
            about->accept();
        }));
    }
    QCOMPARE(versions, (QStringList{"Version 1.2.0", "Version 1.2.0"}));
}

void TestFrmAbout::descriptionFits()
{
    frmMain window(QLocale::c());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QRect needed, room, titleNeeded, titleRoom;
    QVERIFY(WithModal([&] { Click(window, "cmdAbout"); }, [&](QWidget* shown) {
        QDialog* about = AboutWindow(shown);
        if (!about)
            return;
        const QLabel* description = Child<QLabel>(*about, "lblDescription");
        room = description->contentsRect();
        needed = QFontMetrics(description->font()).boundingRect(room, Qt::TextWordWrap | int(description->alignment()), description->text());
        const QLabel* title = Child<QLabel>(*about, "lblTitle");
        titleRoom = title->contentsRect();
        titleNeeded = QFontMetrics(title->font()).boundingRect(title->text());
        QVERIFY(title->font().bold() && title->font().italic());
        about->accept();
    }));
    QVERIFY2(!Text(window, "lblVSWR1").isEmpty(), "main window lost its texts");
    QVERIFY2(room.contains(needed), qPrintable(QStringLiteral("description needs %1 x %2 px").arg(needed.width()).arg(needed.height())));
    QVERIFY(titleNeeded.width() <= titleRoom.width());
}

void TestFrmAbout::icon()
{
    // Premultiplied, so every fully transparent pixel compares equal whatever colour it nominally has.
    const QImage image = corvalen::ProgramPixmap().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QCOMPARE(image.size(), QSize(32, 32));

    // Sixteen colours at most, a transparent margin and an opaque middle.
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            colours.insert(image.pixel(x, y));
    }
    QVERIFY(colours.size() <= 16);
    QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
    QCOMPARE(qAlpha(image.pixel(31, 31)), 0);
    QCOMPARE(qAlpha(image.pixel(16, 16)), 255);

    // The PNG the program carries is the XPM pixel master, pixel for pixel.
    const QImage master = QImage(QStringLiteral(CORVALEN_ICON_XPM)).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QVERIFY(!master.isNull());
    QCOMPARE(master.size(), image.size());
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            QCOMPARE(image.pixel(x, y), master.pixel(x, y));
    }
}

QTEST_MAIN(TestFrmAbout)
#include "tst_frmabout.moc"
