// SPDX-License-Identifier: MIT
#include "module.h"

#if __has_include(<dlfcn.h>)
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
