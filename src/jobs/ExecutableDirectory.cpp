#include "jobs/ExecutableDirectory.h"

#include <array>
#include <system_error>

// The installed data folder relative to the installed executables' folder
// ("../share/tessaform"), set for this file by the build.
#ifndef TESSAFORM_DATA_FROM_BIN
#error "TESSAFORM_DATA_FROM_BIN must be defined by the build"
#endif

namespace tessaform {

std::filesystem::path executableDirectory()
{
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : executable.parent_path();
}

std::filesystem::path installedDataFolder(const std::filesystem::path& executableFolder)
{
    return (executableFolder / TESSAFORM_DATA_FROM_BIN).lexically_normal();
}

std::string defaultGradientPathFor(const std::filesystem::path& executableFolder)
{
    const std::filesystem::path besideExecutable = executableFolder / "gradient.jpg";
    const std::array candidates{besideExecutable, installedDataFolder(executableFolder) / "gradient.jpg"};
    for (const std::filesystem::path& candidate : candidates) {
        std::error_code error;
        if (std::filesystem::is_regular_file(candidate, error)) {
            return candidate.string();
        }
    }
    return besideExecutable.string();
}

std::string defaultGradientPath()
{
    return defaultGradientPathFor(executableDirectory());
}

}  // namespace tessaform
