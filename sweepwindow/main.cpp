// SPDX-License-Identifier: MIT
#include "bench_texts.h"
#include "corvalen_version.h"
#include "recent_files.h"
#include "sweep_window.h"
#include "widgets/program.h"

#include "platform/memory.h"

#include <QApplication>
#include <QFileInfo>
#include <QScreen>
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

corvalen::sweepwindow::InputTexts Remembered(QSettings& settings)
{
    corvalen::sweepwindow::InputTexts texts;
    texts.source = settings.value(QStringLiteral("source")).toString().toStdString();
    texts.load = settings.value(QStringLiteral("load")).toString().toStdString();
    texts.z0Ohms = settings.value(QStringLiteral("z0Ohms"), QStringLiteral("50")).toString().toStdString();
    const int elements = settings.beginReadArray(QStringLiteral("chain"));
    for (int i = 0; i < elements; ++i) {
        settings.setArrayIndex(i);
        texts.chain.push_back({settings.value(QStringLiteral("twoPort")).toString().toStdString(),
                               settings.value(QStringLiteral("reversed")).toBool()});
    }
    settings.endArray();
    // An earlier version kept one two-port, with no flag.
    if (elements == 0)
        texts.chain.push_back({settings.value(QStringLiteral("twoPort")).toString().toStdString()});
    return texts;
}

void Remember(QSettings& settings, const corvalen::sweepwindow::InputTexts& texts)
{
    settings.setValue(QStringLiteral("source"), QString::fromStdString(texts.source));
    settings.setValue(QStringLiteral("load"), QString::fromStdString(texts.load));
    settings.setValue(QStringLiteral("z0Ohms"), QString::fromStdString(texts.z0Ohms));
    settings.remove(QStringLiteral("twoPort"));
    settings.remove(QStringLiteral("chain"));
    settings.beginWriteArray(QStringLiteral("chain"), static_cast<int>(texts.chain.size()));
    for (std::size_t i = 0; i < texts.chain.size(); ++i) {
        settings.setArrayIndex(static_cast<int>(i));
        settings.setValue(QStringLiteral("twoPort"), QString::fromStdString(texts.chain[i].text));
        settings.setValue(QStringLiteral("reversed"), texts.chain[i].reversed);
    }
    settings.endArray();
}

}  // namespace

int main(int argc, char* argv[])
{
    using namespace corvalen::sweepwindow;
    // The files are read on threads of their own and kept for the window.
    corvalen::platform::ShareOneHeap();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Corvalen Sweep"));
    QApplication::setApplicationVersion(QStringLiteral(CORVALEN_VERSION_STRING));
    QApplication::setWindowIcon(corvalen::ProgramIcon());
    corvalen::UseProgramFont();
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
    for (std::string* text : {&texts.source, &texts.load})
        *text = Absolute(*text);
    for (TwoPortText& twoPort : texts.chain)
        twoPort.text = Absolute(twoPort.text);
    if (arguments.empty())
        texts = Remembered(settings);
    SweepWindow window(texts);
    if (arguments.empty())
        window.SetBand({settings.value(QStringLiteral("bandFrom")).toString(), settings.value(QStringLiteral("bandTo")).toString()});
    window.AddEarlierFiles(RememberedFiles(settings));
    const bool restored = window.restoreGeometry(settings.value(QStringLiteral("geometry")).toByteArray());
    // A window as large as the screen's free area would push its frame off it
    // (a laptop at 150 %): maximized, the window manager fits frame and all.
    const QSize room = window.screen()->availableSize();
    if (!restored && (window.width() >= room.width() || window.height() >= room.height()))
        window.showMaximized();
    else
        window.show();
    const int status = app.exec();

    Remember(settings, window.Texts());
    settings.setValue(QStringLiteral("bandFrom"), window.Band().from);
    settings.setValue(QStringLiteral("bandTo"), window.Band().to);
    settings.setValue(QStringLiteral("geometry"), window.saveGeometry());
    RememberFiles(settings, window.RecentFiles());
    return status;
}
