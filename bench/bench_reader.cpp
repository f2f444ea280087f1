// SPDX-License-Identifier: MIT
// How long the Touchstone reader takes over large files. Each argument is
// FILE (a one-port), FILE:CHOICE (one reflection), FILE:two-port (the whole
// two-port, as --through reads it) or FILE:network (every value, as
// corvalen.read reads it); each is read READS times and the median
// of the thread's processor time (user and system, so that waiting for a
// processor shared with others is left out) printed in milliseconds, with a digest of the values so that builds with and
// without a fast path can be seen to read the same numbers.
// Usage: bench_reader READS ARGUMENT...   (bench/reader_fast_paths.py runs it)

#include "touchstone/touchstone.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <time.h>

namespace {

using namespace corvalen::touchstone;

// FNV-1a over the values' bits: equal only where every bit is.
double ThreadMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) * 1e-6;
}

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

std::uint64_t ReadOnce(const std::string& argument)
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
            std::uint64_t digest = 0;
            for (int i = 0; i < reads; ++i) {
                const double start = ThreadMilliseconds();
                digest = ReadOnce(argv[a]);
                milliseconds.push_back(ThreadMilliseconds() - start);
            }
            std::nth_element(milliseconds.begin(), milliseconds.begin() + reads / 2, milliseconds.end());
            std::printf("%.3f\t%016llx\t%s\n", milliseconds[static_cast<std::size_t>(reads / 2)],
                        static_cast<unsigned long long>(digest), argv[a]);
        }
    } catch (const MeasuredError& error) {
        std::fprintf(stderr, "bench_reader: %s\n", error.Located().c_str());
        return 2;
    }
    return 0;
}
