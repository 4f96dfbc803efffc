#include "cli/ExitCode.h"

#include <cstdio>

namespace tessaform {

ExitCode fail(ExitCode code, const std::string& message)
{
    std::fprintf(stderr, "tessaform-render: %s\n", message.c_str());
    return code;
}

}  // namespace tessaform
