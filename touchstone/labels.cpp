// SPDX-License-Identifier: MIT
#include "labels.h"

#include "ascii.h"
#include "refusals.h"
#include "tokens.h"

#include <algorithm>

namespace corvalen::touchstone {
namespace {

// Whether two labels name the same mode of the same ports (D1,2 and D2,1 reflect alike).
bool SameMode(const MatrixPort& a, const MatrixPort& b)
{
    return a.mode == b.mode
           && ((a.first == b.first && a.second == b.second) || (a.first == b.second && a.second == b.first));
}

// The standard: each port is covered once, by S alone or by one pair whose
// differential (D) and common mode (C) both appear.
void RequireEveryPortOnce(const std::vector<MatrixPort>& order, int ports, const LineSource& lines)
{
    std::vector<int> pairedWith(static_cast<std::size_t>(ports) + 1, 0);
    for (const MatrixPort& port : order) {
        for (const int p : {port.first, port.second}) {
            if (p == 0)
                continue;
            const int partner = port.mode == 'S' ? -1 : port.first + port.second - p;
            int& seen = pairedWith[static_cast<std::size_t>(p)];
            if (seen != 0 && (seen != partner || partner == -1))
                lines.Fail("[Mixed-Mode Order] names port " + std::to_string(p) + " twice");
            seen = partner;
        }
    }
    for (int p = 1; p <= ports; ++p)
        if (pairedWith[static_cast<std::size_t>(p)] == 0)
            lines.Fail("[Mixed-Mode Order] leaves out port " + std::to_string(p));
    for (const MatrixPort& port : order) {
        if (port.mode == 'S')
            continue;
        const MatrixPort other{port.mode == 'D' ? 'C' : 'D', port.first, port.second};
        if (std::none_of(order.begin(), order.end(), [&](const MatrixPort& q) { return SameMode(q, other); }))
            lines.Fail("[Mixed-Mode Order] has " + port.Label() + " without " + other.Label());
    }
}

std::string Choices(const std::string& path, int ports, const std::vector<MatrixPort>& order)
{
    const std::vector<std::string> names = ReflectionNames(ports, order);
    if (names.size() > 6)
        return path + ":" + names.front() + " to " + path + ":" + names.back();
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0)
            text += i + 1 == names.size() ? " or " : ", ";
        text += path + ":" + names[i];
    }
    return text;
}

}  // namespace

std::vector<std::string> ReflectionNames(int ports, const std::vector<MatrixPort>& order)
{
    std::vector<std::string> names;
    for (const MatrixPort& port : order)
        names.push_back(port.Label());
    for (int p = 1; order.empty() && p <= ports; ++p)
        names.push_back(std::string("S").append(std::to_string(p)).append(std::to_string(p)));
    return names;
}

std::string MatrixPort::Label() const
{
    // Appended: GCC 12 warns wrongly (-Wrestrict) on "," + std::to_string(...).
    std::string label(1, mode);
    label.append(std::to_string(first));
    if (mode != 'S')
        label.append(",").append(std::to_string(second));
    return label;
}

std::optional<MatrixPort> ParseLabel(std::string_view text)
{
    if (text.size() < 2)
        return std::nullopt;
    MatrixPort port;
    port.mode = static_cast<char>(text.front() & ~0x20);  // ASCII upper case
    const std::string_view numbers = text.substr(1);
    const std::size_t comma = numbers.find(',');
    if (port.mode == 'S' && AllDigits(numbers)) {
        port.first = DigitsValue(numbers);
    } else if ((port.mode == 'D' || port.mode == 'C') && comma != std::string_view::npos
               && AllDigits(numbers.substr(0, comma)) && AllDigits(numbers.substr(comma + 1))) {
        port.first = DigitsValue(numbers.substr(0, comma));
        port.second = DigitsValue(numbers.substr(comma + 1));
    } else {
        return std::nullopt;
    }
    return port;
}

std::vector<MatrixPort> ReadMixedModeOrder(std::string_view text, int ports, const LineSource& lines)
{
    std::vector<MatrixPort> order;
    for (std::string_view token = NextToken(text); !token.empty(); token = NextToken(text)) {
        const auto port = ParseLabel(token);
        const auto inRange = [ports](int p) { return p >= 1 && p <= ports; };
        if (!port || !inRange(port->first)
            || (port->mode != 'S' && (!inRange(port->second) || port->second == port->first)))
            lines.Fail("[Mixed-Mode Order]: " + Quoted(token) + " is not S, D or C of ports 1 to " + std::to_string(ports));
        for (const MatrixPort& seen : order)
            if (SameMode(seen, *port))
                lines.Fail("[Mixed-Mode Order] names " + port->Label() + " twice");
        order.push_back(*port);
    }
    RequireEveryPortOnce(order, ports, lines);
    return order;
}

std::size_t ChosenPort(const std::string& choice, int ports, const std::vector<MatrixPort>& order,
                       const LineSource& lines)
{
    const std::string& path = lines.name();
    if (choice.empty()) {
        if (ports == 1 && order.empty())
            return 0;
        lines.FailAt(0, "choose a reflection: " + Choices(path, ports, order));
    }
    // Skk by position, k written twice.
    const std::string_view digits = std::string_view(choice).substr(1);
    const std::string_view half = digits.substr(0, digits.size() / 2);
    if (AsciiLower(choice.substr(0, 1)) == "s" && digits.size() % 2 == 0 && AllDigits(digits)
        && half == digits.substr(half.size()) && half.front() != '0') {
        const int k = DigitsValue(half);
        if (k >= 1 && k <= ports)
            return static_cast<std::size_t>(k - 1);
        lines.FailAt(0, "has no reflection " + choice + "; choose " + Choices(path, ports, order));
    }
    if (const auto label = ParseLabel(choice); label && !order.empty()) {
        for (std::size_t i = 0; i < order.size(); ++i)
            if (SameMode(order[i], *label))
                return i;
        lines.FailAt(0, "has no " + choice + " in its [Mixed-Mode Order]; choose " + Choices(path, ports, order));
    }
    lines.FailAt(0, "name a reflection Skk" + std::string(order.empty() ? "" : " or a label of the [Mixed-Mode Order]")
                        + ": choose " + Choices(path, ports, order));
}

// The standard gives a pair's differential mode the sum of its ports'
// references and its common mode their parallel value, so equal references R
// give 2 R and R / 2, and the system's 2 Z0 and Z0 / 2.
MatrixReferences ReferencesOf(const std::vector<MatrixPort>& order, const std::vector<double>& portOhms,
                              double systemOhms)
{
    if (order.empty())
        return {portOhms, std::vector<double>(portOhms.size(), systemOhms)};
    MatrixReferences references;
    for (const MatrixPort& port : order) {
        const double a = portOhms[static_cast<std::size_t>(port.first - 1)];
        const double b = port.mode == 'S' ? 0.0 : portOhms[static_cast<std::size_t>(port.second - 1)];
        references.referenceOhms.push_back(port.mode == 'S' ? a : port.mode == 'D' ? a + b : a * b / (a + b));
        references.targetOhms.push_back(port.mode == 'S'   ? systemOhms
                                        : port.mode == 'D' ? 2.0 * systemOhms
                                                           : systemOhms / 2.0);
    }
    return references;
}

}  // namespace corvalen::touchstone
