#pragma once

namespace tessaform {

enum ExitCode : int {
    kExitSuccess = 0,
    kExitRuntimeFailure = 1,  // a file, the memory or the output failed
    kExitUsageError = 2,      // the command line itself is wrong
};

}  // namespace tessaform
