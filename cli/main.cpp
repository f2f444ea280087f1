// SPDX-License-Identifier: MIT
// corvalen-cli: the window's texts and the mismatch of measured data, for scripts and test benches.

#include "arguments.h"
#include "help_text.h"
#include "program_lines.h"
#include "calc/report.h"
#include "mismatch_command.h"
#include "sweep_command.h"
#include "table.h"
#include "corvalen_version.h"
#include "platform/console.h"
#include "plot/plot_module.h"
#include "touchstone/ascii.h"

#include <cstdio>
#include <exception>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace {

using namespace corvalen;
using namespace corvalen::cli;

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;  // the output, a picture or the run itself failed
constexpr int kExitUsage = 2;

void Write(std::string_view text)
{
    std::fwrite(text.data(), 1, text.size(), stdout);
}

// The exit status of the subcommand itself.
int Dispatch(const Command& command)
{
    int status = kExitOk;
    std::visit(
        [&status](const auto& c) {
            using C = std::decay_t<decltype(c)>;
            if constexpr (std::is_same_v<C, HelpCommand>) {
                Write(UsageText(c.subcommand));
            } else if constexpr (std::is_same_v<C, VersionCommand>) {
                Write("corvalen-cli " CORVALEN_VERSION_STRING "\n");
            } else if constexpr (std::is_same_v<C, ReportCommand>) {
                Write(BuildReport(ComputeOutputTexts(c.source, c.load)));
            } else if constexpr (std::is_same_v<C, SweepCommand>) {
                status = RunSweepCommand(c, Write);
            } else if constexpr (std::is_same_v<C, MismatchCommand>) {
                status = RunMismatchCommand(c, Write);
            } else {
                WriteTable(c, Write);
            }
        },
        command);
    return status;
}

int Run(const Command& command)
{
    int status = kExitOk;
    // A bad file is the subcommand's to report (status 2); anything else, even
    // running out of memory, ends the run with one line rather than an abort.
    try {
        status = Dispatch(command);
    } catch (const std::bad_alloc&) {
        std::fputs("corvalen-cli: not enough memory\n", stderr);
        return kExitFailed;
    } catch (const std::exception& error) {
        std::fputs(("corvalen-cli: " + measuredtext::Printable(error.what()) + "\n").c_str(), stderr);
        return kExitFailed;
    } catch (...) {
        std::fputs("corvalen-cli: an unexpected error\n", stderr);
        return kExitFailed;
    }
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fputs("corvalen-cli: cannot write the output\n", stderr);
        return kExitFailed;
    }
    return status;
}

}  // namespace

int main(int argc, char** argv)
{
    platform::WriteStandardStreamsAsBytes();
    const std::vector<std::string> utf8 = platform::ProgramArguments(argc, argv);
    const ParseResult parsed = ParseArguments(std::vector<std::string_view>(utf8.begin(), utf8.end()));
    if (const auto* error = std::get_if<UsageError>(&parsed)) {
        std::fputs((error->message + "\n").c_str(), stderr);
        return kExitUsage;
    }
#if !CORVALEN_DRAWS
    // The drawing is a Qt module, and this build has no Qt.
    const auto* sweep = std::get_if<SweepCommand>(&std::get<Command>(parsed));
    if (sweep && (sweep->plotPath || sweep->smithPath)) {
        std::fputs("corvalen-cli: drawing needs the desktop build\n", stderr);
        return kExitUsage;
    }
#else
    // Without Qt SVG (the Windows build), said before any file is read.
    if (const auto* sweep = std::get_if<SweepCommand>(&std::get<Command>(parsed)); sweep && !kCorvalenWritesSvg) {
        for (const std::optional<std::string>& path : {sweep->plotPath, sweep->smithPath}) {
            if (path && AsciiLower(*path).ends_with(".svg")) {
                std::fputs(("corvalen-cli: " + *path + ": " + kCorvalenPngOnly + "\n").c_str(), stderr);
                return kExitUsage;
            }
        }
    }
#endif
    return Run(std::get<Command>(parsed));
}
