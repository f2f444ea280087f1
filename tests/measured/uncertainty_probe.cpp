// SPDX-License-Identifier: MIT
// The chain's values for the cross-check script: uncertainty_probe P SOURCE LOAD [TWO-PORT...],
// a side "0.2" (|G|, phase unknown) or "RE,IM", a two-port "pad:LOSS,VSWR" or the
// eight numbers of S11, S21, S12, S22 as "RE,IM,...". Prints plus, minus, error, u, low, high.
#include "measured/uncertainty.h"

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

using namespace corvalen::measured;

static std::vector<double> Numbers(std::string text)
{
    for (char& c : text)
        c = c == ',' ? ' ' : c;
    std::istringstream in(text);
    std::vector<double> values;
    for (double v; in >> v;)
        values.push_back(v);
    return values;
}

static void Print(std::optional<double> value)
{
    value ? std::printf(" %.12g", *value) : std::printf(" none");
}

int main(int argc, char** argv)
{
    std::vector<Termination> sides;
    std::vector<ChainTwoPort> chain;
    for (int i = 2; i < argc; ++i) {
        const std::string text = argv[i];
        const std::vector<double> v = Numbers(text.substr(text.rfind(':') + 1));
        if (i < 4)
            sides.push_back(v.size() == 1 ? PhaseUnknownTermination(v[0]) : MeasuredTermination({v[0], v[1]}));
        else
            chain.push_back(text.starts_with("pad:") ? PadTwoPort({v[0], v[1]})
                                                     : ChainTwoPort{{v[0], v[1]}, {v[2], v[3]}, {v[4], v[5]}, {v[6], v[7]}, true});
    }
    const ChainMismatch mismatch(sides[0], chain, sides[1]);
    std::printf("%.12g %.12g", mismatch.LimitsDb().plusDb, mismatch.LimitsDb().minusDb);
    Print(mismatch.ErrorDb());
    Print(mismatch.StandardUncertaintyDb());
    const auto coverage = mismatch.CoverageDb(std::stod(argv[1]));
    Print(coverage ? std::optional(coverage->lowDb) : std::nullopt);
    Print(coverage ? std::optional(coverage->highDb) : std::nullopt);
    std::printf("\n");
}
