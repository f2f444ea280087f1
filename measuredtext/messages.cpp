// SPDX-License-Identifier: MIT
#include "messages.h"

namespace corvalen::measuredtext {

InputError Error(std::string_view subject, std::string_view what)
{
    std::string message(subject);
    message.append(": ").append(what);
    return {message};
}

std::string Quoted(std::string_view name, std::string_view value)
{
    // Longer arguments are cut in the message, which stays one short line.
    constexpr std::size_t kShownBytes = 40;
    std::string text(name);
    text.append(" '").append(Printable(value.substr(0, kShownBytes))).append("'");
    if (value.size() > kShownBytes)
        text.append("... (").append(std::to_string(value.size())).append(" bytes)");
    return text;
}

std::string Printable(std::string_view text)
{
    constexpr std::string_view hex = "0123456789abcdef";
    std::string shown;
    shown.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        // C1 controls are U+0080 to U+009F, written C2 80 to C2 9F in UTF-8.
        const bool c1 = byte == 0xc2 && i + 1 < text.size() && (static_cast<unsigned char>(text[i + 1]) & 0xe0) == 0x80;
        if (byte == '\n') {
            shown.append("\\n");
        } else if (byte == '\t') {
            shown.append("\\t");
        } else if (byte < 0x20 || byte == 0x7f || c1) {
            shown.append("\\x").push_back(hex[byte >> 4]);
            shown.push_back(hex[byte & 0xf]);
        } else {
            shown.push_back(text[i]);
        }
    }
    return shown;
}

}  // namespace corvalen::measuredtext
