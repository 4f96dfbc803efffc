#include "jobs/ExecutableDirectory.h"

#include <system_error>

namespace tessaform {

std::filesystem::path executableDirectory()
{
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : executable.parent_path();
}

std::string defaultGradientPath()
{
    return (executableDirectory() / "gradient.jpg").string();
}

}  // namespace tessaform
