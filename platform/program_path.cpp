// SPDX-License-Identifier: MIT
#include "program_path.h"

#if defined(__linux__)
#include <unistd.h>
#endif

namespace corvalen::platform {

std::optional<std::string> ProgramFolder()
{
#if defined(__linux__)
    std::string self(4096, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", self.data(), self.size());
    // A full buffer may hold a cut path.
    if (length <= 0 || static_cast<std::size_t>(length) >= self.size())
        return std::nullopt;
    self.resize(static_cast<std::size_t>(length));
    const std::size_t slash = self.rfind('/');
    if (slash == std::string::npos)
        return std::nullopt;
    return self.substr(0, slash + 1);
#else
    return std::nullopt;
#endif
}

}  // namespace corvalen::platform
