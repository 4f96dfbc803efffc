#pragma once

#include <string>

namespace tessaform {

enum class ExitCode : int {
    Success = 0,
    RuntimeFailure = 1,  // a file, the memory or the output failed
    UsageError = 2,      // the command line itself is wrong
    // Every frame this run took on is written, but others that other runs
    // claimed are not there yet: a rerun, once those end, completes them.
    FramesLeftToOthers = 3,
};

constexpr int exitStatus(ExitCode code)
{
    return static_cast<int>(code);
}

// Prints "tessaform-render: message" on stderr and returns code.
ExitCode fail(ExitCode code, const std::string& message);

}  // namespace tessaform
