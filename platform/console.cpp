// SPDX-License-Identifier: MIT
#include "console.h"

#ifdef _WIN32
#include <cstdio>
#include <memory>

#include <fcntl.h>
#include <io.h>
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <shellapi.h>
#endif

namespace corvalen::platform {
namespace {

#ifdef _WIN32
std::string Utf8(const wchar_t* wide)
{
    const auto narrow = [&](char* out, int room) {
        return ::WideCharToMultiByte(CP_UTF8, 0, wide, -1, out, room, nullptr, nullptr);
    };
    const int length = narrow(nullptr, 0);
    std::string text(static_cast<std::size_t>(length > 0 ? length : 1), '\0');
    narrow(text.data(), length);
    text.pop_back();  // the terminating null
    return text;
}
#endif

}  // namespace

std::vector<std::string> ProgramArguments(int argc, char** argv)
{
#ifdef _WIN32
    int count = 0;
    const std::unique_ptr<wchar_t*, decltype(&::LocalFree)> wide(
        ::CommandLineToArgvW(::GetCommandLineW(), &count), &::LocalFree);
    if (wide) {
        std::vector<std::string> arguments;
        for (int i = 1; i < count; ++i)
            arguments.push_back(Utf8(wide.get()[i]));
        return arguments;
    }
#endif
    return {argv + (argc > 0 ? 1 : 0), argv + argc};
}

void WriteStandardStreamsAsBytes()
{
#ifdef _WIN32
    ::_setmode(::_fileno(stdout), _O_BINARY);
    ::_setmode(::_fileno(stderr), _O_BINARY);
#endif
}

}  // namespace corvalen::platform
