// SPDX-License-Identifier: MIT
// libFuzzer target for the Touchstone reader. The first byte says how the rest
// is read: under which name (which gives a version 1 file its ports), which
// reflection or the whole two-port is asked for, and whether in reads of a few
// bytes, which make lines cross the reads' edges, or in one.

#include "touchstone/touchstone.h"

#include <cstdint>
#include <cstdio>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    static const char* const kNames[] = {"f.s1p", "f.s2p", "f.s3p", "f.s4p", "f.ts", "f.s12p", "f.sp", "f.S2P"};
    static const char* const kChoices[] = {"", "S11", "S22", "S33", "D1,2", "C2,1", "S3", "two-port"};
    const std::string name = kNames[data[0] & 7];
    const std::string choice = kChoices[(data[0] >> 3) & 7];
    const double systemOhms = data[0] & 0x40 ? 75.0 : 50.0;
    const std::size_t chunkBytes = data[0] & 0x80 ? corvalen::touchstone::LineSource::kChunkBytes : 7;
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> stream(
        fmemopen(const_cast<std::uint8_t*>(data + 1), size - 1, "rb"), &std::fclose);
    if (!stream)
        return 0;
    try {
        if (choice == "two-port")
            corvalen::touchstone::ReadTwoPort(stream.get(), name, systemOhms, chunkBytes);
        else
            corvalen::touchstone::ReadReflection(stream.get(), name, choice, systemOhms, chunkBytes);
    } catch (const corvalen::touchstone::MeasuredError&) {
        // A refusal is an answer; only crashes, hangs, leaks and undefined behaviour are findings.
    }
    return 0;
}
