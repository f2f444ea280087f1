// SPDX-License-Identifier: MIT
// How long the Touchstone reader takes over large files. Each argument is
// FILE (a one-port), FILE:CHOICE (one reflection), FILE:two-port (the whole
// two-port, as --through reads it) or FILE:network (every value, as
// corvalen.read reads it); each is read READS times and the medians printed
// in milliseconds: by the clock (a large file's blocks are read on two
// threads), then a digest of the values so that builds with and without a
// fast path can be seen to read the same numbers, the argument, and the
// process's processor time (user and system, which leaves out waiting for a
// processor shared with others).
// FIRST+SECOND reads two such at once, each on a thread of its own.
// Usage: bench_reader READS ARGUMENT...   (bench/reader_fast_paths.py runs it)

#include "touchstone/touchstone.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include <time.h>

namespace {

using namespace corvalen::touchstone;

double Milliseconds(clockid_t clock)
{
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) * 1e-6;
}

// FNV-1a over the values' bits: equal only where every bit is.
struct Digest {
    std::uint64_t hash = 14695981039346656037u;
    void Add(double value)
    {
        hash = (hash ^ std::bit_cast<std::uint64_t>(value)) * 1099511628211u;
    }
    template <typename Values>
    void AddAll(const Values& values)
    {
        for (const auto& value : values) {
            if constexpr (std::is_same_v<std::decay_t<decltype(value)>, double>) {
                Add(value);
            } else {
                Add(value.real());
                Add(value.imag());
            }
        }
    }
};

std::uint64_t ReadOne(const std::string& argument)
{
    const FileChoice file = SplitFileChoice(argument);
    Digest digest;
    if (argument.ends_with(":network")) {
        const Network n = ReadNetwork(argument.substr(0, argument.size() - 8));
        digest.AddAll(n.frequencyHz);
        digest.AddAll(n.s);
    } else if (argument.ends_with(":two-port")) {
        const TwoPort t = ReadTwoPort(argument.substr(0, argument.size() - 9), 50.0);
        for (const auto* values : {&t.s11, &t.s21, &t.s12, &t.s22})
            digest.AddAll(*values);
        digest.AddAll(t.frequencyHz);
    } else {
        const Reflection r = ReadReflection(file.path, file.choice, 50.0);
        digest.AddAll(r.frequencyHz);
        digest.AddAll(r.gamma);
    }
    return digest.hash;
}

// FIRST+SECOND: the two read at once on two threads, as a sweep reads its source and load.
std::uint64_t ReadOnce(const std::string& argument)
{
    const std::size_t plus = argument.find('+');
    if (plus == std::string::npos)
        return ReadOne(argument);
    std::uint64_t second = 0;
    std::thread beside([&] { second = ReadOne(argument.substr(plus + 1)); });
    const std::uint64_t first = ReadOne(argument.substr(0, plus));
    beside.join();
    return first ^ second;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_reader READS FILE[:CHOICE|:two-port|:network]...\n");
        return 2;
    }
    const int reads = std::max(1, std::atoi(argv[1]));
    try {
        for (int a = 2; a < argc; ++a) {
            std::vector<double> milliseconds;
            std::vector<double> processor;
            std::uint64_t digest = 0;
            for (int i = 0; i < reads; ++i) {
                const double start = Milliseconds(CLOCK_MONOTONIC);
                const double startProcessor = Milliseconds(CLOCK_PROCESS_CPUTIME_ID);
                digest = ReadOnce(argv[a]);
                milliseconds.push_back(Milliseconds(CLOCK_MONOTONIC) - start);
                processor.push_back(Milliseconds(CLOCK_PROCESS_CPUTIME_ID) - startProcessor);
            }
            const auto middle = static_cast<std::ptrdiff_t>(reads / 2);
            std::nth_element(milliseconds.begin(), milliseconds.begin() + middle, milliseconds.end());
            std::nth_element(processor.begin(), processor.begin() + middle, processor.end());
            std::printf("%.3f\t%016llx\t%s\t%.3f\n", milliseconds[static_cast<std::size_t>(middle)],
                        static_cast<unsigned long long>(digest), argv[a], processor[static_cast<std::size_t>(middle)]);
        }
    } catch (const MeasuredError& error) {
        std::fprintf(stderr, "bench_reader: %s\n", error.Located().c_str());
        return 2;
    }
    return 0;
}
