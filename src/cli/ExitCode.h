#pragma once

#include <string>

namespace tessaform {

enum class ExitCode : int {
    Success = 0,
    RuntimeFailure = 1,  // a file, the memory or the output failed
    UsageError = 2,      // the command line itself is wrong
};

constexpr int exitStatus(ExitCode code)
{
    return static_cast<int>(code);
}

// Prints "tessaform-render: message" on stderr and returns code.
ExitCode fail(ExitCode code, const std::string& message);

}  // namespace tessaform
