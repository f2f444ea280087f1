// SPDX-License-Identifier: MIT
#include "module.h"

#if defined(_WIN32)
#include "file.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#elif __has_include(<dlfcn.h>)
#include <dlfcn.h>
#define CORVALEN_HAVE_DLOPEN 1
#endif

namespace corvalen::platform {

#if defined(CORVALEN_HAVE_DLOPEN)

Module::Module(const std::string& path)
    : handle_(::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL))
{
    if (!handle_) {
        const char* reason = ::dlerror();
        error_ = reason ? reason : path + ": cannot be loaded";
    }
}

Module::~Module()
{
    if (handle_)
        ::dlclose(handle_);
}

void* Module::Symbol(const char* name) const
{
    return handle_ ? ::dlsym(handle_, name) : nullptr;
}

#elif defined(_WIN32)

// By its full path only: LOAD_WITH_ALTERED_SEARCH_PATH makes the DLLs it needs
// come from its own folder too, never from the current one.
Module::Module(const std::string& path)
{
    const std::filesystem::path name = PathFromUtf8(path);
    if (!name.empty())
        handle_ = ::LoadLibraryExW(name.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!handle_)
        error_ = path + ": cannot be loaded (Windows error " + std::to_string(::GetLastError()) + ")";
}

Module::~Module()
{
    if (handle_)
        ::FreeLibrary(static_cast<HMODULE>(handle_));
}

void* Module::Symbol(const char* name) const
{
    // A FARPROC is a function pointer of no particular type; the caller names its type.
    return handle_ ? reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(handle_), name)) : nullptr;
}

#else

Module::Module(const std::string& path)
    : error_(path + ": this system cannot load modules")
{
}

Module::~Module() = default;

void* Module::Symbol(const char*) const
{
    return nullptr;
}

#endif

}  // namespace corvalen::platform
