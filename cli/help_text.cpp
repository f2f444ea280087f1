// SPDX-License-Identifier: MIT
#include "help_text.h"

#include <algorithm>
#include <iterator>

namespace corvalen::cli {
namespace {

// What each subcommand takes, and what it does, for --help.
struct Subcommand {
    std::string_view name;
    std::string_view synopsis;
    std::string_view description;
};

constexpr Subcommand kSubcommands[] = {
    {"report", "corvalen-cli report SOURCE LOAD",
     "  report   the clipboard report for one pair, with CR LF line ends\n"},
    {"table", "corvalen-cli table [--source FROM:TO] [--load FROM:TO]",
     "  table    one tab-separated row of the eleven output texts per pair,\n"
     "           source in the outer loop and load in the inner loop, both\n"
     "           ascending; each range defaults to 1.00:5.00\n"},
    {"mismatch",
     "corvalen-cli mismatch SOURCE LOAD [--through TWO-PORT]... [--z0 OHMS] [--coverage P]\n"
     "                     [--format text|json]",
     "  mismatch one-off values, double precision: each side's VSWR, return loss\n"
     "           and |G|, the load's mismatch loss, the maximum VSWR, combined\n"
     "           return loss, the uncertainty limits 20 log10(1 +- |Gs||GL|), the\n"
     "           standard uncertainty (the standard deviation of the error over\n"
     "           the unknown phases) and the interval holding P % of the error\n"
     "           (95 unless --coverage says), with what u x 2 would have claimed;\n"
     "           with --through, the same through the chain of two-ports too\n"
     "           (with files, at the frequency where its limits are widest)\n"},
    {"sweep",
     "corvalen-cli sweep SOURCE LOAD [--through TWO-PORT]... [--z0 OHMS] [--format tsv|csv]\n"
     "                     [--plot FILE] [--smith FILE]",
     "  sweep    one row per frequency for a measured source and load: each\n"
     "           side's VSWR and return loss, the load's mismatch loss, the\n"
     "           maximum VSWR, combined return loss, uncertainty limits, the\n"
     "           mismatch error from the measured phases and, where a phase is\n"
     "           unknown instead, the standard uncertainty; with --through, the\n"
     "           limits, error and standard uncertainty through the chain beside\n"
     "           them. SOURCE and LOAD are Touchstone files (amp.s1p), a\n"
     "           reflection of a multi-port file (amp.s2p:S22; above port 9\n"
     "           with a comma, big.s12p:S10,10) or fixed values. Each\n"
     "           reflection is referred from its port's reference (R on the\n"
     "           option line, one for all ports or one per port as in\n"
     "           # GHz S MA R 50 75, or [Reference]) to --z0, the system\n"
     "           impedance (50 ohms); --plot draws the limits and the error,\n"
     "           --smith the two reflections on a Smith chart (.svg or .png)\n"},
};

constexpr std::string_view kFixedValues =
    "A fixed SOURCE or LOAD is 1.5 or vswr=1.5 (VSWR, at least 1), rl=23 (return\n"
    "loss in dB, at least 0) or gamma=0.07 (|G|, 0 to 1), its phase unknown.\n"
    "TWO-PORT is a two-port Touchstone file (port 1 faces the source; with\n"
    ":reversed after its name, cable.s2p:reversed, port 2 does) or\n"
    "loss=DB,vswr=V, a pad or cable of DB dB loss with both ports at VSWR V;\n"
    "--through given several times is a chain, in order from the source.\n";

constexpr std::string_view kBarVswrs =
    "For report and table, a VSWR is a plain decimal from 1.00 to 5.00 with at\n"
    "most two decimals, such as 1.5, 2 or 4.99; the decimal mark is always a point.\n";

const Subcommand* Find(std::string_view name)
{
    const auto found = std::find_if(std::begin(kSubcommands), std::end(kSubcommands),
                                    [&](const Subcommand& s) { return s.name == name; });
    return found == std::end(kSubcommands) ? nullptr : found;
}

}  // namespace

bool IsSubcommand(std::string_view name)
{
    return Find(name) != nullptr;
}

// On one line, as an error message is.
std::string Usage(std::string_view subcommand)
{
    std::string usage = "usage: ";
    bool wrapped = false;  // the indent of a wrapped line is dropped
    for (const char c : Find(subcommand)->synopsis) {
        if (!(wrapped && c == ' '))
            usage += c == '\n' ? ' ' : c;
        wrapped = c == '\n' || (wrapped && c == ' ');
    }
    return usage;
}

std::string UsageText(std::string_view subcommand)
{
    std::string text = "Usage:\n";
    for (const Subcommand& s : kSubcommands)
        if (subcommand.empty() || s.name == subcommand)
            text.append("  ").append(s.synopsis).append("\n");
    if (subcommand.empty())
        text.append("  corvalen-cli --help | --version\n"
                    "  corvalen-cli SUBCOMMAND --help\n\n"
                    "Prints the texts of the Corvalen window for a source and a load VSWR\n"
                    "(report, table), the mismatch of one-off values in any form (mismatch) and\n"
                    "of measured data across frequency (sweep).\n");
    for (const Subcommand& s : kSubcommands)
        if (subcommand.empty() || s.name == subcommand)
            text.append("\n").append(s.description);
    text.append("\n");
    if (subcommand.empty() || subcommand == "report" || subcommand == "table")
        text.append(kBarVswrs);
    if (subcommand.empty() || subcommand == "mismatch" || subcommand == "sweep")
        text.append(kFixedValues);
    text.append("Exit status: 0 on success, 1 if the output or plot cannot be written,\n"
                "2 on bad arguments or a file that cannot be read.\n");
    return text;
}

}  // namespace corvalen::cli
