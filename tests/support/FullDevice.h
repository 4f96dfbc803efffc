#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace tessaform {

// A device on which every write fails with "No space left on device", as on
// a full disk: /dev/full itself, except for root. Root may rename over /dev,
// so a fault in the code under test would replace the system's own node;
// root gets a node of its own in folder instead, or "" where the system lets
// no one make or open one.
inline std::string fullDeviceIn(const std::filesystem::path& folder)
{
    if (::geteuid() != 0) {
        return "/dev/full";
    }
    const std::string node = (folder / "full").string();
    if (::mknod(node.c_str(), S_IFCHR | 0666, makedev(1, 7)) != 0) {
        return {};
    }
    const int descriptor = ::open(node.c_str(), O_WRONLY | O_CLOEXEC);
    if (descriptor < 0) {
        return {};
    }
    ::close(descriptor);
    return node;
}

}  // namespace tessaform
