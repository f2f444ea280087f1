// SPDX-License-Identifier: MIT
#include "halves.h"

#include "platform/file.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <thread>

#include <sys/types.h>

namespace corvalen::python {
namespace {

using touchstone::Network;

using File = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

// What one half's stream reads: `head` (the file's header), then the file's
// bytes from `from` up to `to`.
struct Half {
    std::string head;
    std::size_t headRead = 0;
    File file;
    std::size_t left = 0;  // of the file's bytes
    std::size_t roomBytes = 0;  // what the result is sized for
};

#if defined(__GLIBC__)
ssize_t ReadHalf(void* cookie, char* buffer, std::size_t size)
{
    auto& half = *static_cast<Half*>(cookie);
    const std::size_t fromHead = std::min(size, half.head.size() - half.headRead);
    std::memcpy(buffer, half.head.data() + half.headRead, fromHead);
    half.headRead += fromHead;
    const std::size_t wanted = std::min(size - fromHead, half.left);
    const std::size_t read = std::fread(buffer + fromHead, 1, wanted, half.file.get());
    half.left -= read;
    if (read < wanted && std::ferror(half.file.get()))
        return -1;
    return static_cast<ssize_t>(fromHead + read);
}

// One half read as a file of its own, under the file's name.
Network ReadHalfNetwork(Half& half, const std::string& name)
{
    const cookie_io_functions_t functions{ReadHalf, nullptr, nullptr, nullptr};
    const File stream(fopencookie(&half, "r", functions), &std::fclose);
    if (!stream)
        throw std::runtime_error("no stream");
    return touchstone::ReadNetwork(stream.get(), name, half.roomBytes);
}
#endif

// The bytes from `offset`, as many as `size` or fewer at the end.
std::string BytesAt(std::FILE* file, std::size_t offset, std::size_t size)
{
    std::string bytes(size, '\0');
    if (std::fseek(file, static_cast<long>(offset), SEEK_SET) != 0)
        return {};
    bytes.resize(std::fread(bytes.data(), 1, size, file));
    return bytes;
}

// Where the data of a version 1 file starts in `opening`: after comments, blank
// lines and its option line, none of them a keyword.
std::optional<std::size_t> DataStart(std::string_view opening)
{
    for (std::size_t begin = 0; begin < opening.size();) {
        const std::size_t end = opening.find('\n', begin);
        if (end == std::string_view::npos)
            return std::nullopt;
        std::string_view line = opening.substr(begin, end - begin);
        if (begin == 0 && line.starts_with("\xEF\xBB\xBF"))
            line.remove_prefix(3);
        line = line.substr(0, line.find('!'));
        const auto first = std::find_if(line.begin(), line.end(), [](char c) { return static_cast<unsigned char>(c) > ' '; });
        if (first != line.end() && *first == '[')
            return std::nullopt;
        if (first != line.end() && *first != '#')
            return begin;
        begin = end + 1;
    }
    return std::nullopt;
}

bool OneFrequencyALine(const std::string& path)
{
    std::string ending = path.substr(path.size() - std::min<std::size_t>(path.size(), 4));
    std::transform(ending.begin(), ending.end(), ending.begin(), [](char c) { return c | 0x20; });
    return ending == ".s1p" || ending == ".s2p";
}

// The network read in two halves, or nothing where the halves do not read it
// as a whole read would.
std::optional<Network> InHalves(const std::string& path, std::size_t halvesFromBytes)
{
#if defined(__GLIBC__)
    if (!OneFrequencyALine(path))
        return std::nullopt;
    const File file(platform::OpenToRead(path), &std::fclose);
    if (!file || std::fseek(file.get(), 0, SEEK_END) != 0)
        return std::nullopt;
    const long size = std::ftell(file.get());
    if (size < 0 || static_cast<std::size_t>(size) < std::max<std::size_t>(halvesFromBytes, 1))
        return std::nullopt;
    const auto bytes = static_cast<std::size_t>(size);
    constexpr std::size_t kLook = 1 << 16;
    const std::string opening = BytesAt(file.get(), 0, kLook);
    const std::optional<std::size_t> dataStart = DataStart(opening);
    // The second half starts after the first line end past the middle.
    const std::size_t middle = std::max(bytes / 2, dataStart.value_or(0));
    const std::size_t lineEnd = BytesAt(file.get(), middle, kLook).find('\n');
    if (!dataStart || lineEnd == std::string::npos || middle + lineEnd + 1 >= bytes)
        return std::nullopt;
    const std::size_t seam = middle + lineEnd + 1;
    // The first half's values make room for the second's, which join them at the end.
    Half first{{}, 0, File(platform::OpenToRead(path), &std::fclose), seam, bytes};
    Half second{opening.substr(0, *dataStart), 0, File(platform::OpenToRead(path), &std::fclose), bytes - seam,
                *dataStart + bytes - seam};
    if (!first.file || !second.file || std::fseek(second.file.get(), static_cast<long>(seam), SEEK_SET) != 0)
        return std::nullopt;
    std::optional<Network> later;
    std::thread reader([&] {
        try {
            later = ReadHalfNetwork(second, path);
        } catch (...) {  // read again whole
        }
    });
    std::optional<Network> network;
    try {
        network = ReadHalfNetwork(first, path);
    } catch (...) {
    }
    reader.join();
    if (!network || !later || !network->warnings.empty() || !later->warnings.empty()
        || !(later->frequencyHz.front() > network->frequencyHz.back()))
        return std::nullopt;
    network->frequencyHz.insert(network->frequencyHz.end(), later->frequencyHz.begin(), later->frequencyHz.end());
    network->s.insert(network->s.end(), later->s.begin(), later->s.end());
    return network;
#else
    (void)path;
    (void)halvesFromBytes;
    return std::nullopt;
#endif
}

}  // namespace

bool SecondCoreLikelyFree()
{
#if defined(__GLIBC__)
    const unsigned cores = std::thread::hardware_concurrency();
    double load = 0.0;
    // The load counts the caller's own thread, busy until the read is done.
    return cores >= 2 && getloadavg(&load, 1) == 1 && load < static_cast<double>(cores);
#else
    return false;
#endif
}

Network ReadNetworkInHalves(const std::string& path, std::size_t halvesFromBytes)
{
    if (std::optional<Network> network = InHalves(path, halvesFromBytes))
        return std::move(*network);
    return touchstone::ReadNetwork(path);
}

}  // namespace corvalen::python
