// SPDX-License-Identifier: MIT
#include "table.h"

#include "measuredtext/row_text.h"

#include "calc/result_texts.h"

#include <vector>

namespace corvalen::cli {
namespace {

using namespace corvalen::measuredtext;

constexpr std::size_t kChunkBytes = 1 << 20;

template <typename SideTexts>
std::vector<OutputTexts> TextsForRange(BarRange range, SideTexts sideTexts)
{
    std::vector<OutputTexts> texts;
    texts.reserve(static_cast<std::size_t>(range.to - range.from + 1));
    for (int bar = range.from; bar <= range.to; ++bar)
        texts.push_back(sideTexts(static_cast<BarValue>(bar), kPointMark));
    return texts;
}

}  // namespace

void WriteTable(const TableCommand& table, const std::function<void(std::string_view)>& sink)
{
    // The side texts depend on one bar only: work them out once per bar, not once per pair.
    const auto sources = TextsForRange(table.source, SourceSideTexts);
    const auto loads = TextsForRange(table.load, LoadSideTexts);

    // The columns are named after the labels that show them.
    std::vector<std::string_view> columns;
    for (const OutputLabel& label : kOutputLabels)
        columns.push_back(label.name);
    std::string buffer = HeaderLine(columns, '\t');
    buffer.reserve(kChunkBytes + 1024);

    for (int bar1 = table.source.from; bar1 <= table.source.to; ++bar1) {
        const OutputTexts& source = sources[static_cast<std::size_t>(bar1 - table.source.from)];
        for (int bar2 = table.load.from; bar2 <= table.load.to; ++bar2) {
            const OutputTexts& load = loads[static_cast<std::size_t>(bar2 - table.load.from)];
            const OutputTexts combined = CombinedResultTexts(static_cast<BarValue>(bar1), static_cast<BarValue>(bar2));
            for (const OutputLabel& label : kOutputLabels) {
                const OutputTexts& texts = label.group == OutputGroup::Source ? source
                                           : label.group == OutputGroup::Load ? load
                                                                              : combined;
                buffer.append(texts.*label.text).push_back('\t');
            }
            buffer.back() = '\n';

            if (buffer.size() >= kChunkBytes) {
                sink(buffer);
                buffer.clear();
            }
        }
    }
    sink(buffer);
}

}  // namespace corvalen::cli
