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

// Ports j and k of an S-parameter Sjk.
struct PortPair {
    int j = 0;
    int k = 0;
};

// A port number as a name writes it: digits from 1, without a leading zero; else 0.
int PortNumber(std::string_view digits)
{
    return AllDigits(digits) && digits.front() != '0' ? DigitsValue(digits) : 0;
}

// Every way the text after S can name ports j and k: one with a comma (10,10),
// else each place the digits can be cut (1111 is 1,111, 11,11 or 111,1).
std::vector<PortPair> Readings(std::string_view numbers)
{
    std::vector<PortPair> readings;
    const std::size_t comma = numbers.find(',');
    for (std::size_t cut = 1; cut < numbers.size(); ++cut) {
        if (comma != std::string_view::npos && cut != comma)
            continue;
        const int j = PortNumber(numbers.substr(0, cut));
        const int k = PortNumber(numbers.substr(cut + (comma != std::string_view::npos ? 1 : 0)));
        if (j != 0 && k != 0)
            readings.push_back({j, k});
    }
    return readings;
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

// The file refused for `what` its choice names, with the choices it has.
[[noreturn]] void Refuse(const std::string& what, int ports, const std::vector<MatrixPort>& order, const LineSource& lines)
{
    lines.FailAt(0, what + "; choose " + Choices(lines.name(), ports, order));
}

}  // namespace

std::vector<std::string> ReflectionNames(int ports, const std::vector<MatrixPort>& order)
{
    std::vector<std::string> names;
    for (const MatrixPort& port : order)
        names.push_back(port.Label());
    // Above port 9 with a comma: S1010 would also read as S101,0 or S1,010.
    for (int p = 1; order.empty() && p <= ports; ++p)
        names.push_back(std::string("S").append(std::to_string(p)).append(p > 9 ? "," : "").append(std::to_string(p)));
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
    if (choice.empty()) {
        if (ports == 1 && order.empty())
            return 0;
        lines.FailAt(0, "choose a reflection: " + Choices(lines.name(), ports, order));
    }
    const auto refuse = [&](const std::string& what) { Refuse(what, ports, order, lines); };
    // Sjk by position, j and k with a comma or without (S22, S10,10, S1010).
    const bool positional = choice.size() > 1 && (choice.front() == 'S' || choice.front() == 's');
    const std::vector<PortPair> readings = positional ? Readings(std::string_view(choice).substr(1)) : std::vector<PortPair>{};
    const auto inFile = [ports](const PortPair& pair) { return pair.j <= ports && pair.k <= ports; };
    const auto transmissions = std::count_if(readings.begin(), readings.end(),
                                             [&](const PortPair& pair) { return pair.j != pair.k && inFile(pair); });
    const auto reflection = std::find_if(readings.begin(), readings.end(), [](const PortPair& pair) { return pair.j == pair.k; });
    if (reflection != readings.end()) {
        const std::string k = std::to_string(reflection->k);
        if (transmissions > 0)
            refuse(choice + " is ambiguous in a file of " + std::to_string(ports) + " ports: port " + k
                   + "'s reflection is S" + k + "," + k);
        if (inFile(*reflection))
            return static_cast<std::size_t>(reflection->k - 1);
        refuse("has no reflection " + choice);
    }
    if (const auto label = ParseLabel(choice); label && (!order.empty() || label->mode != 'S')) {
        if (order.empty())
            refuse("has no [Mixed-Mode Order] for " + choice);
        for (std::size_t i = 0; i < order.size(); ++i)
            if (SameMode(order[i], *label))
                return i;
        refuse("has no " + choice + " in its [Mixed-Mode Order]");
    }
    if (transmissions > 0)
        refuse(choice + " is a transmission, not a reflection");
    Refuse(Quoted(choice) + " names no reflection", ports, order, lines);
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
