#include "jobs/ExecutableDirectory.h"

#include <array>
#include <system_error>

#include "film/FilmEncoder.h"

// The installed data and library folders relative to the installed
// executables' folder ("../share/tessaform", "../lib/tessaform"), set for
// this file by the build.
#ifndef TESSAFORM_DATA_FROM_BIN
#error "TESSAFORM_DATA_FROM_BIN must be defined by the build"
#endif
#ifndef TESSAFORM_LIBRARIES_FROM_BIN
#error "TESSAFORM_LIBRARIES_FROM_BIN must be defined by the build"
#endif

namespace tessaform {
namespace {

// The first of the file beside the executable and the one in the installed
// folder that exists, or the one beside the executable when neither does,
// so that a message names it.
std::filesystem::path besideOrInstalled(const std::filesystem::path& executableFolder,
                                        const std::filesystem::path& installedFolder, const char* name)
{
    const std::filesystem::path besideExecutable = executableFolder / name;
    const std::array candidates{besideExecutable, installedFolder / name};
    for (const std::filesystem::path& candidate : candidates) {
        std::error_code error;
        if (std::filesystem::is_regular_file(candidate, error)) {
            return candidate;
        }
    }
    return besideExecutable;
}

}  // namespace

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
    return besideOrInstalled(executableFolder, installedDataFolder(executableFolder), "gradient.jpg").string();
}

std::string defaultGradientPath()
{
    return defaultGradientPathFor(executableDirectory());
}

std::filesystem::path installedLibraryFolder(const std::filesystem::path& executableFolder)
{
    return (executableFolder / TESSAFORM_LIBRARIES_FROM_BIN).lexically_normal();
}

std::filesystem::path filmEncoderPathFor(const std::filesystem::path& executableFolder)
{
    return besideOrInstalled(executableFolder, installedLibraryFolder(executableFolder), kFilmEncoderLibraryName);
}

std::filesystem::path filmEncoderPath()
{
    return filmEncoderPathFor(executableDirectory());
}

}  // namespace tessaform
