// SPDX-License-Identifier: MIT
#include "program_path.h"

#if defined(__linux__)
#include <unistd.h>
#elif defined(_WIN32)
#include <filesystem>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
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
#elif defined(_WIN32)
    std::wstring self(32768, L'\0');  // the longest path Windows has
    const DWORD length = ::GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size()));
    if (length == 0 || length >= self.size())
        return std::nullopt;
    self.resize(length);
    const std::u8string folder = std::filesystem::path(self).parent_path().u8string();
    if (folder.empty())
        return std::nullopt;
    return std::string(folder.begin(), folder.end()) + '\\';
#else
    return std::nullopt;
#endif
}

}  // namespace corvalen::platform
