// SPDX-License-Identifier: MIT
#include "bench_texts.h"
#include "corvalen_version.h"
#include "sweep_window.h"
#include "widgets/program.h"

#include <QApplication>

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char* argv[])
{
    using namespace corvalen::sweepwindow;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Corvalen Sweep"));
    QApplication::setApplicationVersion(QStringLiteral(CORVALEN_VERSION_STRING));
    QApplication::setWindowIcon(corvalen::ProgramIcon());
    // Matches the installed desktop entry, so a desktop shows its name and icon for the window.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.corvalen.CorvalenSweep"));

    // Qt has taken its own options (-platform, ...) out of the arguments.
    const QStringList given = QApplication::arguments();
    std::vector<std::string> arguments;
    for (qsizetype i = 1; i < given.size(); ++i)
        arguments.push_back(given[i].toStdString());
    const auto parsed = ParseCommandLine(arguments);
    if (const auto* refusal = std::get_if<std::string>(&parsed)) {
        std::fprintf(stderr, "corvalen-sweep: %s\n%s", refusal->c_str(), kUsage);
        return 2;
    }
    const CommandLine& line = std::get<CommandLine>(parsed);
    if (line.help || line.version) {
        std::fputs(line.help ? kUsage : "corvalen-sweep " CORVALEN_VERSION_STRING "\n", stdout);
        return 0;
    }

    SweepWindow window(line.texts);
    window.show();
    return app.exec();
}
