// SPDX-License-Identifier: MIT
#include "bench.h"

#include <algorithm>
#include <utility>

namespace corvalen::measured {

TwoPort Reversed(TwoPort twoPort)
{
    std::swap(twoPort.s11, twoPort.s22);
    std::swap(twoPort.s21, twoPort.s12);
    std::reverse(twoPort.portOhms.begin(), twoPort.portOhms.end());
    return twoPort;
}

Side ReadSide(const SideInput& side, double systemOhms, touchstone::ReadProgress* progress)
{
    if (const auto* fixed = std::get_if<SideValues>(&side.value))
        return {side.name, *fixed};
    const auto& file = std::get<ReflectionFile>(side.value);
    return {side.name, touchstone::ReadReflection(file.path, file.choice, systemOhms, progress)};
}

Through ReadThrough(const TwoPortInput& through, double systemOhms, touchstone::ReadProgress* progress)
{
    if (const auto* pad = std::get_if<Pad>(&through.value))
        return {through.name, *pad};
    TwoPort twoPort = touchstone::ReadTwoPort(std::get<std::string>(through.value), systemOhms, progress);
    return {through.name, through.reversed ? Reversed(std::move(twoPort)) : std::move(twoPort)};
}

touchstone::Warnings Bench::Warnings() const
{
    touchstone::Warnings all;
    const auto add = [&all](const touchstone::Warnings& more) { all.insert(all.end(), more.begin(), more.end()); };
    for (const Side* side : {&source, &load})
        if (const Reflection* measured = side->Measured())
            add(measured->warnings);
    for (const Through& through : chain)
        if (const TwoPort* measured = through.Measured())
            add(measured->warnings);
    return all;
}

Bench ReadBench(const BenchInput& input, touchstone::ReadProgress* progress)
{
    Bench bench{ReadSide(input.source, input.systemOhms, progress), ReadSide(input.load, input.systemOhms, progress),
                {}};
    for (const TwoPortInput& through : input.chain)
        bench.chain.push_back(ReadThrough(through, input.systemOhms, progress));
    return bench;
}

}  // namespace corvalen::measured
