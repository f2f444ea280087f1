// SPDX-License-Identifier: MIT
#include "mainwindow/frmmain.h"
#include "corvalen_version.h"
#include "widgets/program.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Corvalen"));
    QApplication::setApplicationVersion(QStringLiteral(CORVALEN_VERSION_STRING));
    QApplication::setWindowIcon(corvalen::ProgramIcon());
    corvalen::UseProgramFont();
    // Matches the installed desktop entry, so a desktop shows its name and icon for the window.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.corvalen.Corvalen"));

    frmMain window;
    window.show();
    // Returning from main (rather than exiting the process directly) lets Qt
    // hand the clipboard over to a clipboard manager as QApplication goes away.
    return app.exec();
}
