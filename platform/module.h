// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace corvalen::platform {

// A shared library, loaded for as long as this object lives.
class Module {
public:
    // Loads the library at `path`, which must be absolute: a bare name would be
    // searched for along the system's paths.
    explicit Module(const std::string& path);
    ~Module();
    Module(const Module&) = delete;
    Module& operator=(const Module&) = delete;

    bool Loaded() const { return handle_ != nullptr; }
    // Why the library was not loaded.
    const std::string& Error() const { return error_; }

    // The function `name` of the library, or null where it has none.
    template <typename Function>
    Function Entry(const char* name) const
    {
        return reinterpret_cast<Function>(Symbol(name));
    }

private:
    void* Symbol(const char* name) const;

    void* handle_ = nullptr;
    std::string error_;
};

}  // namespace corvalen::platform
