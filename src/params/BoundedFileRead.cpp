#include "params/BoundedFileRead.h"

#include <sys/stat.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace tessaform {
namespace {

using FileHandle = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

// The kind is looked at before opening, since opening some devices already
// does something (a tape rewinds), and again on the opened file, which is
// the one read.
std::string unreadableKindReason(const struct stat& status)
{
    return S_ISREG(status.st_mode) || S_ISFIFO(status.st_mode) ? std::string{} : "not a regular file";
}

std::string systemReason()
{
    return std::strerror(errno);
}

std::string byteCountText(std::size_t bytes)
{
    constexpr std::size_t kMebibyte = 1 << 20;
    if (bytes >= kMebibyte && bytes % kMebibyte == 0) {
        return std::to_string(bytes / kMebibyte) + " MiB";
    }
    return std::to_string(bytes) + " bytes";
}

}  // namespace

Result<std::string> readBoundedFile(const std::string& path, std::size_t ceiling)
{
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        return Failure{systemReason()};
    }
    if (std::string reason = unreadableKindReason(status); !reason.empty()) {
        return Failure{std::move(reason)};
    }
    const FileHandle file(std::fopen(path.c_str(), "rb"), std::fclose);
    if (!file) {
        return Failure{systemReason()};
    }
    if (::fstat(fileno(file.get()), &status) != 0) {
        return Failure{systemReason()};
    }
    if (std::string reason = unreadableKindReason(status); !reason.empty()) {
        return Failure{std::move(reason)};
    }
    std::string text;
    std::array<char, 1 << 16> block{};
    for (;;) {
        const std::size_t count = std::fread(block.data(), 1, block.size(), file.get());
        if (text.size() + count > ceiling) {
            return Failure{"longer than " + byteCountText(ceiling)};
        }
        text.append(block.data(), count);
        if (count < block.size()) {
            break;
        }
    }
    if (std::ferror(file.get())) {
        return Failure{systemReason()};
    }
    return text;
}

std::string notRegularFileReason(const std::string& path)
{
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        return systemReason();
    }
    return S_ISREG(status.st_mode) ? std::string{} : "not a regular file";
}

}  // namespace tessaform
