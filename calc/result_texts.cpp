// SPDX-License-Identifier: MIT
#include "result_texts.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <stdexcept>
#include <utility>

namespace corvalen {
namespace {

constexpr int DecimalPlaces(Pattern pattern) noexcept
{
    return pattern == Pattern::TwoDecimals ? 2 : 3;
}

std::string WithPrefix(std::string_view prefix, std::string value, std::string_view unit = {})
{
    std::string text;
    text.reserve(prefix.size() + value.size() + unit.size());
    text.append(prefix).append(value).append(unit);
    return text;
}

std::string MismatchLossText(float mismatchLossDb, std::string_view decimalMark)
{
    return WithPrefix("Mismatch Loss @ Load = ",
                      FormatFixed(mismatchLossDb, Pattern::TwoDecimals, decimalMark), " dB");
}

std::string MaxVswrText(const CombinedResults& combined, std::string_view decimalMark)
{
    return WithPrefix("Maximum VSWR = ", FormatFixed(combined.maxVswr, Pattern::TwoDecimals, decimalMark));
}

std::string TotalReturnLossText(const CombinedResults& combined, std::string_view decimalMark)
{
    if (combined.infinite)
        return "Combined Return Loss = Infinite";
    return WithPrefix("Combined Return Loss = ",
                      FormatFixed(*combined.combinedReturnLossDb, Pattern::TwoDecimals, decimalMark), " dB");
}

std::string PlusMismatchText(const CombinedResults& combined, std::string_view decimalMark)
{
    return WithPrefix("Plus Uncertainty = ", FormatFixed(combined.plusDb, Pattern::ThreeDecimals, decimalMark),
                      " dB");
}

std::string MinusMismatchText(const CombinedResults& combined, std::string_view decimalMark)
{
    return WithPrefix("Minus Uncertainty = ",
                      FormatFixed(combined.minusDb, Pattern::ThreeDecimals, decimalMark), " dB");
}

std::string Gamma1Text(const CombinedResults& combined, std::string_view decimalMark)
{
    return WithPrefix("Gamma 1 = ", FormatFixed(combined.gamma1, Pattern::ThreeDecimals, decimalMark));
}

std::string Gamma2Text(const CombinedResults& combined, std::string_view decimalMark)
{
    return WithPrefix("Gamma 2 = ", FormatFixed(combined.gamma2, Pattern::ThreeDecimals, decimalMark));
}

}  // namespace

std::string FormatFixed(float x, Pattern pattern, std::string_view decimalMark)
{
    if (!std::isfinite(x))
        throw std::domain_error("FormatFixed: value is not finite");

    // Wide enough for the longest fixed-notation float: 39 integer digits or
    // 45 leading fraction zeros, plus sign, point and significant digits.
    char buffer[80];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::fixed);
    if (error != std::errc())
        throw std::domain_error("FormatFixed: value cannot be written");

    std::string_view shortest(buffer, static_cast<std::size_t>(end - buffer));
    const bool negative = shortest.front() == '-';
    if (negative)
        shortest.remove_prefix(1);

    const std::size_t point = shortest.find('.');
    const std::string_view integerPart = shortest.substr(0, point);
    const std::string_view fractionPart =
        point == std::string_view::npos ? std::string_view{} : shortest.substr(point + 1);

    const auto places = static_cast<std::size_t>(DecimalPlaces(pattern));
    std::string digits(integerPart);
    digits.append(fractionPart.substr(0, places));
    digits.append(places - std::min(places, fractionPart.size()), '0');

    // The shortest text is exact as a decimal, so looking at the first dropped
    // digit alone rounds half away from zero.
    if (fractionPart.size() > places && fractionPart[places] >= '5') {
        auto digit = digits.rbegin();
        for (; digit != digits.rend() && *digit == '9'; ++digit)
            *digit = '0';
        if (digit == digits.rend())
            digits.insert(digits.begin(), '1');
        else
            ++*digit;
    }

    const bool printsAsZero = std::all_of(digits.begin(), digits.end(), [](char c) { return c == '0'; });

    std::string text;
    text.reserve(digits.size() + decimalMark.size() + 1);
    if (negative && !printsAsZero)
        text.push_back('-');
    text.append(digits, 0, digits.size() - places);
    text.append(decimalMark);
    text.append(digits, digits.size() - places, places);
    return text;
}

std::string VswrText(float vswr, std::string_view decimalMark)
{
    return FormatFixed(vswr, Pattern::TwoDecimals, decimalMark);
}

std::string ReturnLossText(float returnLossDb, std::string_view decimalMark)
{
    if (returnLossDb > kReturnLossCeilingDb)
        return "Return Loss > 70 dB";
    return WithPrefix("Return Loss = ", FormatFixed(returnLossDb, Pattern::TwoDecimals, decimalMark), " dB");
}

namespace {

void WriteSourceTexts(BarValue bar1, std::string_view decimalMark, OutputTexts& texts)
{
    texts.returnLoss1 = ReturnLossText(ReturnLossDb(BarToGamma(bar1)), decimalMark);
    texts.vswr1 = VswrText(BarToVswr(bar1), decimalMark);
}

void WriteLoadTexts(BarValue bar2, std::string_view decimalMark, OutputTexts& texts)
{
    const float returnLossDb = ReturnLossDb(BarToGamma(bar2));
    texts.returnLoss2 = ReturnLossText(returnLossDb, decimalMark);
    texts.mismatchLoss = MismatchLossText(LoadMismatchLossDb(returnLossDb), decimalMark);
    texts.vswr2 = VswrText(BarToVswr(bar2), decimalMark);
}

void WriteCombinedTexts(BarValue bar1, BarValue bar2, std::string_view decimalMark, OutputTexts& texts)
{
    const CombinedResults combined(bar1, bar2);
    texts.maxVswr = MaxVswrText(combined, decimalMark);
    texts.totalReturnLoss = TotalReturnLossText(combined, decimalMark);
    texts.plusMismatch = PlusMismatchText(combined, decimalMark);
    texts.minusMismatch = MinusMismatchText(combined, decimalMark);
    texts.gamma1 = Gamma1Text(combined, decimalMark);
    texts.gamma2 = Gamma2Text(combined, decimalMark);
}

}  // namespace

OutputTexts SourceSideTexts(BarValue bar1, std::string_view decimalMark)
{
    OutputTexts texts;
    WriteSourceTexts(bar1, decimalMark, texts);
    return texts;
}

OutputTexts LoadSideTexts(BarValue bar2, std::string_view decimalMark)
{
    OutputTexts texts;
    WriteLoadTexts(bar2, decimalMark, texts);
    return texts;
}

OutputTexts CombinedResultTexts(BarValue bar1, BarValue bar2, std::string_view decimalMark)
{
    OutputTexts texts;
    WriteCombinedTexts(bar1, bar2, decimalMark, texts);
    return texts;
}

OutputTexts ComputeOutputTexts(BarValue bar1, BarValue bar2, std::string_view decimalMark)
{
    OutputTexts texts;
    WriteSourceTexts(bar1, decimalMark, texts);
    WriteLoadTexts(bar2, decimalMark, texts);
    WriteCombinedTexts(bar1, bar2, decimalMark, texts);
    return texts;
}

}  // namespace corvalen
