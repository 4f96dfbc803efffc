#pragma once

#include <cstddef>
#include <string>

#include "base/Result.h"

namespace tessaform {

// Hand-written files (keyframes, parameters) are a few kilobytes; this is
// far above any sensible one and still small enough to hold in memory.
inline constexpr std::size_t kLargestTextFile = 16u << 20;

// The whole content of a regular file, or of a named pipe up to its end.
// Anything else (a folder, a device such as /dev/zero, a socket) and
// anything longer than `ceiling` bytes is refused, so no input can make the
// read go on without end. The reason is a short phrase ("not a regular
// file") for the caller to put after the file's name.
Result<std::string> readBoundedFile(const std::string& path, std::size_t ceiling = kLargestTextFile);

// Why a path is not a regular file ("not a regular file", or the system's
// reason when it cannot be looked at); empty for a regular file.
std::string notRegularFileReason(const std::string& path);

}  // namespace tessaform
