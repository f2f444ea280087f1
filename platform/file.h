// SPDX-License-Identifier: MIT
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

namespace corvalen::platform {

// Opens a file to read its bytes as they are, by its name in UTF-8 whatever
// the system's own encoding of names; null with errno set where it cannot.
std::FILE* OpenToRead(const std::string& utf8Path);

// The same name for std::filesystem, which on Windows takes a narrow name in
// the active code page; empty where it is not UTF-8 there.
std::filesystem::path PathFromUtf8(const std::string& utf8Path);

}  // namespace corvalen::platform
