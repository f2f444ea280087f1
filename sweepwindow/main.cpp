// SPDX-License-Identifier: MIT
#include "bench_texts.h"
#include "corvalen_version.h"
#include "sweep_window.h"
#include "widgets/program.h"

#include <QApplication>
#include <QFileInfo>
#include <QSettings>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// A file named relative to the folder the program started in, named so that
// the next run, remembering it, finds it from anywhere.
std::string Absolute(const std::string& text)
{
    const QString given = QString::fromStdString(text);
    const qsizetype colon = given.lastIndexOf(QLatin1Char(':'));
    for (const QString& path : {given, given.left(colon)})
        if (!path.isEmpty() && QFileInfo(path).isFile())
            return (QFileInfo(path).absoluteFilePath() + given.mid(path.size())).toStdString();
    return text;
}

}  // namespace

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

    // Started without inputs, it opens where the last run left off.
    QSettings settings(QStringLiteral("Corvalen"), QStringLiteral("Corvalen Sweep"));
    InputTexts texts = line.texts;
    for (std::string* text : {&texts.source, &texts.twoPort, &texts.load})
        *text = Absolute(*text);
    if (arguments.empty()) {
        texts.source = settings.value(QStringLiteral("source")).toString().toStdString();
        texts.twoPort = settings.value(QStringLiteral("twoPort")).toString().toStdString();
        texts.load = settings.value(QStringLiteral("load")).toString().toStdString();
        texts.z0Ohms = settings.value(QStringLiteral("z0Ohms"), QStringLiteral("50")).toString().toStdString();
    }
    SweepWindow window(texts);
    window.AddEarlierFiles(settings.value(QStringLiteral("recentFiles")).toStringList());
    window.restoreGeometry(settings.value(QStringLiteral("geometry")).toByteArray());
    window.show();
    const int status = app.exec();

    const InputTexts last = window.Texts();
    settings.setValue(QStringLiteral("source"), QString::fromStdString(last.source));
    settings.setValue(QStringLiteral("twoPort"), QString::fromStdString(last.twoPort));
    settings.setValue(QStringLiteral("load"), QString::fromStdString(last.load));
    settings.setValue(QStringLiteral("z0Ohms"), QString::fromStdString(last.z0Ohms));
    settings.setValue(QStringLiteral("geometry"), window.saveGeometry());
    settings.setValue(QStringLiteral("recentFiles"), window.RecentFiles());
    return status;
}
