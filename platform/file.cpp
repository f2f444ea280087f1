// SPDX-License-Identifier: MIT
#include "file.h"

#ifdef _WIN32
#include <cerrno>
#include <climits>
#include <exception>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#endif

namespace corvalen::platform {

std::FILE* OpenToRead(const std::string& utf8Path)
{
#ifdef _WIN32
    // Windows' narrow names are in the active code page, which cannot hold
    // every name: the wide ones hold all.
    const auto wide = [&](wchar_t* out, int room) {
        return ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8Path.c_str(), -1, out, room);
    };
    const int length = utf8Path.size() < INT_MAX ? wide(nullptr, 0) : 0;
    if (length == 0) {
        errno = ENOENT;  // not UTF-8, so the name of no file
        return nullptr;
    }
    std::wstring name(static_cast<std::size_t>(length), L'\0');
    wide(name.data(), length);
    return ::_wfopen(name.c_str(), L"rb");
#else
    return std::fopen(utf8Path.c_str(), "rb");
#endif
}

std::filesystem::path PathFromUtf8(const std::string& utf8Path)
{
#ifdef _WIN32
    try {
        return std::filesystem::path(std::u8string(utf8Path.begin(), utf8Path.end()));
    } catch (const std::exception&) {
        return {};
    }
#else
    return utf8Path;
#endif
}

}  // namespace corvalen::platform
