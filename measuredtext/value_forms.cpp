// SPDX-License-Identifier: MIT
#include "measuredtext/value_forms.h"

#include "measuredtext/frequency_units.h"

#include "measured/quantities.h"
#include "touchstone/ascii.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>
#include <limits>
#include <string>

namespace corvalen::measuredtext {
namespace {

using Fault = std::optional<std::string>;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

// Out of double's range, a number is too large unless its exponent, or
// without one its whole part, says it is too close to 0.
double ValueOutOfRange(std::string_view text)
{
    const std::size_t exponent = text.find_first_of("eE");
    const bool small = exponent != std::string_view::npos
                           ? text.substr(exponent + 1).starts_with('-')
                           : text.substr(0, text.find('.')).find_first_not_of('0') == std::string_view::npos;
    return small ? 0.0 : std::numeric_limits<double>::infinity();
}

// A number in any form a person might write (a sign, an exponent, no digits
// before the point), so that a refusal can name what is wrong with it.
std::optional<double> AnyNumber(std::string_view text)
{
    const bool negative = text.starts_with('-');
    if (negative || text.starts_with('+'))
        text.remove_prefix(1);
    if (text.empty() || !(IsDigit(text.front()) || text.front() == '.'))
        return std::nullopt;  // also keeps out inf and nan
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (end != text.data() + text.size() || (error != std::errc() && error != std::errc::result_out_of_range))
        return std::nullopt;
    if (error == std::errc::result_out_of_range)
        value = ValueOutOfRange(text);
    return negative ? -value : value;
}

bool LooksNumeric(std::string_view text)
{
    std::string solid(text);
    std::erase_if(solid, IsBlank);
    return !solid.empty() && AnyNumber(solid);
}

// The value of a form, or what is wrong with it: first whether it is a number
// at all, then `range`, then whether it is written as a plain decimal.
std::variant<double, std::string> FormValue(std::string_view text, const std::function<Fault(double)>& range)
{
    if (text.empty())
        return "no number given";
    if (std::any_of(text.begin(), text.end(), IsBlank))
        return LooksNumeric(text) ? "a stray blank: write the number without spaces" : "not a number";
    const auto value = AnyNumber(text);
    if (!value)
        return "not a number";
    if (std::isinf(*value))
        return "too large for a number in double precision";
    if (Fault fault = range(*value))
        return *fault;
    if (!ParseDecimal(text))
        return "not a plain decimal: write digits with an optional point, no sign or exponent, such as 1.5";
    return *value;
}

Fault VswrFault(double vswr)
{
    if (!(vswr >= 1.0))
        return "a VSWR must be at least 1";
    if (measured::FixedSideValues(vswr).gammaMagnitude == 1.0)
        return "too large: its |G| rounds to 1 (a total reflection is gamma=1 or rl=0)";
    return std::nullopt;
}

Fault ReturnLossFault(double returnLossDb)
{
    if (!(returnLossDb >= 0.0))
        return "expected a return loss in dB of at least 0, such as rl=23";
    if (measured::ReturnLossSideValues(returnLossDb).gammaMagnitude == 0.0)
        return "too large: its |G| rounds to 0 (a perfect match is gamma=0 or vswr=1)";
    return std::nullopt;
}

Fault GammaFault(double gammaMagnitude)
{
    if (!(gammaMagnitude >= 0.0 && gammaMagnitude <= 1.0))
        return "expected a |G| from 0 to 1, such as gamma=0.07";
    return std::nullopt;
}

Fault LossFault(double lossDb)
{
    if (!(lossDb >= 0.0))
        return "a loss must be at least 0 dB";
    return std::nullopt;
}

}  // namespace

std::optional<double> ParseDecimal(std::string_view text)
{
    const std::size_t point = text.find('.');
    const auto digits = [](std::string_view part) {
        return !part.empty() && std::all_of(part.begin(), part.end(), IsDigit);
    };
    if (!digits(text.substr(0, point)) || (point != std::string_view::npos && !digits(text.substr(point + 1))))
        return std::nullopt;
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<BarValue> ParseVswr(std::string_view text)
{
    constexpr std::size_t kMostDecimals = 2;
    if (const std::size_t point = text.find('.'); point != std::string_view::npos && text.size() - point - 1 > kMostDecimals)
        return std::nullopt;
    const auto vswr = ParseDecimal(text);
    if (!vswr)
        return std::nullopt;
    // With at most two decimals the product lies within a rounding of a whole position.
    const double position = std::round(*vswr * kPositionsPerVswr);
    if (!(position >= kBarMin && position <= kBarMax))
        return std::nullopt;
    return static_cast<BarValue>(position);
}

std::optional<BarRange> ParseBarRange(std::string_view text)
{
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos)
        return std::nullopt;
    const auto from = ParseVswr(text.substr(0, colon));
    const auto to = ParseVswr(text.substr(colon + 1));
    if (!from || !to || *from > *to)
        return std::nullopt;
    return BarRange{*from, *to};
}

std::optional<std::variant<measured::SideValues, InputError>> ParseFixedValue(std::string_view role,
                                                                              std::string_view text)
{
    const std::string lower = AsciiLower(text);
    const std::size_t equals = lower.find('=');
    const std::string_view form = equals == std::string::npos ? "vswr" : std::string_view(lower).substr(0, equals);
    const std::string_view number = equals == std::string::npos ? text : text.substr(equals + 1);
    if ((form != "vswr" && form != "rl" && form != "gamma") || (equals == std::string::npos && !LooksNumeric(text)))
        return std::nullopt;  // a file
    const auto value = FormValue(number, form == "vswr" ? VswrFault : form == "rl" ? ReturnLossFault : GammaFault);
    if (const auto* fault = std::get_if<std::string>(&value))
        return Error(Quoted(role, text), *fault);
    const double given = std::get<double>(value);
    return form == "vswr" ? measured::FixedSideValues(given)
           : form == "rl" ? measured::ReturnLossSideValues(given)
                          : measured::GammaSideValues(given);
}

std::variant<measured::TwoPortInput, InputError> ParseTwoPort(std::string_view text)
{
    std::string solid = AsciiLower(text);
    std::erase_if(solid, IsBlank);
    constexpr std::string_view kReversed = ":reversed";
    const bool reversed = text.size() > kReversed.size() && text.ends_with(kReversed);
    const bool pad = solid.starts_with("loss=") || solid.starts_with("vswr=");
    if (!pad) {
        const std::string path(reversed ? text.substr(0, text.size() - kReversed.size()) : text);
        return measured::TwoPortInput{std::string(text), path, reversed};
    }
    if (reversed)
        return Error(Quoted("--through", text), "a pad is the same either way round: :reversed is for a two-port file");
    if (solid.size() != text.size())
        return Error(Quoted("--through", text), "a stray blank: write loss=DB,vswr=V without spaces");
    const std::size_t comma = text.find(',');
    std::optional<double> lossDb;
    std::optional<double> vswr;
    for (const std::string_view part : {std::string_view(text).substr(0, comma),
                                        comma == std::string::npos ? std::string_view() : text.substr(comma + 1)}) {
        const auto equals = part.find('=');
        const std::string key = AsciiLower(part.substr(0, equals));
        auto& slot = key == "loss" ? lossDb : vswr;
        if ((key != "loss" && key != "vswr") || equals == std::string_view::npos || slot)
            return Error(Quoted("--through", text),
                         "expected a two-port Touchstone file or loss=DB,vswr=V with DB at least 0 and V at least 1, "
                         "such as loss=10,vswr=1.1");
        const auto value = FormValue(part.substr(equals + 1), key == "loss" ? LossFault : VswrFault);
        if (const auto* fault = std::get_if<std::string>(&value))
            return Error(Quoted("--through", text), key + ": " + *fault);
        slot = std::get<double>(value);
    }
    return measured::TwoPortInput{std::string(text), measured::Pad{*lossDb, *vswr}};
}

std::variant<double, InputError> ParseOhms(std::string_view text)
{
    const auto value = FormValue(text, [](double ohms) -> Fault {
        if (!(ohms > 0.0))
            return "expected an impedance in ohms above 0, such as 50 or 75";
        return std::nullopt;
    });
    if (const auto* fault = std::get_if<std::string>(&value))
        return Error(Quoted("--z0", text), *fault);
    return std::get<double>(value);
}

std::variant<double, InputError> ParseCoverage(std::string_view text)
{
    const auto value = FormValue(text, [](double percent) -> Fault {
        if (!(percent > 0.0 && percent < 100.0))
            return "expected a probability in percent above 0 and below 100, such as 95";
        return std::nullopt;
    });
    if (const auto* fault = std::get_if<std::string>(&value))
        return Error(Quoted("--coverage", text), *fault);
    return std::get<double>(value);
}

std::optional<double> ParseFrequencyHz(std::string_view text)
{
    const std::size_t unitAt = text.find_last_not_of("GgHhKkMmZz") + 1;
    const FrequencyUnit* unit = unitAt < text.size() ? FindFrequencyUnit(text.substr(unitAt)) : &kFrequencyUnits[0];
    if (!unit)
        return std::nullopt;
    std::string_view number = text.substr(0, unitAt);
    while (unitAt < text.size() && number.ends_with(' '))
        number.remove_suffix(1);
    const auto value = ParseDecimal(number);
    return value ? std::optional(*value * unit->hertz) : std::nullopt;
}

bool HasFile(const measured::BenchInput& bench)
{
    const auto measuredSide = [](const measured::SideInput& side) {
        return std::holds_alternative<measured::ReflectionFile>(side.value);
    };
    const bool measuredTwoPort = std::any_of(bench.chain.begin(), bench.chain.end(), [](const measured::TwoPortInput& t) {
        return std::holds_alternative<std::string>(t.value);
    });
    return measuredSide(bench.source) || measuredSide(bench.load) || measuredTwoPort;
}

}  // namespace corvalen::measuredtext
