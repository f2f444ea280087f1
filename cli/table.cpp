// SPDX-License-Identifier: MIT
#include "table.h"

#include "result_texts.h"

#include <vector>

namespace corvalen::cli {
namespace {

constexpr std::size_t kChunkBytes = 1 << 20;

// Names the eleven columns after the labels that show them.
constexpr std::string_view kHeader =
    "lblVSWR1\tlblRL1\tlblVSWR2\tlblRL2\tlblMismatchLoss\tlblMaxVSWR\tlblTotalReturnLoss\t"
    "lblPlusMisMatch\tlblMinusMisMatch\tlblGamma1\tlblGamma2";

template <typename Texts, typename SideTexts>
std::vector<Texts> TextsForRange(BarRange range, SideTexts sideTexts)
{
    std::vector<Texts> texts;
    texts.reserve(static_cast<std::size_t>(range.to - range.from + 1));
    for (int bar = range.from; bar <= range.to; ++bar)
        texts.push_back(sideTexts(static_cast<BarValue>(bar), kPointMark));
    return texts;
}

}  // namespace

void WriteTable(const TableCommand& table, const std::function<void(std::string_view)>& sink)
{
    // The side texts depend on one bar only: work them out once per bar, not once per pair.
    const auto sources = TextsForRange<SourceTexts>(table.source, SourceSideTexts);
    const auto loads = TextsForRange<LoadTexts>(table.load, LoadSideTexts);

    std::string buffer;
    buffer.reserve(kChunkBytes + 1024);
    buffer.append(kHeader).push_back('\n');

    for (int bar1 = table.source.from; bar1 <= table.source.to; ++bar1) {
        const SourceTexts& source = sources[static_cast<std::size_t>(bar1 - table.source.from)];
        for (int bar2 = table.load.from; bar2 <= table.load.to; ++bar2) {
            const LoadTexts& load = loads[static_cast<std::size_t>(bar2 - table.load.from)];
            const CombinedTexts combined =
                CombinedResultTexts(static_cast<BarValue>(bar1), static_cast<BarValue>(bar2));
            for (const std::string* text :
                 {&source.vswr, &source.returnLoss, &load.vswr, &load.returnLoss, &load.mismatchLoss,
                  &combined.maxVswr, &combined.totalReturnLoss, &combined.plusMismatch,
                  &combined.minusMismatch, &combined.gamma1}) {
                buffer.append(*text).push_back('\t');
            }
            buffer.append(combined.gamma2).push_back('\n');

            if (buffer.size() >= kChunkBytes) {
                sink(buffer);
                buffer.clear();
            }
        }
    }
    sink(buffer);
}

}  // namespace corvalen::cli
